#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "files/ConfigFile.h"
#include "files/ConfigSections.h"
#include "image/BikeDefaults.h"
#include "image/ParamSet.h"

namespace {

// ---------------------------------------------------------------------------
// The crafted image and its file, written by hand: negative -100 values and
// s[n] bytes, flags that are 5 (written 1), the intake servo in percent
// (×1) and the exhaust servo in volts (×20), the TAB after
// IDLE_CONTROL_BAND, the glued TUNING_LAMBDA, unit texts with a TAB and
// Czech letters, and a note with an empty line, Windows-1250 bytes, a
// keyword line and a CR.

void Put(ConfigImage& image, std::size_t offset, std::initializer_list<int> bytes) {
  for (int b : bytes) image[offset++] = static_cast<std::uint8_t>(b);
}
void PutWords(ConfigImage& image, std::size_t offset, std::initializer_list<int> words) {
  for (int w : words) {
    image[offset++] = static_cast<std::uint8_t>(w & 0xFF);
    image[offset++] = static_cast<std::uint8_t>(w >> 8);
  }
}
void PutRun(ConfigImage& image, std::size_t offset, int count, int first, int step) {
  for (int i = 0; i < count; ++i) image[offset + std::size_t(i)] = static_cast<std::uint8_t>(first + i * step);
}

ConfigImage Crafted() {
  ConfigImage m{};
  Put(m, 0, {7});
  Put(m, 4, {35});
  PutWords(m, 6, {20, 500, 101, 4500, 20, 400, 300, 65535});
  Put(m, 22, {1, 0, 5, 0, 1, 255});
  Put(m, 28, {80, 120, 121, 122, 3});
  Put(m, 33, {50, 180, 105, 2, 0, 85, 60});
  Put(m, 40, {1, 100, 95, 0, 255, 10, 50});
  Put(m, 47, {2, 5, 90, 20, 60});
  Put(m, 52, {100, 101, 102, 103});
  Put(m, 56, {1, 2});
  Put(m, 58, {0, 1, 16, 40, 0, 5, 2, 0, 5, 5, 10, 15, 20, 150, 120, 100, 0, 2, 10, 20, 8});
  Put(m, 80, {100, 101, 102, 103, 104, 90, 91, 92, 93, 94});
  Put(m, 90, {20, 4, 12, 110, 110, 100, 100, 95});
  Put(m, 98, {1, 30, 60, 10, 5, 2, 4, 7, 3, 0});
  Put(m, 108, {100, 101, 102, 103, 104, 105, 110, 111, 112, 113, 114, 115});
  Put(m, 120, {1, 10, 11, 12, 13, 14, 15, 20, 21, 22, 23, 24, 25, 30, 50, 246});
  Put(m, 136, {0, 6, 1, 1});
  PutWords(m, 140, {500, 1000, 1500, 2000, 2500, 3000, 3500});
  Put(m, 154, {3, 15, 20, 40, 20, 255});
  PutWords(m, 160, {1234, 2000, 1000, 666, 500, 400, 333});
  Put(m, 174, {100, 90, 110, 0, 255, 100, 100, 101, 102, 103, 104, 105});
  Put(m, 186, {60, 2, 3, 128, 25});
  PutWords(m, 194, {4500, 4000, 3500, 3000, 2500, 2000, 1500, 1000, 500});
  PutWords(m, 212, {4600, 4100, 3600, 3100, 2600, 2100, 1600, 1100, 600});
  Put(m, 248, {6, 1, 8, 3});
  Put(m, 275, {7, 2, 9, 4, 5, 40, 50, 15});
  Put(m, 290, {2, 15, 30, 1, 4, 5, 6, 10});
  PutWords(m, 298, {100, 200, 300, 400, 500, 600, 700, 800, 900});
  Put(m, 317, {1, 2, 3, 4, 30, 31, 32, 33, 34, 35, 36, 37, 38});
  PutWords(m, 330, {3000, 10, 20, 30, 40});
  Put(m, 340, {0, 1});
  Put(m, 344, {3, 50, 5, 10, 2});
  Put(m, 350, {1, 20, 1, 100, 120, 140, 160, 180});
  PutWords(m, 358, {0, 1250, 2500, 3750, 5000});
  Put(m, 368, {130, 150, 30, 255, 100, 120, 140, 180, 50, 50, 100, 200, 5, 20, 140, 205});
  PutWords(m, 384, {30, 50, 60, 70, 75, 80, 85, 90, 95, 100});
  Put(m, 404, {100});
  PutRun(m, 405, 15, 10, 5);
  PutRun(m, 420, 15, 72, 0);
  PutRun(m, 465, 15, 10, 5);
  PutRun(m, 480, 15, 10, 5);
  Put(m, 600, {251, 10, 20, 30, 40, 50, 60});
  PutWords(m, 750, {1000, 65535, 256});
  Put(m, 2099, {100});
  Put(m, 2400, {1, 250, 255});
  PutRun(m, 2550, 11, 0, 10);
  PutRun(m, 2561, 4, 100, 0);
  Put(m, 2700, {100, 120, 140, 160, 180, 142, 140, 136, 136, 136});
  PutRun(m, 2710, 15, 136, 0);
  PutRun(m, 2725, 5, 130, 1);
  const char note[] = "Tune for Brno\0\0\xD8\xEDzen\xED\0ADVANCE 1 2\0a\rb";
  std::copy(std::begin(note), std::end(note), m.begin() + 2730);
  return m;
}

const std::uint8_t kBootRecord[24] = {0x02, 0x11, 0x07, 0x20, 0x01, 0x04, 'S', 1, 2, 3, 0, 0,
                                      0,    0,    0,    0,    0,    0,    0,   0, 0, 0, 1, 0xA5};

ConfigFileIdentity CraftedIdentity() {
  return {.imageMatchesUnit = true,
          .unitDate = "13. 7.2015",
          .unitTime = "14:30",
          .unitText = "Zapalování\tVTX",
          .bootRecordValid = true,
          .bootLine = "FRM:010203S (150713 14:30)   SN:020103-010D15-0072A",
          .bootRecord = kBootRecord};
}

// Continuation lines of fifteen zeros: the rows of the maps left at zero.
#define ZERO_ROW \
  "                 0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
#define NINE_ZERO_ROWS ZERO_ROW ZERO_ROW ZERO_ROW ZERO_ROW ZERO_ROW ZERO_ROW ZERO_ROW ZERO_ROW ZERO_ROW

// clang-format off
const std::string kCraftedFile =
    "CORVALIS_KEY    83 \r\n"
    "\r\n"
    "BIKE             7 \r\n"
    "DWELL         3500 \r\n"
    "             \r\n"
    "APS_IAPS        20   500   101  4500 \r\n"
    "                20   400   300 65535 \r\n"
    "WATER_TEMP_SENSOR\r\n"
    "              4500  4000  3500  3000  2500  2000  1500  1000   500 \r\n"
    "AIR_TEMP_SENSOR    \r\n"
    "              4600  4100  3600  3100  2600  2100  1600  1100   600 \r\n"
    "SENSOR_LAMBDA          1 \r\n"
    "               100   120   140   160   180 \r\n"
    "                 0  1250  2500  3750  5000 \r\n"
    "LAMBDA_TACHO       \r\n"
    "               130   150 \r\n"
    "              3000 25500 \r\n"
    "INPUTS           1     0     5     0     1   255 \r\n"
    "LIMITER       8000 12000 12100 12200     3 \r\n"
    "LIMITER2      6000 \r\n"
    "START_LIMITER_DELAY  1500 \r\n"
    "TPS            500  4300 \r\n"
    "POTENTIOMETER          2    10 \r\n"
    "COOLING        105 \r\n"
    "NEG_CKPS         0 \r\n"
    "RPM              2  -100 \r\n"
    "INTAKE_PORT   8500 \r\n"
    "\r\n"
    "ADVANCE_MISC     1     0    -5  -100   155    10    50 \r\n"
    "RPM_ADV       1000  1500  2000  2500  3000  3500  4000  4500  5000  5500  6000  6500  7000  7500  8000 \r\n"
    "ADVANCE        251    10    20    30    40    50    60     0     0     0     0     0     0     0     0 \r\n"
    NINE_ZERO_ROWS
    "             \r\n"
    "JET1_MISC        2     5    90  2000  6000 \r\n"
    "RPM_JET_1A    1000  1500  2000  2500  3000  3500  4000  4500  5000  5500  6000  6500  7000  7500  8000 \r\n"
    "JET_1A        1000 65535   256     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    NINE_ZERO_ROWS
    "             \r\n"
    "RPM_JET_2A       0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    "JET_2A           0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    NINE_ZERO_ROWS
    "             \r\n"
    "RPM_JET_3A       0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    "JET_3A           0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    NINE_ZERO_ROWS
    "             \r\n"
    "RPM_JET_4A       0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    "JET_4A           0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    NINE_ZERO_ROWS
    "             \r\n"
    "RPM_JET_B        0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    "JET_B            0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    ZERO_ROW
    ZERO_ROW
    ZERO_ROW
    ZERO_ROW
    ZERO_ROW
    ZERO_ROW
    ZERO_ROW
    ZERO_ROW
    "                 0     0     0     0     0     0     0     0     0     0     0     0     0     0   100 \r\n"
    "             \r\n"
    "IAP_MISC       100   101   102   103 \r\n"
    "IAP_IAP         30    50    60    70    75    80    85    90    95   100 \r\n"
    "RPM_IAP          0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    "IAP              0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    NINE_ZERO_ROWS
    "             \r\n"
    "POSITION_A       1 \r\n"
    "              1000  1500  2000  2500  3000  3500  4000  4500  5000  5500  6000  6500  7000  7500  8000 \r\n"
    "               360   360   360   360   360   360   360   360   360   360   360   360   360   360   360 \r\n"
    "\r\n"
    "POSITION_B       2 \r\n"
    ZERO_ROW
    ZERO_ROW
    "\r\n"
    "SERVO_IN         1     1 \r\n"
    "               200     1     2     3     4     5 \r\n"
    "                 0     1    20  2000 \r\n"
    "RPM_SERVO_IN     0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    "SERVO_IN_VALUE\r\n"
    "                 0    10    20    30    40    50    60    70    80    90   100   100   100   100   100 \r\n"
    NINE_ZERO_ROWS
    "             \r\n"
    "\r\n"
    "SERVO_EX         0     0    80     6     7     8     9     2 \r\n"
    "RPM_SERVO_EX     0     0     0     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    "SERVO_EX_VALUE\r\n"
    "                20  5000  5100     0     0     0     0     0     0     0     0     0     0     0     0 \r\n"
    NINE_ZERO_ROWS
    "             \r\n"
    "IDLE             2  1500    30 \r\n"
    "                 1  1000     5    60 \r\n"
    "              3000 \r\n"
    "               100   200   300   400   500   600   700   800   900 \r\n"
    "                 1     2     3     4 \r\n"
    "              1500  1550  1600  1650  1700  1750  1800  1850  1900 \r\n"
    "             \r\n"
    "IDLE_CONTROL_BAND\t  100 \r\n"
    "             \r\n"
    "CHOKE            5    10    15    20 \r\n"
    "               250   220   200   100 \r\n"
    "START_INJ       12 \r\n"
    "             \r\n"
    "INJ_CORR       100   101   102   103   104 \r\n"
    "                90    91    92    93    94 \r\n"
    "ACCEL          200   200 \r\n"
    "\r\n"
    "ACC_CORR        10    20    40    30 \r\n"
    "ADVANCE_CORR   110   110   100   100    95 \r\n"
    "             \r\n"
    "N2O              1 \r\n"
    "                30    60   500  1000   120   355 \r\n"
    "                 2     4   300   700 \r\n"
    "N2O_RPMmin    4000 \r\n"
    "N2O_TPSmin      50 \r\n"
    "SPEED_PULSES     1  1234 \r\n"
    "             \r\n"
    "GEAR             0     6 \r\n"
    "               500  1000  1500  2000  2500  3000  3500 \r\n"
    "              2000  1000   666   500   400   333 \r\n"
    "GEAR_AUTO        3  1500    20    40 \r\n"
    "GEAR_CORR        0   -10    10  -100   155     0 \r\n"
    "               100   101   102   103   104   105 \r\n"
    "SPEED_OUT_COR   100 \r\n"
    "PILOT_LIGHT  10000 10100 10200 10300 10400 10500 \r\n"
    "             11000 11100 11200 11300 11400 11500 \r\n"
    "PILOT_LIGHT_INV_OUT    1\r\n"
    "CLUTCH           1  3000    50   -10 \r\n"
    "                50    55    60    65    70    75 \r\n"
    "               200   210   220   230   240   250 \r\n"
    "\r\n"
    "DISPLAY          0\r\n"
    "PIT_SPEED_CONTROL     60     2     3  -128  2500 \r\n"
    "\r\n"
    "TUNING           1     0   500     5     3    10     2     1 \r\n"
    "                20   100   200     5  2000    40   105 \r\n"
    "TUNING_LAMBDA10000 12000 14000 16000 18000 \r\n"
    "               142   140   136   136   136 \r\n"
    "               136   136   136   136   136 \r\n"
    "               136   136   136   136   136 \r\n"
    "               136   136   136   136   136 \r\n"
    "               130   131   132   133   134 \r\n"
    "\r\n"
    "TEST_OUT      5000   500 \r\n"
    "\r\n"
    "LAMBDA_BAR     100   120   140   180 \r\n"
    "             \r\n"
    "VERSIONS\r\n"
    "EXE  <date>   <time>\r\n"
    "HEX  13. 7.2015  14:30   Zapalov\xE1""n\xED"" VTX\r\n"
    "BOOT-SW  FRM:010203S (150713 14:30)   SN:020103-010D15-0072A  Lock:1\r\n"
    "BOOT-HW  HWKey:0x1102 uP:0x07 Customer:32 BLver:0x01  BLlen:1024\r\n"
    "\r\n"
    "MEMO         \r\n"
    "Tune for Brno\r\n"
    "\r\n"
    "\xD8""\xED""zen\xED""\r\n"
    "ADVANCE 1 2\r\n"
    "a b";
// clang-format on
#undef NINE_ZERO_ROWS
#undef ZERO_ROW

// The EXE line holds the build's date and time: checked for its form, then
// masked.
std::string MaskExeLine(const std::string& file) {
  static const std::regex exe("\r\nEXE  [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}   [0-2][0-9]:[0-5][0-9]:[0-6][0-9]\r\n");
  return std::regex_replace(file, exe, "\r\nEXE  <date>   <time>\r\n");
}

std::string WithoutCr(std::string text) {
  std::erase(text, '\r');
  return text;
}

ConfigImage Filled(std::uint8_t value) {
  ConfigImage image;
  image.fill(value);
  return image;
}

ConfigImage RandomImage(unsigned seed) {
  std::mt19937 rng(seed);
  ConfigImage image;
  for (auto& b : image) b = static_cast<std::uint8_t>(rng());
  return image;
}

// `before` with the default configuration of `bike` over it.
ConfigImage BikeDefaults(ConfigImage before, int bike) {
  before[0] = static_cast<std::uint8_t>(bike);
  CParamSet scratch;
  ApplyBikeDefaults(before, scratch, kWholeImage);
  return before;
}

ConfigReadResult Read(const std::string& file, const ConfigImage& before, DefaultsScope scope = kWholeImage) {
  return ReadConfigFile(file, {before, scope});
}

// Image bytes the current format writes, and those written as flags.
std::set<std::size_t> Covered(bool flagsOnly = false) {
  std::set<std::size_t> bytes;
  for (const ConfigSection& s : ConfigSections()) {
    if (s.until < kConfigFileVersion) continue;
    for (const ConfigItem& item : s.items) {
      if (!IsValueItem(item) || (flagsOnly && item.kind != ItemKind::kFlag)) continue;
      for (std::size_t b = 0; b < item.count * ItemElementSize(item); ++b) bytes.insert(item.offset + b);
    }
  }
  return bytes;
}

constexpr std::size_t kNoteFirst = 2730, kNoteEnd = 2850;

void ExpectCoveredEqual(const ConfigImage& actual, const ConfigImage& expected, const std::string& what,
                        std::size_t except = kImageSize) {
  for (std::size_t b : Covered()) {
    if (b != except) {
      EXPECT_EQ(int(actual[b]), int(expected[b])) << what << ", byte " << b;
    }
  }
}

// ---------------------------------------------------------------------------
// Writer

TEST(ConfigFileWriterTest, WritesTheHandWrittenFixtureByteForByte) {
  const std::string file = WriteConfigFile(Crafted(), CraftedIdentity());
  EXPECT_NE(MaskExeLine(file), file) << "EXE line missing or malformed";
  EXPECT_EQ(MaskExeLine(file), kCraftedFile);
}

TEST(ConfigFileWriterTest, IdentificationLinesFollowWhatIsKnownOfTheUnit) {
  const struct {
    bool matches;
    bool bootValid;
    std::vector<std::string> lines;  // between VERSIONS and the empty line before MEMO
  } cases[] = {
      {false, true, {"EXE  <date>   <time>"}},
      {true, false, {"EXE  <date>   <time>", "HEX  13. 7.2015  14:30   Zapalov\xE1n\xED VTX"}},
      {true,
       true,
       {"EXE  <date>   <time>", "HEX  13. 7.2015  14:30   Zapalov\xE1n\xED VTX",
        "BOOT-SW  FRM:010203S (150713 14:30)   SN:020103-010D15-0072A  Lock:1",
        "BOOT-HW  HWKey:0x1102 uP:0x07 Customer:32 BLver:0x01  BLlen:1024"}},
  };
  for (const auto& c : cases) {
    ConfigFileIdentity id = CraftedIdentity();
    id.imageMatchesUnit = c.matches;
    id.bootRecordValid = c.bootValid;
    std::string expected = "\r\nVERSIONS";
    for (const std::string& line : c.lines) expected += "\r\n" + line;
    expected += "\r\n\r\nMEMO         \r\n";
    EXPECT_NE(MaskExeLine(WriteConfigFile(Crafted(), id)).find(expected), std::string::npos) << c.lines.size();
  }
}

TEST(ConfigFileWriterTest, ControlCharactersInUnitTextsAndLineBreaksInTheNoteAreBlanked) {
  ConfigFileIdentity id = CraftedIdentity();
  id.unitText = "A\r\nMEMO\x01";
  id.bootLine = "B\nC";
  ConfigImage image = Crafted();
  const char note[] = "x\ny\r\0";
  std::fill(image.begin() + kNoteFirst, image.end(), 0);
  std::copy(std::begin(note), std::end(note), image.begin() + kNoteFirst);
  const std::string file = WriteConfigFile(image, id);
  EXPECT_NE(file.find("   A  MEMO \r\n"), std::string::npos);
  EXPECT_NE(file.find("BOOT-SW  B C  Lock:1\r\n"), std::string::npos);
  EXPECT_TRUE(file.ends_with("\r\nMEMO         \r\nx y "));
}

// Every byte the file covers, at the edges of its conversions: each value
// alone (flags read back as 0 or 1, servo maps ×1 and ×20), then random
// images, which catch a value that lands on another field's byte.
TEST(ConfigFileRoundTripTest, EveryCoveredByteComesBack) {
  const std::set<std::size_t> covered = Covered();
  const std::set<std::size_t> flags = Covered(true);
  ASSERT_EQ(flags.size(), 8u);
  const ConfigImage before = Filled(0x5A);
  for (int value : {0, 1, 99, 100, 127, 128, 255}) {
    for (bool percent : {false, true}) {
      ConfigImage image{};
      for (std::size_t b : covered) image[b] = static_cast<std::uint8_t>(value);
      // Servo percent flags (bytes 62, 63) choose the servo maps' scale.
      image[62] = image[63] = percent ? 1 : 0;
      const ConfigReadResult r = Read(WriteConfigFile(image, {}), before);
      ASSERT_EQ(r.version, 83);
      for (std::size_t b : covered) {
        const int expected = flags.count(b) != 0 ? (image[b] != 0) : image[b];
        EXPECT_EQ(int(r.image[b]), expected) << "value " << value << ", byte " << b;
      }
    }
  }
  for (unsigned seed = 1; seed <= 4; ++seed) {
    ConfigImage image = RandomImage(seed);
    for (std::size_t b : flags) image[b] &= 1;
    const ConfigReadResult r = Read(WriteConfigFile(image, {}), before);
    ExpectCoveredEqual(r.image, image, "seed " + std::to_string(seed));
  }
}

TEST(ConfigFileRoundTripTest, TheNoteComesBackByteForByte) {
  ConfigImage image = Crafted();
  const char note[] = "first\0\0\xD8\xEDzen\xED \x9A\0MEMO\0CORVALIS_KEY 90";
  std::fill(image.begin() + kNoteFirst, image.end(), 0);
  std::copy(std::begin(note), std::end(note), image.begin() + kNoteFirst);
  const ConfigReadResult r = Read(WriteConfigFile(image, CraftedIdentity()), Filled(0x77));
  EXPECT_EQ(r.version, 83);
  EXPECT_TRUE(std::equal(image.begin() + kNoteFirst, image.end(), r.image.begin() + kNoteFirst));
}

// ---------------------------------------------------------------------------
// Reader

TEST(ConfigFileReaderTest, TheCurrentVersionReadsEverySection) {
  const ConfigImage crafted = Crafted();
  const ConfigReadResult r = Read(kCraftedFile, RandomImage(9));
  EXPECT_EQ(r.version, 83);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_TRUE(r.problems.empty());
  EXPECT_FALSE(r.refused);
  for (std::size_t b : Covered()) {
    // Flag bytes 63 and 66 hold 5; the file says 1.
    const int expected = (b == 63 || b == 66) ? 1 : crafted[b];
    EXPECT_EQ(int(r.image[b]), expected) << b;
  }
  // The note as written: its CR became a blank.
  const char note[] = "Tune for Brno\0\0\xD8\xEDzen\xED\0ADVANCE 1 2\0a b";
  ConfigImage expectedNote{};
  std::copy(std::begin(note), std::end(note), expectedNote.begin() + kNoteFirst);
  EXPECT_TRUE(std::equal(r.image.begin() + kNoteFirst, r.image.end(), expectedNote.begin() + kNoteFirst));
}

TEST(ConfigFileReaderTest, LfLineEndsReadExactlyAsCrLf) {
  const ConfigImage before = RandomImage(3);
  const ConfigReadResult crlf = Read(kCraftedFile, before);
  const ConfigReadResult lf = Read(WithoutCr(kCraftedFile), before);
  EXPECT_EQ(lf.version, 83);
  EXPECT_TRUE(lf.problems.empty());
  EXPECT_EQ(lf.image, crlf.image);
}

// BIKE resets the image to the bike's defaults before the other sections
// overwrite them; without it, bytes no section names keep their value.
TEST(ConfigFileReaderTest, BikeSectionAppliesTheBikesDefaultsAndWithoutItTheRestStays) {
  const ConfigImage before = RandomImage(5);
  const std::set<std::size_t> covered = Covered();

  const ConfigImage defaults = BikeDefaults(before, 7);
  const ConfigReadResult withBike = Read(kCraftedFile, before);
  for (std::size_t b = 0; b < kNoteFirst; ++b) {
    if (covered.count(b) == 0) {
      EXPECT_EQ(int(withBike.image[b]), int(defaults[b])) << b;
    }
  }

  std::string noBike = kCraftedFile;
  noBike.erase(noBike.find("BIKE"), std::string("BIKE             7 ").size());
  const ConfigReadResult r = Read(noBike, before);
  ASSERT_EQ(r.version, 83);
  ExpectCoveredEqual(r.image, withBike.image, "without BIKE", 0);
  for (std::size_t b = 0; b < kNoteFirst; ++b) {
    if (covered.count(b) == 0) {
      EXPECT_EQ(int(r.image[b]), int(before[b])) << b;
    }
  }
  EXPECT_EQ(r.image[0], before[0]);
}

struct Expect {
  std::size_t offset;
  std::vector<int> bytes;
};

struct OlderCase {
  const char* name;
  std::string file;
  int version;
  std::vector<Expect> changed;    // bytes the file sets
  std::vector<Expect> unchanged;  // ranges (first, count) that keep the value before
};

// Older files: sections their version lacks or lays out differently.
TEST(ConfigFileReaderTest, OlderVersionsFollowTheirOwnLayouts) {
  const std::string servoAndIdle82 =
      "SERVO_IN     1     0   200     2     1     7  2000 \r\n"
      "SERVO_EX     1     1    80     2 \r\n"
      "IDLE  2 1500 30 1 1000 5 60 3000 100 200 300 400 500 600 700 800 900 1 2 3 4 "
      "1500 1550 1600 1650 1700 1750 1800 1850 1900\r\n"
      "CLUTCH 1 3000 50 -10 50 55 60 65 70 75 200 210 220 230 240 250\r\n";
  const std::vector<Expect> servoAndIdleBytes = {
      {58, {1, 1, 16, 40, 1, 0, 2, 2, 1}},
      {77, {7, 8}},
      {290, {2, 15, 30, 1, 4, 5, 6}},
      {298, {100, 0, 200, 0, 44, 1}},
      {317, {1, 2, 3, 4, 30, 31, 32, 33, 34, 35, 36, 37, 38, 0xB8, 0x0B}},
      {120, {1, 10, 11, 12, 13, 14, 15, 20, 21, 22, 23, 24, 25, 30, 50, 246}},
  };
  std::vector<Expect> at82 = servoAndIdleBytes;
  at82.push_back({340, {1, 2}});
  at82.push_back({344, {3, 50, 5, 10, 2}});
  at82.push_back({350, {1, 20}});
  at82.push_back({2700, {10, 20, 40, 80, 160}});
  at82.push_back({2705, std::vector<int>(25, 140)});
  std::vector<Expect> at74 = at82;
  at74[6] = {340, {1, 0xEE}};  // b[341] came with version 81

  // The servo gains came with version 83.
  const std::vector<Expect> keptBeforeServoGains = {{248, std::vector<int>(4, 0xEE)}, {275, std::vector<int>(5, 0xEE)}};

  const OlderCase cases[] = {
      {"82", "CORVALIS_KEY 82\r\n" + servoAndIdle82 + "TUNING 2 1 500 5 140 3 100 2 1 20\r\n", 82, at82,
       keptBeforeServoGains},
      {"74", "CORVALIS_KEY 74\r\n" + servoAndIdle82 + "TUNING 1 500 5 140 3 100 2 1 20\r\n", 74, at74,
       keptBeforeServoGains},
      {"73: TUNING is passed over",
       "CORVALIS_KEY 73\r\n" + servoAndIdle82 + "TUNING 2 1 500 5 140 3 100 2 1 20\r\n",
       73,
       servoAndIdleBytes,
       {{340, {0xEE, 0xEE}}, {344, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE}}, {2700, std::vector<int>(30, 0xEE)}}},
  };
  for (const OlderCase& c : cases) {
    const ConfigReadResult r = Read(c.file, Filled(0xEE));
    EXPECT_EQ(r.version, c.version) << c.name;
    EXPECT_EQ(r.messages, std::vector<ConfigMessage>{ConfigMessage::kOlderVersion}) << c.name;
    EXPECT_TRUE(r.problems.empty()) << c.name;
    for (const auto* list : {&c.changed, &c.unchanged})
      for (const Expect& e : *list)
        for (std::size_t i = 0; i < e.bytes.size(); ++i)
          EXPECT_EQ(int(r.image[e.offset + i]), e.bytes[i]) << c.name << ", byte " << e.offset + i;
  }
}

