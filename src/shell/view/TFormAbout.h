#pragma once

#include <QDialog>

class QLabel;

// The About window: logo, web address, the configuration-file format
// version and when the program was built. Fixed size, white, title and
// close button only; "OK" or Escape closes it.
class TFormAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAbout(QWidget* parent = nullptr);

  // The program's logo at `scale` times its design size of 195 x 100.
  static QPixmap Logo(double scale);

  void Button1Click();

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void FormActivate();
  int Px(int designPixels) const;

  double m_scale = 1.0;
  QLabel* m_labelExit = nullptr;
};
