#pragma once

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;
class TUpDown;

// Puts the named controls of a parameter page at their places, given in
// pixels at 96 dpi and scaled to the screen. Captions are not set here: the
// language walk gives every control its text by its name.
class CPageBuilder {
 public:
  CPageBuilder(QWidget& page, double scale) : m_page(page), m_scale(scale) {}

  int Px(int designPixels) const { return int(designPixels * m_scale + 0.5); }
  QWidget& Page() { return m_page; }

  // `parent` null means the page itself.
  QGroupBox* Group(const char* name, int x, int y, int w, int h, QWidget* parent = nullptr);
  QLabel* Label(const char* name, int x, int y, int w, QWidget* parent = nullptr, int h = 17);
  QCheckBox* CheckBox(const char* name, int x, int y, int w, QWidget* parent = nullptr, int h = 17);
  QPushButton* Button(const char* name, int x, int y, int w, QWidget* parent = nullptr, int h = 25);
  // A radio group with as many items as the language tables give it.
  QGroupBox* RadioGroup(const char* name, int x, int y, int w, int h, QWidget* parent = nullptr);
  // An edit + up/down pair named after the binding "UpDown<X>": the edit
  // "Edit<X>" at (x, y), `editWidth` wide and 21 high, the up/down at the
  // edit's right edge, or at `upDownX` when that is given. Range and step
  // come from the binding table.
  TUpDown* UpDown(const char* upDownName, int x, int y, int editWidth, QWidget* parent = nullptr, int upDownX = -1);

 private:
  QWidget& Parent(QWidget* parent) { return parent ? *parent : m_page; }

  QWidget& m_page;
  double m_scale;
};