// Where the old layouts change: temperature sensors from 66 and 69, the idle
// start time from 70 on, clutch times written ×10 before 70.
TEST(ConfigFileReaderTest, VersionBoundariesOfTheOlderLayouts) {
  for (int version : {65, 66, 68, 69, 71}) {
    const bool idleStart = version > 69;
    const std::string file =
        "CORVALIS_KEY " + std::to_string(version) +
        "\r\nWATER_TEMP_SENSOR 9 8 7 6 5 4 3 2 1\r\nAIR_TEMP_SENSOR 9 8 7 6 5 4 3 2 1\r\n"
        "IDLE  2 1500 30 1 1000 5 60 " +
        (idleStart ? "3000 " : "") +
        "100 200 300 400 500 600 700 800 900 1 2 3 4 1500 1550 1600 1650 1700 1750 1800 1850 1900\r\n"
        "CLUTCH 1 3000 50 -10 100 110 120 130 140 150 200 210 220 230 240 250\r\n";
    const ConfigReadResult r = Read(file, Filled(0xEE));
    const std::string v = std::to_string(version);
    EXPECT_EQ(r.version, version);
    EXPECT_EQ(r.messages, std::vector<ConfigMessage>{ConfigMessage::kOlderVersion}) << v;
    EXPECT_TRUE(r.problems.empty()) << v;
    EXPECT_EQ(r.image[194], version > 65 ? 9 : 0xEE) << v;
    EXPECT_EQ(r.image[212], version > 68 ? 9 : 0xEE) << v;
    EXPECT_EQ(r.image[330], idleStart ? 0xB8 : 0xEE) << v;
    EXPECT_EQ(r.image[298], 100) << v;
    EXPECT_EQ(r.image[329], 38) << v;
    EXPECT_EQ(r.image[121], version < 70 ? 10 : 20) << v;
    EXPECT_EQ(r.image[126], version < 70 ? 15 : 30) << v;
    EXPECT_EQ(r.image[132], 25) << v;
  }
}

