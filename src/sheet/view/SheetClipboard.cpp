#include "sheet/view/SheetClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

QClipboard* Board() { return QGuiApplication::clipboard(); }

}  // namespace

CSheetClipboard& CSheetClipboard::Instance() {
  static CSheetClipboard* instance = new CSheetClipboard;  // lives as long as the application
  return *instance;
}

CSheetClipboard::CSheetClipboard() {
  if (QClipboard* board = Board()) {
    connect(board, &QClipboard::dataChanged, this, &CSheetClipboard::Refresh);
    Refresh();
  }
}

void CSheetClipboard::Refresh() {
  const QMimeData* data = Board() ? Board()->mimeData() : nullptr;
  m_hasSheet = data && data->hasFormat(kSheetMimeType);
  m_hasText = data && data->hasText();
}

std::string CSheetClipboard::SheetText() const {
  const QMimeData* data = Board() ? Board()->mimeData() : nullptr;
  if (!data || !data->hasFormat(kSheetMimeType)) return {};
  return data->data(kSheetMimeType).toStdString();
}

std::string CSheetClipboard::PlainText() const {
  if (!Board()) return {};
  return Board()->text().toStdString();
}

void CSheetClipboard::SetPlainText(const std::string& plain) {
  if (!Board()) return;
  auto* data = new QMimeData;
  data->setText(QString::fromStdString(plain));
  Board()->setMimeData(data);
  Refresh();
}

void CSheetClipboard::SetSheetTexts(const std::string& plain, const std::string& labelled) {
  if (!Board()) return;
  auto* data = new QMimeData;
  data->setText(QString::fromStdString(plain));
  data->setData(kSheetMimeType, QByteArray::fromStdString(labelled));
  Board()->setMimeData(data);
  Refresh();
}

void CSheetClipboard::SetImage(const QImage& image) {
  if (!Board() || image.isNull()) return;
  auto* data = new QMimeData;
  data->setImageData(image);
  Board()->setMimeData(data);
  Refresh();
}
