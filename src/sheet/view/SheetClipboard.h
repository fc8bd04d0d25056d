#pragma once

#include <QImage>
#include <QObject>
#include <string>

// The system clipboard as the sheet controls use it: plain text for every
// program plus the labelled form under a MIME type of our own, so a whole map
// moves between sheets and between two running copies with its size.
// Which formats are on offer is cached when the clipboard changes: asking
// the X11 owner is a round trip that a hung owner could stretch into a
// frozen window if it were asked on every tick.
class CSheetClipboard : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kSheetMimeType = "application/x-ventrix-sheet";

  static CSheetClipboard& Instance();

  // Cached availability (the paste button and the popup read these).
  bool HasSheet() const { return m_hasSheet; }
  bool HasText() const { return m_hasText; }

  // Contents, read when a paste runs.
  std::string SheetText() const;
  std::string PlainText() const;

  // One clipboard update each.
  void SetPlainText(const std::string& plain);
  void SetSheetTexts(const std::string& plain, const std::string& labelled);
  void SetImage(const QImage& image);

 private:
  CSheetClipboard();
  void Refresh();

  bool m_hasSheet = false;
  bool m_hasText = false;
};