TEST(ConfigFileReaderTest, VersionMessagesAndTheKeyThatIsTaken) {
  const std::string body = "\r\nDWELL 3500\r\n";
  using M = ConfigMessage;
  const struct {
    const char* name;
    std::string file;
    int version;
    std::vector<ConfigMessage> messages;
  } cases[] = {
      {"83", "CORVALIS_KEY    83 \r\n" + body, 83, {}},
      {"90", "CORVALIS_KEY    90 \r\n" + body, 0, {M::kUnmatchedVersion}},
      // The list of older versions binds: 80 is not on it.
      {"80", "CORVALIS_KEY    80 \r\n" + body, 0, {M::kUnmatchedVersion}},
      {"90 then 83", "CORVALIS_KEY 90\r\nDWELL 100\r\nCORVALIS_KEY 83\r\n" + body, 83, {M::kUnmatchedVersion}},
      {"90 then 82", "CORVALIS_KEY 90\r\nCORVALIS_KEY 82" + body, 82, {M::kUnmatchedVersion, M::kOlderVersion}},
      {"tokens before the key", "DWELL 100 CORVALIS_KEY 83" + body, 83, {}},
      // Without any key the file is no configuration file: no version to speak of.
      {"no key", body, 0, {}},
      {"empty file", "", 0, {}},
      {"a key in the note", "MEMO\r\nCORVALIS_KEY 83" + body, 0, {}},
      {"key without a version", "DWELL 100\r\nCORVALIS_KEY", 0, {M::kUnmatchedVersion}},
      {"key with a word", "CORVALIS_KEY DWELL 100", 0, {M::kUnmatchedVersion}},
  };
  const ConfigImage before = Filled(0xEE);
  for (const auto& c : cases) {
    const ConfigReadResult r = Read(c.file, before);
    EXPECT_EQ(r.version, c.version) << c.name;
    EXPECT_EQ(r.messages, c.messages) << c.name;
    EXPECT_EQ(r.noKey, c.version == 0 && c.messages.empty()) << c.name;
    EXPECT_EQ(r.image[4], c.version == 0 ? 0xEE : 35) << c.name;
    if (c.version == 0) {
      EXPECT_EQ(r.image, before) << c.name;
    }
  }
  EXPECT_EQ(static_cast<int>(M::kOlderVersion), 30);
  EXPECT_EQ(static_cast<int>(M::kUnmatchedVersion), 31);
}

