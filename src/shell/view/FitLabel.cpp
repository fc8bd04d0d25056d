#include "shell/view/FitLabel.h"

#include <QLabel>

void FitLabelToText(QLabel& label, const QRect& area) {
  auto place = [&](int width, int height) {
    label.setGeometry(area.x() + area.width() - width, area.y() + (area.height() - height) / 2, width, height);
  };
  label.setWordWrap(false);
  const QSize oneLine = label.sizeHint();
  if (oneLine.width() <= area.width()) {
    place(oneLine.width(), std::min(oneLine.height(), area.height()));
    return;
  }
  label.setWordWrap(true);
  // The narrowest width whose wrapped text still fits the area's height.
  int lo = oneLine.width() / 2, hi = area.width();
  if (label.heightForWidth(hi) > area.height()) {
    place(area.width(), area.height());
    return;
  }
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (label.heightForWidth(mid) <= area.height())
      hi = mid;
    else
      lo = mid + 1;
  }
  place(hi, label.heightForWidth(hi));
}
