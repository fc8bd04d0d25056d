#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/TextSlots.h"
#include "base/UiTexts.h"

namespace {

struct Table {
  const char* what;
  std::span<const NamedText> rows;
};

std::vector<Table> NamedTables() {
  return {{"menus", MenuCaptions()}, {"hints", Hints()}, {"controls", ControlCaptions()}};
}

void ExpectFourVariants(const CLngStr& t, const std::string& where) {
  SCOPED_TRACE(where);
  for (int l = 0; l < kLanguageCount; ++l) {
    ASSERT_NE(t.text[l], nullptr) << "lang " << l;
    EXPECT_FALSE(std::string_view(t.text[l]).empty()) << "lang " << l;
  }
}

TEST(UiTextsTest, TablesAreCompleteAndUnique) {
  for (const auto& table : NamedTables()) {
    std::set<std::string> names;
    for (const auto& row : table.rows) {
      EXPECT_TRUE(names.insert(row.name).second) << table.what << ": " << row.name << " listed twice";
      ExpectFourVariants(row.text, std::string(table.what) + " " + row.name);
    }
  }
  std::set<std::string> names;
  for (const auto& row : SlotCaptions()) EXPECT_TRUE(names.insert(row.name).second) << row.name << " listed twice";
  names.clear();
  for (const auto& group : RadioGroupItems()) {
    EXPECT_TRUE(names.insert(group.name).second) << group.name << " listed twice";
    for (const auto& item : group.items) ExpectFourVariants(item, group.name);
  }
  ExpectFourVariants(kExternalMonitorCaption, "FormEM");
  ExpectFourVariants(kNoDisplayText, "no display");
  ExpectFourVariants(kLogNotWhileRecordingText, "log while recording");
}

TEST(UiTextsTest, TableSizes) {
  // The 47 of the original menus, the Link window's item and the Log menu's eight.
  EXPECT_EQ(MenuCaptions().size(), 47u + 1u + 8u);
  EXPECT_EQ(Hints().size(), 22u);
}

// A control's caption comes from one table only, and nothing the walk leaves
// alone is listed anywhere.
TEST(UiTextsTest, EachControlHasOneCaptionSource) {
  std::map<std::string, int> sources;
  for (const auto& row : MenuCaptions()) ++sources[row.name];
  for (const auto& row : ControlCaptions()) ++sources[row.name];
  for (const auto& row : SlotCaptions()) ++sources[row.name];
  for (const auto& [name, count] : sources) EXPECT_EQ(count, 1) << name;
  for (const char* name : LanguageNeutralControls()) {
    EXPECT_EQ(sources.count(name), 0u) << name;
    for (const auto& group : RadioGroupItems()) EXPECT_STRNE(group.name, name);
  }
}

TEST(UiTextsTest, SlotCaptionsPointAtTexts) {
  CTextSlots slots;
  for (int language = 0; language < kLanguageCount; ++language) {
    slots.Apply(language);
    for (const auto& row : SlotCaptions()) {
      SCOPED_TRACE(row.name);
      ASSERT_GE(row.slot, 0);
      ASSERT_LT(row.slot, kSlotCount);
      EXPECT_NE(row.slot, kSlotFileName);
      EXPECT_FALSE(slots[row.slot].empty());
    }
  }
}

TEST(UiTextsTest, AccessKeysAndHintSeparators) {
  for (const auto& row : MenuCaptions()) {
    for (int l = 0; l < kLanguageCount; ++l) {
      const std::string_view v = row.text.Get(l);
      EXPECT_LE(std::ranges::count(v, '&'), 1) << row.name << " lang " << l;
      if (const auto amp = v.find('&'); amp != std::string_view::npos) {
        EXPECT_LT(amp + 1, v.size()) << row.name << " lang " << l;
        EXPECT_NE(v[amp + 1], ' ') << row.name << " lang " << l;
      }
    }
  }
  for (const auto& row : Hints()) {
    const bool split = row.text.Get(kEnglish).find('|') != std::string_view::npos;
    for (int l = 1; l < kLanguageCount; ++l)
      EXPECT_EQ(row.text.Get(l).find('|') != std::string_view::npos, split) << row.name << " lang " << l;
  }
}

TEST(UiTextsTest, RadioGroupItemsInOrder) {
  const std::map<std::string, std::vector<std::string>> expected = {
      {"RadioGroupPotencMode", {"No", "Injection", "Advance", "Start Limiter"}},
      {"RadioGroupPolCKPS", {"Positive", "Negative"}},
      {"RadioGroupClutchMode", {"No ignition", "Retard"}},
      {"RadioGroupGearSystem", {"Voltage", "Ration Rpm Speed", "Automatic (Ratio Rpm Speed)", "No"}},
      {"RadioGroupSpeedMode", {"Pulse over 1s for 100 km/h", "Distance for pulse [mm]"}},
      {"RadioGroupIdleMode", {"No", "Intake servo", "Step motor without potentiometer", "Step motor set TPS min"}},
      {"RadioGroupLadeniOnByTLS", {"Tacho/AFR", "Tacho/AFR, autotunning", "Autotunning"}},
      {"RadioGroupLadeniMode", {"Points", "All"}},
      {"RadioGroupCidloLambdaMode", {"Standard", "Uego"}},
  };
  std::map<std::string, std::vector<std::string>> actual;
  for (const auto& group : RadioGroupItems())
    for (const auto& item : group.items) actual[group.name].emplace_back(item.Get(kEnglish));
  EXPECT_EQ(actual, expected);
}

TEST(UiTextsTest, QuotedTextsStayAsQuoted) {
  auto find = [](std::span<const NamedText> rows, std::string_view name) -> const CLngStr* {
    for (const auto& row : rows)
      if (row.name == name) return &row.text;
    return nullptr;
  };
  struct Case {
    const char* name;
    int language;
    const char* text;
  };
  const Case menus[] = {
      {"MenuSave", kFrench, "&Mcmoriser"},
      {"MenuCzech", kFrench, "&Tchcque - Česky"},
      {"MenuCzech", kCzech, "Če&sky"},
      {"MenuHelp", kCzech, "Nápoveda"},
      {"MenuOpenExeDir", kGerman, "&Öffnen aue exe dir"},
      {"MenuNewActPage", kFrench, "New for actual page"},
      {"ButtonRead", kEnglish, "&Read"},
  };
  for (const auto& c : menus) {
    const CLngStr* t = find(MenuCaptions(), c.name);
    ASSERT_NE(t, nullptr) << c.name;
    EXPECT_EQ(t->Get(c.language), c.text) << c.name;
  }
  const CLngStr* hint = find(Hints(), "LabelVerze4");
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(hint->Get(kEnglish), "HW description|Hardware description (Firmware version, upload date, Serial number)");
  EXPECT_EQ(kExternalMonitorCaption.Get(kFrench), "External monitor");
  EXPECT_EQ(kExternalMonitorCaption.Get(kCzech), "Externí monitor");
}

}  // namespace