TEST(ConfigFileReaderTest, TokensAndNumbers) {
  const struct {
    const char* name;
    std::string body;
    std::vector<Expect> bytes;
  } cases[] = {
      {"keywords match whole tokens only", "RPMX 5 60 XRPM 6 70 rpm 7 80", {{36, {0xEE, 0xEE}}}},
      {"another name of NEG_CKPS", "INV_INPUT_KL 1", {{5, {1}}}},
      {"a five-digit first value glued to TUNING_LAMBDA",
       "TUNING_LAMBDA12000 13000 14000 15000 16000\r\n 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 "
       "25",
       {{2700, {120, 130, 140, 150, 160, 1, 2, 3}}, {2729, {25}}}},
      {"glued to something that is no number",
       "TUNING_LAMBDA12000x 1 TUNING_LAMBDAX 2 RPM_ADV1500 3",
       {{2700, {0xEE}}, {465, {0xEE}}}},
      {"numbers modulo 65536, digit by digit",
       "APS_IAPS -5 65537 123456789012 +7 0 -0 -65536 65535",
       {{6, {0xFB, 0xFF, 1, 0, 0x14, 0x1A, 7, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}}}},
      {"scaled and shifted bytes from negative and odd numbers",
       "LIMITER -100 199 0 0 0 RPM 0 -5 TPS 0 2000",
       {{28, {142, 1}}, {36, {0, 95}}, {33, {0, 206}}}},
      {"identification lines are passed over whole",
       "VERSIONS\r\nEXE  DWELL 9900\r\nHEX  1. 1.2015  12:00   ADVANCE_MISC 9 9 9 9 9 9 9\r\n"
       "  BOOT-SW  RPM 1 1\r\nBOOT-HW  COOLING 1\r\nCOOLING 90",
       {{4, {0xEE}}, {40, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}}, {36, {0xEE}}, {35, {90}}}},
      {"EXE not at the start of a line is a token", "COOLING EXE 90", {{35, {0xEE}}}},
      {"the lambda sensor type brings its characteristic",
       "SENSOR_LAMBDA 0 x",
       {{352, {0, 100, 130, 140, 150, 180, 0x84, 0x03, 0x48, 0x03, 0xF8, 0x02, 50, 0, 0, 0}}}},
      {"any wide-band type does",
       "SENSOR_LAMBDA 2 x",
       {{352, {2, 100, 120, 140, 160, 180, 0, 0, 0xE2, 0x04, 0xC4, 0x09, 0xA6, 0x0E, 0x88, 0x13}}}},
      {"N2O clears the minimums its own sections set",
       "N2O 1 30 60 500 1000 120 355 2 4 300 700 N2O_TPSmin 9",
       {{98, {1, 30, 60, 10, 5, 2, 4, 7, 3}}, {158, {20, 255}}, {280, {0, 9}}}},
      {"servo maps in volts are read ÷ 20",
       "SERVO_EX 0 0 80 1 2 3 4 0 SERVO_EX_VALUE 20 5000 5100 19",
       {{2400, {1, 250, 255, 0}}}},
  };
  for (const auto& c : cases) {
    const ConfigReadResult r = Read("CORVALIS_KEY 83\r\n" + c.body, Filled(0xEE));
    EXPECT_EQ(r.version, 83) << c.name;
    for (const Expect& e : c.bytes)
      for (std::size_t i = 0; i < e.bytes.size(); ++i)
        EXPECT_EQ(int(r.image[e.offset + i]), e.bytes[i]) << c.name << ", byte " << e.offset + i;
  }
}

