#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "files/ConfigSections.h"
#include "image/FieldCatalogue.h"
#include "image/MapStorage.h"

namespace {

// What the catalogues say about one image byte: the file keyword of the
// field or map holding it and whether it is part of a word.
struct Owner {
  std::string key;
  std::size_t elementSize = 0;
  std::size_t elementStart = 0;
};

std::map<std::size_t, Owner> CatalogueOwners() {
  std::map<std::size_t, Owner> owners;
  const auto add = [&](std::size_t first, std::size_t elements, std::size_t size, const std::string& key) {
    for (std::size_t e = 0; e < elements; ++e)
      for (std::size_t b = 0; b < size; ++b) owners[first + e * size + b] = {key, size, first + e * size};
  };
  for (const FieldInfo& f : kFieldCatalogue)
    if (*f.key != '\0') add(f.offset, f.count, ElementSize(f.width), f.key);
  for (const MapLayout& m : kMapTable) {
    add(m.axisOffset, m.columns, 1, m.axisKey);
    add(m.valueOffset, std::size_t(m.rows) * m.columns, ElementSize(m.valueWidth), m.valueKey);
  }
  return owners;
}

bool Written(const ConfigSection& s) { return s.until >= kConfigFileVersion; }

// Every value a section writes sits in a field or map of the same keyword,
// with the same width; together the sections write every keyed byte once.
TEST(ConfigSectionsTest, ValuesMatchTheCataloguesKeywordsAndCoverEveryKeyedByteOnce) {
  const std::map<std::size_t, Owner> owners = CatalogueOwners();
  std::map<std::size_t, int> written;
  for (const ConfigSection& s : ConfigSections()) {
    for (const ConfigItem& item : s.items) {
      if (!IsValueItem(item)) continue;
      for (std::size_t e = 0; e < item.count; ++e) {
        const std::size_t size = ItemElementSize(item);
        const std::size_t at = item.offset + e * size;
        const auto owner = owners.find(at);
        ASSERT_NE(owner, owners.end()) << s.keyword << " writes byte " << at << ", which no catalogue keys";
        EXPECT_EQ(owner->second.elementStart, at) << s.keyword << " byte " << at << " is inside an element";
        EXPECT_EQ(owner->second.elementSize, size) << s.keyword << " byte " << at;
        // The old TUNING layout carries the one desired AFR of its time.
        const bool olderAfr = !Written(s) && owner->second.key == "TUNING_LAMBDA";
        if (!olderAfr) {
          EXPECT_EQ(owner->second.key, s.keyword) << "byte " << at;
        }
        if (Written(s))
          for (std::size_t b = 0; b < size; ++b) ++written[at + b];
      }
    }
  }
  for (const auto& [at, owner] : owners) EXPECT_EQ(written[at], 1) << owner.key << " byte " << at;
  EXPECT_EQ(written.size(), owners.size());
}

// Restated: the keyword order of the file, and the page whose actual-page
// open reads each section (-1: only a whole-image open).
TEST(ConfigSectionsTest, KeywordsComeInTheFilesOrderWithTheirPages) {
  const std::vector<std::pair<std::string, int>> expected = {
      {"BIKE", -1},
      {"DWELL", 0},
      {"APS_IAPS", 5},
      {"WATER_TEMP_SENSOR", 5},
      {"AIR_TEMP_SENSOR", 5},
      {"SENSOR_LAMBDA", 5},
      {"LAMBDA_TACHO", 0},
      {"INPUTS", 0},
      {"LIMITER", 0},
      {"LIMITER2", 0},
      {"START_LIMITER_DELAY", 0},
      {"TPS", 5},
      {"POTENTIOMETER", 5},
      {"COOLING", 0},
      {"NEG_CKPS", 0},
      {"RPM", 0},
      {"INTAKE_PORT", 0},
      {"ADVANCE_MISC", 1},
      {"RPM_ADV", 1},
      {"ADVANCE", 1},
      {"JET1_MISC", 2},
      {"RPM_JET_1A", 2},
      {"JET_1A", 2},
      {"RPM_JET_2A", 2},
      {"JET_2A", 2},
      {"RPM_JET_3A", 2},
      {"JET_3A", 2},
      {"RPM_JET_4A", 2},
      {"JET_4A", 2},
      {"RPM_JET_B", 2},
      {"JET_B", 2},
      {"IAP_MISC", 2},
      {"IAP_IAP", 2},
      {"RPM_IAP", 2},
      {"IAP", 2},
      {"POSITION_A", 3},
      {"POSITION_B", 3},
      {"SERVO_IN", 6},
      {"RPM_SERVO_IN", 6},
      {"SERVO_IN_VALUE", 6},
      {"SERVO_EX", 6},
      {"RPM_SERVO_EX", 6},
      {"SERVO_EX_VALUE", 6},
      {"IDLE", 9},
      {"IDLE_CONTROL_BAND", 9},
      {"CHOKE", 4},
      {"START_INJ", 4},
      {"INJ_CORR", 4},
      {"ACCEL", 4},
      {"ACC_CORR", 4},
      {"ADVANCE_CORR", 4},
      {"N2O", 10},
      {"N2O_RPMmin", 10},
      {"N2O_TPSmin", 10},
      {"SPEED_PULSES", 8},
      {"GEAR", 8},
      {"GEAR_AUTO", 8},
      {"GEAR_CORR", 8},
      {"SPEED_OUT_COR", 8},
      {"PILOT_LIGHT", 7},
      {"PILOT_LIGHT_INV_OUT", 7},
      {"CLUTCH", 7},
      {"DISPLAY", 7},
      {"PIT_SPEED_CONTROL", 7},
      {"TUNING", 11},
      {"TUNING_LAMBDA", 11},
      {"TEST_OUT", 13},
      {"LAMBDA_BAR", 12},
      {"VERSIONS", -1},
      {"MEMO", 0},
  };
  std::vector<std::pair<std::string, int>> actual;
  for (const ConfigSection& s : ConfigSections())
    if (Written(s)) actual.emplace_back(s.keyword, s.page);
  EXPECT_EQ(actual, expected);
}

}  // namespace
