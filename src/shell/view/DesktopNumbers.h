#pragma once

class QLocale;

// Shown numbers (edits, maps, graphs) group and mark decimals as the
// desktop's locale does: its group separator, none where the locale omits
// it (the C locale), and its decimal mark.
void UseLocaleNumberFormat(const QLocale& locale);