// A value that is no number ends its section and is read as the next
// keyword; the end of the file ends it too. What was read stays.
TEST(ConfigFileReaderTest, IncompleteSectionsAreReportedWithTheirLine) {
  const ConfigImage before = Filled(0xEE);
  const ConfigReadResult r = Read("CORVALIS_KEY 83\r\n\r\nLIMITER 8000 12000\r\nRPM 3 150\r\nDWELL", before);
  ASSERT_EQ(r.problems.size(), 2u);
  EXPECT_EQ(r.problems[0].section, "LIMITER");
  EXPECT_EQ(r.problems[0].line, 4);
  EXPECT_EQ(r.problems[1].section, "DWELL");
  EXPECT_EQ(r.problems[1].line, 5);
  EXPECT_EQ(r.image[28], 80);
  EXPECT_EQ(r.image[29], 120);
  EXPECT_EQ(r.image[30], 0xEE);
  EXPECT_EQ(r.image[36], 3);
  EXPECT_EQ(r.image[37], 250);
  EXPECT_EQ(r.image[4], 0xEE);

  const struct {
    int language;
    const char* text;
  } texts[] = {
      {0, "section LIMITER incomplete, line 4: \"RPM\" is not a number"},
      {1, "Abschnitt LIMITER unvollständig, Zeile 4: „RPM“ ist keine Zahl"},
      {2, "section LIMITER incomplète, ligne 4: « RPM » n'est pas un nombre"},
      {3, "sekce LIMITER neúplná, řádek 4: „RPM“ není číslo"},
  };
  for (const auto& t : texts) EXPECT_EQ(ConfigProblemText(r.problems[0], t.language), t.text);
  EXPECT_EQ(ConfigProblemText(r.problems[1], 0), "section DWELL incomplete, line 5: the file ends here");
  EXPECT_EQ(ConfigProblemText(r.problems[1], 3), "sekce DWELL neúplná, řádek 5: soubor zde končí");
}

