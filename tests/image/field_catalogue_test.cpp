#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "image/ConfigImage.h"
#include "image/FieldCatalogue.h"

namespace {

enum Wd { B, SB, W, SW };

// The scalar byte map restated row by row: first offset, width, element
// count, keyword group, scale and offset of the shown value, and whether a
// control or sheet shows the field.
struct Row {
  int offset;
  int width;
  int count;
  const char* key;
  int scale;
  int shownOffset;
  bool shown;
};
// clang-format off
constexpr Row kRows[] = {
    {   0,   B,  1, "BIKE", 1, 0, true},
    {   1,   B,  1, "", 1, 0, false},
    {   2,   B,  1, "", 1, 0, false},
    {   3,   B,  1, "", 1, 0, false},
    {   4,   B,  1, "DWELL", 100, 0, true},
    {   5,   B,  1, "NEG_CKPS", 1, 0, true},
    {   6,  SW,  1, "APS_IAPS", 1, 0, true},
    {   8,  SW,  1, "APS_IAPS", 1, 0, true},
    {  10,  SW,  1, "APS_IAPS", 1, 0, true},
    {  12,  SW,  1, "APS_IAPS", 1, 0, true},
    {  14,  SW,  4, "APS_IAPS", 1, 0, true},
    {  22,   B,  1, "INPUTS", 1, 0, true},
    {  23,   B,  1, "INPUTS", 1, 0, true},
    {  24,   B,  1, "INPUTS", 1, 0, true},
    {  25,   B,  1, "INPUTS", 1, 0, true},
    {  26,   B,  1, "INPUTS", 1, 0, true},
    {  27,   B,  1, "INPUTS", 1, 0, true},
    {  28,   B,  1, "LIMITER", 100, 0, true},
    {  29,   B,  1, "LIMITER", 100, 0, true},
    {  30,   B,  1, "LIMITER", 100, 0, true},
    {  31,   B,  1, "LIMITER", 100, 0, true},
    {  32,   B,  1, "LIMITER", 1, 0, true},
    {  33,   B,  1, "TPS", 10, 0, true},
    {  34,   B,  1, "TPS", 10, 2500, true},
    {  35,   B,  1, "COOLING", 1, 0, true},
    {  36,   B,  1, "RPM", 1, 0, true},
    {  37,   B,  1, "RPM", 1, -100, true},
    {  38,   B,  1, "INTAKE_PORT", 100, 0, true},
    {  39,   B,  1, "LIMITER2", 100, 0, true},
    {  40,   B,  1, "ADVANCE_MISC", 1, 0, true},
    {  41,   B,  4, "ADVANCE_MISC", 1, -100, true},
    {  45,   B,  1, "ADVANCE_MISC", 1, 0, true},
    {  46,   B,  1, "ADVANCE_MISC", 1, 0, false},
    {  47,   B,  1, "JET1_MISC", 1, 0, true},
    {  48,   B,  1, "JET1_MISC", 1, 0, true},
    {  49,   B,  1, "JET1_MISC", 1, 0, true},
    {  50,   B,  1, "JET1_MISC", 100, 0, true},
    {  51,   B,  1, "JET1_MISC", 100, 0, true},
    {  52,   B,  4, "IAP_MISC", 1, 0, true},
    {  56,   B,  1, "POSITION_A", 1, 0, true},
    {  57,   B,  1, "POSITION_B", 1, 0, true},
    {  58,   B,  1, "SERVO_EX", 1, 0, true},
    {  59,   B,  1, "SERVO_IN", 1, 0, true},
    {  60,   B,  1, "SERVO_EX", 5, 0, true},
    {  61,   B,  1, "SERVO_IN", 5, 0, true},
    {  62,   B,  1, "SERVO_EX", 1, 0, true},
    {  63,   B,  1, "SERVO_IN", 1, 0, true},
    {  64,   B,  1, "SERVO_EX", 1, 0, true},
    {  65,   B,  1, "SERVO_IN", 1, 0, true},
    {  66,   B,  1, "SERVO_IN", 1, 0, true},
    {  67,   B,  4, "CHOKE", 1, 0, true},
    {  71,   B,  4, "CHOKE", 1, 100, true},
    {  75,   B,  1, "POTENTIOMETER", 1, 0, true},
    {  76,   B,  1, "POTENTIOMETER", 1, 0, true},
    {  77,   B,  1, "SERVO_IN", 1, 0, true},
    {  78,   B,  1, "SERVO_IN", 250, 0, true},
    {  80,   B,  5, "INJ_CORR", 1, 0, true},
    {  85,   B,  5, "INJ_CORR", 1, 0, true},
    {  90,   B,  1, "ACCEL", 10, 0, true},
    {  91,   B,  1, "ACCEL", 50, 0, true},
    {  92,   B,  1, "START_INJ", 1, 0, true},
    {  93,   B,  5, "ADVANCE_CORR", 1, -100, true},
    {  98,   B,  1, "N2O", 1, 0, true},
    {  99,   B,  1, "N2O", 1, 0, true},
    { 100,   B,  1, "N2O", 1, 0, true},
    { 101,   B,  1, "N2O", 100, 0, true},
    { 102,   B,  1, "N2O", 100, 0, true},
    { 103,   B,  1, "N2O", 1, 0, true},
    { 104,   B,  1, "N2O", 1, 0, true},
    { 105,   B,  1, "N2O", 100, 0, true},
    { 106,   B,  1, "N2O", 100, 0, true},
    { 107,   B,  1, "DISPLAY", 1, 0, true},
    { 108,   B,  6, "PILOT_LIGHT", 100, 0, true},
    { 114,   B,  6, "PILOT_LIGHT", 100, 0, true},
    { 120,   B,  1, "CLUTCH", 1, 0, true},
    { 121,   B,  6, "CLUTCH", 5, 0, true},
    { 127,   B,  6, "CLUTCH", 10, 0, true},
    { 133,   B,  1, "CLUTCH", 100, 0, true},
    { 134,   B,  1, "CLUTCH", 1, 0, true},
    { 135,  SB,  1, "CLUTCH", 1, 0, true},
    { 136,   B,  1, "GEAR", 1, 0, true},
    { 137,   B,  1, "GEAR", 1, 0, true},
    { 138,   B,  1, "SPEED_PULSES", 1, 0, true},
    { 139,   B,  1, "PILOT_LIGHT_INV_OUT", 1, 0, true},
    { 140,   W,  7, "GEAR", 1, 0, true},
    { 154,   B,  1, "GEAR_AUTO", 1, 0, true},
    { 155,   B,  1, "GEAR_AUTO", 100, 0, true},
    { 156,   B,  1, "GEAR_AUTO", 1, 0, true},
    { 157,   B,  1, "GEAR_AUTO", 1, 0, true},
    { 158,   B,  1, "N2O", 1, 100, true},
    { 159,   B,  1, "N2O", 1, 100, true},
    { 160,   W,  1, "SPEED_PULSES", 1, 0, true},
    { 162,   W,  6, "GEAR", 1, 0, true},
    { 174,   B,  6, "GEAR_CORR", 1, -100, true},
    { 180,   B,  6, "GEAR_CORR", 1, 0, true},
    { 186,   B,  1, "PIT_SPEED_CONTROL", 1, 0, true},
    { 187,   B,  1, "PIT_SPEED_CONTROL", 1, 0, true},
    { 188,   B,  1, "PIT_SPEED_CONTROL", 1, 0, true},
    { 189,  SB,  1, "PIT_SPEED_CONTROL", 1, 0, true},
    { 190,   B,  1, "PIT_SPEED_CONTROL", 100, 0, true},
    { 191,   B,  3, "", 1, 0, false},
    { 194,  SW,  9, "WATER_TEMP_SENSOR", 1, 0, true},
    { 212,  SW,  9, "AIR_TEMP_SENSOR", 1, 0, true},
    { 230,   W,  9, "", 1, 0, false},
    { 248,   B,  1, "SERVO_EX", 1, 0, true},
    { 249,   B,  1, "SERVO_IN", 1, 0, true},
    { 250,   B,  1, "SERVO_EX", 1, 0, true},
    { 251,   B,  1, "SERVO_IN", 1, 0, true},
    { 252,   B,  1, "", 100, 0, false},
    { 253,   B,  2, "", 1, 0, false},
    { 256,   B,  1, "", 1, 0, false},
    { 257,   B,  4, "", 1, 0, false},
    { 261,   B, 14, "", 1, 0, false},
    { 275,   B,  1, "SERVO_EX", 1, 0, true},
    { 276,   B,  1, "SERVO_IN", 1, 0, true},
    { 277,   B,  1, "SERVO_EX", 1, 0, true},
    { 278,   B,  1, "SERVO_IN", 1, 0, true},
    { 279,   B,  1, "SERVO_IN", 1, 0, true},
    { 280,   B,  1, "N2O_RPMmin", 100, 0, true},
    { 281,   B,  1, "N2O_TPSmin", 1, 0, true},
    { 282,   B,  1, "START_LIMITER_DELAY", 100, 0, true},
    { 290,   B,  1, "IDLE", 1, 0, true},
    { 291,   B,  1, "IDLE", 100, 0, true},
    { 292,   B,  1, "IDLE", 1, 0, true},
    { 293,   B,  1, "IDLE", 1, 0, true},
    { 294,   B,  1, "IDLE", 250, 0, true},
    { 295,   B,  1, "IDLE", 1, 0, true},
    { 296,   B,  1, "IDLE", 10, 0, true},
    { 297,   B,  1, "IDLE_CONTROL_BAND", 10, 0, true},
    { 298,   W,  9, "IDLE", 1, 0, true},
    { 317,   B,  1, "IDLE", 1, 0, true},
    { 318,   B,  1, "IDLE", 1, 0, true},
    { 319,   B,  1, "IDLE", 1, 0, true},
    { 320,   B,  1, "IDLE", 1, 0, true},
    { 321,   B,  9, "IDLE", 50, 0, true},
    { 330,   W,  1, "IDLE", 1, 0, true},
    { 332,   W,  1, "ACC_CORR", 1, 0, true},
    { 334,   W,  1, "ACC_CORR", 1, 0, true},
    { 336,   W,  1, "ACC_CORR", 1, 0, true},
    { 338,   W,  1, "ACC_CORR", 1, 0, true},
    { 340,   B,  1, "TUNING", 1, 0, true},
    { 341,   B,  1, "TUNING", 1, 0, true},
    { 344,   B,  1, "TUNING", 1, 0, true},
    { 345,   B,  1, "TUNING", 10, 0, true},
    { 346,   B,  1, "TUNING", 1, 0, true},
    { 347,   B,  1, "TUNING", 1, 0, true},
    { 348,   B,  1, "TUNING", 1, 0, true},
    { 350,   B,  1, "TUNING", 1, 0, true},
    { 351,   B,  1, "TUNING", 1, 0, true},
    { 352,   B,  1, "SENSOR_LAMBDA", 1, 0, true},
    { 353,   B,  5, "SENSOR_LAMBDA", 1, 0, true},
    { 358,  SW,  5, "SENSOR_LAMBDA", 1, 0, true},
    { 368,   B,  2, "LAMBDA_TACHO", 1, 0, true},
    { 370,   B,  2, "LAMBDA_TACHO", 100, 0, true},
    { 372,   B,  4, "LAMBDA_BAR", 1, 0, true},
    { 376,   B,  1, "TEST_OUT", 100, 0, true},
    { 377,   B,  1, "TEST_OUT", 10, 0, true},
    { 378,   B,  1, "TUNING", 1, 0, true},
    { 379,   B,  1, "TUNING", 1, 0, true},
    { 380,   B,  1, "TUNING", 1, 0, true},
    { 381,   B,  1, "TUNING", 100, 0, true},
    { 382,   B,  1, "TUNING", 1, -100, true},
    { 383,   B,  1, "TUNING", 1, -100, true},
    { 384,  SW, 10, "IAP_IAP", 1, 0, true},
    { 404,   B,  1, "SPEED_OUT_COR", 1, 0, true},
    { 405,   B, 15, "POSITION_A", 100, 0, true},
    { 420,   B, 15, "POSITION_A", 5, 0, true},
    { 435,   B, 15, "POSITION_B", 100, 0, true},
    { 450,   B, 15, "POSITION_B", 5, 0, true},
};
// clang-format on

// Bytes the program never uses: {first, count}.
constexpr int kUnused[][2] = {{79, 1}, {255, 1}, {283, 7}, {316, 1}, {342, 2}, {349, 1}};

FieldWidth ToWidth(int w) {
  switch (w) {
    case SB:
      return FieldWidth::kSignedByte;
    case W:
      return FieldWidth::kWord;
    case SW:
      return FieldWidth::kSignedWord;
    default:
      return FieldWidth::kByte;
  }
}

}  // namespace

