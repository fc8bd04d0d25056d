// Renders the user manuals from HTML into the PDFs that Help opens, named as
// Help asks for them in each language, at build time and without a display.
//
//   ventrix-manualpdf OUTDIR LISTFILE EN.html CZ.html
//
// LISTFILE gets the names written, one a line, for the install step.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

#include "base/TextSlots.h"

namespace {

bool Render(const QString& html, const QString& pdf) {
  QFile in(html);
  if (!in.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "ventrix-manualpdf: cannot read %s\n", qPrintable(html));
    return false;
  }
  QTextDocument document;
  document.setDefaultFont(QFont("DejaVu Sans", 10));
  document.setHtml(QString::fromUtf8(in.readAll()));
  QPdfWriter writer(pdf);
  writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
  writer.setCreator("Ventrix");
  writer.setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
  document.print(&writer);
  if (!QFileInfo(pdf).isFile() || QFileInfo(pdf).size() == 0) {
    std::fprintf(stderr, "ventrix-manualpdf: cannot write %s\n", qPrintable(pdf));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // A build tool: no window, wherever it runs.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 5) {
    std::fprintf(stderr, "usage: ventrix-manualpdf OUTDIR LISTFILE EN.html CZ.html\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  // English serves German and French too; Help asks for the same file then.
  const struct {
    int language;
    const char* html;
  } manuals[] = {{kEnglish, argv[3]}, {kCzech, argv[4]}};
  QByteArray list;
  for (const auto& m : manuals) {
    const std::string_view name = kSlotTexts[kSlotManual].Get(m.language);
    const QString file = QString::fromUtf8(name.data(), qsizetype(name.size()));
    if (!Render(QString::fromLocal8Bit(m.html), out.filePath(file))) return 1;
    list += file.toUtf8() + '\n';
  }
  QFile listFile(QString::fromLocal8Bit(argv[2]));
  if (!listFile.open(QIODevice::WriteOnly) || listFile.write(list) != list.size()) return 1;
  return 0;
}