// What stands where a value belongs is shown as the file's 8-bit text,
// control bytes blanked, cut short: garbage never floods the message.
TEST(ConfigFileReaderTest, TheTextInPlaceOfAValueIsShownShortAndReadable) {
  const std::string garbage = "x\x01\xE8\x9A" + std::string(100, 'z');
  const ConfigReadResult r = Read("CORVALIS_KEY 83\r\nDWELL " + garbage + " 7", Filled(0xEE));
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(r.problems[0].kind, ConfigProblem::Kind::kNoNumber);
  EXPECT_EQ(ConfigProblemText(r.problems[0], 0),
            "section DWELL incomplete, line 2: \"x?čš" + std::string(16, 'z') + "…\" is not a number");
}

TEST(ConfigFileReaderTest, ATruncatedFileKeepsWhatItHolds) {
  const std::size_t cut = kCraftedFile.find("ADVANCE ") + 200;  // in ADVANCE's second row
  const std::string truncated = kCraftedFile.substr(0, cut);
  const ConfigImage before = RandomImage(11);
  const ConfigReadResult r = Read(truncated, before);
  EXPECT_EQ(r.version, 83);
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(r.problems[0].section, "ADVANCE");
  EXPECT_EQ(r.problems[0].line, int(std::count(truncated.begin(), truncated.end(), '\n')) + 1);
  const ConfigImage crafted = Crafted();
  for (std::size_t b : {40u, 46u, 465u, 479u, 600u, 614u}) EXPECT_EQ(r.image[b], crafted[b]) << b;
  EXPECT_EQ(r.image[47], BikeDefaults(before, 7)[47]) << "JET1_MISC is not read";
}

