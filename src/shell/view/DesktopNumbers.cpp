#include "shell/view/DesktopNumbers.h"

#include <QLocale>

#include "sheet/ValueText.h"

void UseLocaleNumberFormat(const QLocale& locale) {
  NumberFormat format;
  format.group = locale.numberOptions().testFlag(QLocale::OmitGroupSeparator) ? std::string()
                                                                              : locale.groupSeparator().toStdString();
  format.decimal = locale.decimalPoint().toStdString();
  SetShownNumberFormat(std::move(format));
}