TEST(FieldCatalogueTest, EveryRowMatchesTheByteMap) {
  ASSERT_EQ(std::size(kRows), kFieldCatalogue.size());
  for (const Row& row : kRows) {
    SCOPED_TRACE("offset " + std::to_string(row.offset));
    const auto it = std::find_if(kFieldCatalogue.begin(), kFieldCatalogue.end(),
                                 [&](const FieldInfo& f) { return f.offset == row.offset; });
    ASSERT_NE(it, kFieldCatalogue.end());
    EXPECT_EQ(it->width, ToWidth(row.width));
    EXPECT_EQ(it->count, row.count);
    EXPECT_STREQ(it->key, row.key);
    EXPECT_EQ(it->scale, row.scale);
    EXPECT_EQ(it->shownOffset, row.shownOffset);
    EXPECT_EQ(it->holder != Holder::kNone, row.shown);
    EXPECT_EQ(std::string(it->control).empty(), !row.shown);
    if (IsWord(it->width)) {
      EXPECT_EQ(row.offset % 2, 0);
      EXPECT_EQ(WordIndex(*it), static_cast<std::size_t>(row.offset / 2));
    }
  }
}

TEST(FieldCatalogueTest, FieldsTileTheScalarAreaWithoutOverlapOrUnusedBytes) {
  std::set<std::size_t> covered;
  for (const FieldInfo& f : kFieldCatalogue)
    for (std::size_t b = f.offset; b < FieldEnd(f); ++b) EXPECT_TRUE(covered.insert(b).second) << "byte " << b;
  for (const auto& u : kUnused)
    for (int b = u[0]; b < u[0] + u[1]; ++b) EXPECT_FALSE(covered.count(static_cast<std::size_t>(b))) << b;
  // With the unused bytes every byte before the first map axis belongs to exactly one field.
  EXPECT_EQ(covered.size() + 13, 465u);
  EXPECT_EQ(*covered.rbegin(), 464u);
}