TEST(ConfigFileReaderTest, TheNoteIsTakenLineByLineAsBytesAndEndsTheFile) {
  const struct {
    const char* name;
    std::string tail;  // after "MEMO"
    std::string note;  // the bytes from 2730 on
  } cases[] = {
      {"keyword line, empty line, CR LF and LF",
       "   padding ADVANCE_MISC 1\r\nline one\r\n\r\nADVANCE_MISC 1 2 3 4 5 6 7\nlast",
       std::string("line one\0\0ADVANCE_MISC 1 2 3 4 5 6 7\0last", 41)},
      {"Windows-1250 bytes as they are", "\r\n\xD8\xEDzen\xED\r\n", "\xD8\xEDzen\xED"},
      {"a MEMO with no lines clears the note", "", ""},
      {"a note too long is cut before byte 2849", "\r\n" + std::string(200, 'x'), std::string(119, 'x')},
  };
  ConfigImage before = Filled(0xEE);
  for (const auto& c : cases) {
    const ConfigReadResult r = Read("CORVALIS_KEY 83\r\nMEMO" + c.tail, before);
    std::string expected = c.note;
    expected.resize(kNoteEnd - kNoteFirst, '\0');
    EXPECT_EQ(std::string(r.image.begin() + kNoteFirst, r.image.end()), expected) << c.name;
    EXPECT_EQ(r.image[40], 0xEE) << c.name;
  }
}

