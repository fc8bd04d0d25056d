#include "sheet/SheetText.h"

#include "sheet/Sheet.h"

namespace {
constexpr int kGroup = 3;
}

std::string SheetTitleText(std::string_view key, int language) {
  if (&FindText(kGroup, key) == &DictionaryGroup(kGroup)[0]) return std::string(key);
  return std::string(LookupText(kGroup, key, language));
}

std::string DeleteItemText(int which, int count) {
  const bool columns = which == kPartX;
  if (count <= 1) return std::string(LookupText(kGroup, columns ? "Delete column" : "Delete row"));
  return std::string(LookupText(kGroup, columns ? "Delete columns" : "Delete rows")) + " (" + std::to_string(count) +
         ")";
}

std::string UseOnlyItemText(std::string_view label) {
  return std::string(LookupText(kGroup, "Use only")) + " " + SheetTitleText(label);
}

std::string UseBothItemText(std::string_view xLabel, std::string_view yLabel) {
  return std::string(LookupText(kGroup, "Use")) + " " + SheetTitleText(xLabel) + " " +
         std::string(LookupText(kGroup, "and")) + " " + SheetTitleText(yLabel);
}

std::string MaximumCountMessage(int which) {
  return std::string(LookupText(kGroup, which == kPartX ? "Column count is on maximum !\nDelete some first..."
                                                        : "Row count is on maximum !\nDelete some first..."));
}

std::string ErrorCaption() { return std::string(LookupText(1, "Error")); }