TEST(FieldCatalogueTest, WordIndicesOfTheNamedWords) {
  const std::pair<FieldId, int> words[] = {
      {FieldId::kApsPoint1Pressure, 3}, {FieldId::kIapsSensor, 7},  {FieldId::kGearVoltage, 70},
      {FieldId::kSpeedPulses, 80},      {FieldId::kGearRatio, 81},  {FieldId::kCoolantSensor, 97},
      {FieldId::kAirSensor, 106},       {FieldId::kBikeCurve, 115}, {FieldId::kIdlePosition, 149},
      {FieldId::kIdleStartTime, 165},   {FieldId::kAccT0, 169},     {FieldId::kLambdaVoltages, 179},
      {FieldId::kIapPressureAxis, 192},
  };
  for (const auto& [id, index] : words) EXPECT_EQ(WordIndex(Field(id)), static_cast<std::size_t>(index));
}

TEST(FieldCatalogueTest, RawAccessExtendsSignOnlyForSignedWidths) {
  ConfigImage image{};
  image[135] = 0xF6;  // signed byte
  image[134] = 0xF6;
  image[358] = 0x18;  // signed word -1000
  image[359] = 0xFC;
  image[140] = 0x18;  // unsigned word 64536
  image[141] = 0xFC;
  EXPECT_EQ(ReadRaw(image, FieldId::kClutchAdvance), -10);
  EXPECT_EQ(ReadRaw(image, FieldId::kClutchInjection), 246);
  EXPECT_EQ(ReadRaw(image, FieldId::kLambdaVoltages), -1000);
  EXPECT_EQ(ReadRaw(image, FieldId::kGearVoltage), 64536);
  WriteRaw(image, FieldId::kGearVoltage, 1, 0x12345);  // only the low 16 bits fit
  EXPECT_EQ(image[142], 0x45);
  EXPECT_EQ(image[143], 0x23);
  EXPECT_EQ(image[144], 0);
}

TEST(ImageBlockTest, BlockOfOffsetAndBytesOfBlock) {
  const struct {
    std::size_t offset;
    int block;
  } cases[] = {{0, 1}, {149, 1}, {150, 2}, {449, 3}, {450, 4}, {2699, 18}, {2700, 19}, {2849, 19}};
  for (const auto& c : cases) EXPECT_EQ(BlockOfOffset(c.offset), c.block) << c.offset;
  for (int b = 1; b <= 19; ++b) {
    EXPECT_EQ(BytesOfBlock(b).first, static_cast<std::size_t>(150 * (b - 1)));
    EXPECT_EQ(BytesOfBlock(b).last, static_cast<std::size_t>(150 * b - 1));
    EXPECT_EQ(BlockOfOffset(BytesOfBlock(b).first), b);
    EXPECT_EQ(BlockOfOffset(BytesOfBlock(b).last), b);
  }
}