// Actual-page mode reads only the active page's sections (and on the
// injection and servo pages the shown sheet's); BIKE never, MEMO on page 0,
// and a MEMO elsewhere still ends the reading.
TEST(ConfigFileReaderTest, ActualPageReadsOnlyThePagesSections) {
  struct Range {
    std::size_t first, count;
  };
  const struct {
    const char* name;
    DefaultsScope scope;
    int coupling;
    std::vector<Range> read;
  } cases[] = {
      {"advance page", {false, 1, -1}, 0, {{40, 7}, {465, 15}, {600, 150}}},
      {"bike page with the note", {false, 0, -1}, 0, {{4, 2}, {22, 11}, {35, 5}, {282, 1}, {368, 4}, {2730, 120}}},
      {"injection map 1 keeps the coupling byte", {false, 2, 0}, 2, {{48, 4}, {480, 15}, {750, 300}}},
      {"injection map B while coupled", {false, 2, 4}, 1, {{540, 15}, {1950, 150}}},
      {"injection IAP map", {false, 2, 5}, 0, {{52, 4}, {384, 20}, {555, 15}, {2100, 300}}},
      {"exhaust servo",
       {false, 6, 1},
       0,
       {{58, 1}, {60, 1}, {62, 1}, {64, 1}, {248, 1}, {250, 1}, {275, 1}, {277, 1}, {570, 15}, {2400, 150}}},
  };
  for (const auto& c : cases) {
    ConfigImage before = RandomImage(21);
    before[47] = static_cast<std::uint8_t>(c.coupling);
    const ConfigReadResult r = Read(kCraftedFile, before, c.scope);
    EXPECT_EQ(r.version, 83) << c.name;
    std::vector<bool> read(kImageSize, false);
    for (const Range& range : c.read)
      for (std::size_t b = range.first; b < range.first + range.count; ++b) read[b] = true;
    const ConfigReadResult whole = Read(kCraftedFile, before);
    for (std::size_t b = 0; b < kImageSize; ++b)
      EXPECT_EQ(int(r.image[b]), int(read[b] ? whole.image[b] : before[b])) << c.name << ", byte " << b;
  }

  // A note line that looks like a section never applies, admitted or not.
  const ConfigReadResult r =
      Read("CORVALIS_KEY 83\r\nMEMO\r\nADVANCE_MISC 1 2 3 4 5 6 7", Filled(0xEE), {false, 1, -1});
  EXPECT_EQ(r.image, Filled(0xEE));
}

TEST(ConfigFileReaderTest, ActualPageOnACoupledCylinderMapIsRefused) {
  for (int sheet = 0; sheet < 6; ++sheet) {
    for (int coupling : {0, 1, 2}) {
      ConfigImage before = RandomImage(31);
      before[47] = static_cast<std::uint8_t>(coupling);
      const DefaultsScope scope{false, 2, sheet};
      const bool refused = coupling == 1 && sheet < 4;
      EXPECT_EQ(CoupledPageRefused(before, scope), refused) << sheet << " " << coupling;
      const ConfigReadResult r = Read(kCraftedFile, before, scope);
      EXPECT_EQ(r.refused, refused) << sheet << " " << coupling;
      EXPECT_EQ(r.version, refused ? 0 : 83);
      if (refused) {
        EXPECT_EQ(r.image, before);
        EXPECT_TRUE(r.messages.empty());
      }
    }
  }
  ConfigImage coupled = RandomImage(31);
  coupled[47] = 1;
  EXPECT_FALSE(CoupledPageRefused(coupled, kWholeImage));
  EXPECT_FALSE(CoupledPageRefused(coupled, {false, 1, 0}));
}

// Damaged files: no crash, no hang, a clear result. The sanitizer run of the
// logic tests makes this a memory-safety check too.
TEST(ConfigFileReaderTest, RandomlyDamagedFilesGiveAClearResult) {
  const std::vector<std::string> words = {"CORVALIS_KEY", "83", "82",      "65",          "MEMO", "TUNING_LAMBDA99999",
                                          "EXE",          "-",  "+",       "99999999999", "\r\n", "\n",
                                          "\t",           " ",  "ADVANCE", "BIKE"};
  std::mt19937 rng(20070083);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % std::max<std::size_t>(n, 1)); };
  const std::set<int> versions = {0, 83, 82, 74, 73, 71, 69, 68, 66, 65};
  for (int round = 0; round < 200; ++round) {
    std::string file = kCraftedFile;
    const int mutations = 1 + static_cast<int>(pick(8));
    for (int m = 0; m < mutations; ++m) {
      const std::size_t at = pick(file.size() + 1);
      switch (pick(5)) {
        case 0:
          if (at < file.size()) file[at] = static_cast<char>(rng());
          break;
        case 1:
          file.erase(at, pick(400));
          break;
        case 2:
          file.insert(at, words[pick(words.size())]);
          break;
        case 3:
          file.insert(at, file.substr(pick(file.size()), pick(300)));
          break;
        default:
          file.resize(at);
          break;
      }
    }
    const ConfigImage before = RandomImage(static_cast<unsigned>(round));
    const DefaultsScope scope =
        pick(4) == 0 ? DefaultsScope{false, static_cast<int>(pick(14)), static_cast<int>(pick(6))} : kWholeImage;
    const ConfigReadResult r = Read(file, before, scope);
    EXPECT_TRUE(versions.count(r.version)) << round;
    if (r.version == 0) {
      EXPECT_EQ(r.image, before) << round;
      EXPECT_TRUE(r.problems.empty()) << round;
      // Refused, or no key at all, or the version message: one reason, never none.
      EXPECT_EQ(int(r.refused) + int(r.noKey) + int(!r.messages.empty()), 1) << round;
    }
    const int lines = static_cast<int>(std::count(file.begin(), file.end(), '\n')) + 1;
    for (const ConfigProblem& p : r.problems) {
      EXPECT_GE(p.line, 1) << round;
      EXPECT_LE(p.line, lines) << round;
    }
    const ConfigReadResult again = Read(file, before, scope);
    EXPECT_EQ(again.image, r.image) << round;
    EXPECT_EQ(again.problems.size(), r.problems.size()) << round;
  }
}

}  // namespace
