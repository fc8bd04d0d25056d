#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/AppCore.h"
#include "image/ConfigImage.h"
#include "link/Frame.h"
#include "link/LiveValues.h"
#include "link/ParameterCatalogue.h"
#include "base/Lang.h"
#include "support/FakePort.h"
#include "support/LiveFrames.h"
#include "support/RecordingView.h"

namespace {

using testsupport::PutWord;
using testsupport::QuietFrame;

// The catalogue restated: source 'g' group, '-' none, 'b' frame byte,
// 'w' frame word, 'd' derived value; shown 0 number, 1 YES/NO, 3 running.
struct Row {
  int id;
  int parent;
  const char* name;
  const char* units;
  char kind;
  int at;
  double scale;
  int decimals;
  int width;
  double min;
  double max;
  int shown;
  int mask;
};
const Row kRows[] = {
    {0, 0, "?ID not found?", "", 'g', 0, 1, 0, 0, 0, 0, 0, 15},
    {1000, 0, "Basic", "", 'g', 0, 1, 0, 0, 0, 0, 0, 15},
    {1010, 1000, "RPM", "", 'w', 48, 1, 0, 5, 0, 20000, 0, 15},
    {1020, 1000, "TPS", "[%]", 'w', 138, 0.1, 1, 5, 0, 100, 0, 15},
    {1030, 1000, "LAMBDA", "[AFR]", 'b', 29, 0.1, 1, 4, 10, 18, 0, 15},
    {1090, 0, "System connection", "", '-', 0, 1, 0, 0, 0, 1, 3, 15},
    {1100, 0, "Extended", "", 'g', 0, 1, 0, 0, 0, 0, 0, 15},
    {1110, 1100, "TW", "[°C]", 'b', 23, 1, 0, 3, 0, 100, 0, 15},
    {1120, 1100, "TA", "[°C]", 'b', 24, 1, 0, 3, -100, 100, 0, 15},
    {1130, 1100, "AP", "[kPa]", 'w', 52, 0.1, 1, 4, 80, 120, 0, 15},
    {1140, 1100, "IAP", "[kPa]", 'w', 136, 1, 0, 3, 0, 100, 0, 15},
    {1150, 1100, "U", "[V]", 'w', 64, 0.001, 1, 4, 0, 20, 0, 15},
    {1160, 1100, "Speed", "[km/h]", 'w', 116, 1, 0, 3, 0, 200, 0, 15},
    {1170, 1100, "Gear", "", 'b', 25, 1, 0, 1, 0, 9, 0, 15},
    {1200, 0, "Sumary Adv.+Inj.", "", 'g', 0, 1, 0, 0, 0, 0, 0, 15},
    {1210, 1200, "Advance", "[°]", 'd', 20, 1, 0, 2, 0, 60, 0, 15},
    {1220, 1200, "Max.Inj.", "[%]", 'd', 8, 1, 0, 3, 0, 100, 0, 15},
    {1230, 1200, "Inj. Time A", "[ms]", 'd', 10, 0.001, 1, 4, 0, 20, 0, 15},
    {1240, 1200, "Inj. Time B", "[ms]", 'd', 11, 0.001, 1, 4, 0, 20, 0, 15},
    {5000, 0, "Servo", "", 'g', 0, 1, 0, 0, 0, 0, 0, 15},
    {5010, 5000, "Intake servo", "[mV]", 'w', 70, 1, 0, 4, 0, 5000, 0, 15},
    {5030, 5000, "Exhaust servo", "[mV]", 'w', 66, 1, 0, 4, 0, 5000, 0, 15},
    {5040, 5000, "Step servo position ??? rozsah", "", 'w', 142, 1, 0, 4, 0, 100, 0, 15},
    {3000, 0, "More Sensors", "", 'g', 0, 1, 0, 0, 0, 0, 0, 15},
    {3010, 3000, "Pick-up (CKPS)", "", 'd', 2, 1, 0, 1, 0, 1, 3, 15},
    {3020, 3000, "Pick-up (CMPS)", "", 'd', 3, 1, 0, 1, 0, 1, 3, 15},
    {3030, 3000, "Fall Sensor", "", 'd', 4, 1, 0, 1, 0, 1, 1, 15},
    {3040, 3000, "Blocking", "", 'd', 5, 1, 0, 1, 0, 1, 1, 15},
    {3050, 3000, "Cooling", "", 'd', 6, 1, 0, 1, 0, 1, 1, 15},
    {3060, 3000, "Potentiometer", "[mV]", 'w', 74, 1, 0, 4, 0, 5000, 0, 15},
    {3070, 3000, "Retard Limiter", "", 'd', 7, 1, 0, 1, 0, 1, 1, 15},
    {9000, 0, "Injection", "", 'g', 0, 1, 0, 0, 0, 0, 0, 15},
    {9010, 9000, "Inj. time A", "[ms]", 'g', 0, 1, 0, 0, 0, 0, 0, 15},
    {9011, 9010, "1A", "", 'b', 14, 0.1, 1, 4, 0, 20, 0, 1},
    {9012, 9010, "2A", "", 'b', 15, 0.1, 1, 4, 0, 20, 0, 2},
    {9013, 9010, "3A", "", 'b', 16, 0.1, 1, 4, 0, 20, 0, 4},
    {9014, 9010, "4A", "", 'b', 17, 0.1, 1, 4, 0, 20, 0, 8},
    {9020, 9000, "Inj. time B", "[ms]", 'g', 0, 1, 0, 0, 0, 0, 0, 15},
    {9021, 9020, "1B", "", 'b', 18, 0.1, 1, 4, 0, 20, 0, 1},
    {9022, 9020, "2B", "", 'b', 19, 0.1, 1, 4, 0, 20, 0, 2},
    {9023, 9020, "3B", "", 'b', 20, 0.1, 1, 4, 0, 20, 0, 4},
    {9024, 9020, "4B", "", 'b', 21, 0.1, 1, 4, 0, 20, 0, 8},
    {9030, 9000, "Position A", "[°]", 'w', 96, 1, 0, 3, 0, 720, 0, 15},
    {9040, 9000, "Position B", "[°]", 'w', 98, 1, 0, 3, 0, 720, 0, 15},
    {9050, 9000, "Inj. acording TPS", "[%]", 'b', 26, 1, 0, 3, 0, 100, 0, 15},
    {9200, 0, "Advance", "[°]", 'g', 0, 1, 0, 0, 0, 0, 0, 15},
    {9211, 9200, "1", "", 'd', 21, 1, 0, 2, 0, 60, 0, 15},
    {9212, 9200, "2", "", 'd', 22, 1, 0, 2, 0, 60, 0, 15},
    {9213, 9200, "3", "", 'd', 23, 1, 0, 2, 0, 60, 0, 15},
    {9214, 9200, "4", "", 'd', 24, 1, 0, 2, 0, 60, 0, 15},
};

char KindLetter(SourceKind k) {
  switch (k) {
    case SourceKind::kGroup:
      return 'g';
    case SourceKind::kNone:
      return '-';
    case SourceKind::kByte:
      return 'b';
    case SourceKind::kWord:
      return 'w';
    case SourceKind::kDerived:
      return 'd';
  }
  return '?';
}

TEST(ParameterCatalogue, RowsAsCatalogued) {
  const CParameterCatalogue cat;
  const auto rows = cat.Rows();
  ASSERT_EQ(rows.size(), std::size(kRows));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const CID& r = rows[i];
    const Row& e = kRows[i];
    SCOPED_TRACE(e.id);
    EXPECT_EQ(r.id, e.id);
    EXPECT_EQ(r.parent, e.parent);
    EXPECT_EQ(r.name.Get(kEnglish), e.name);
    EXPECT_STREQ(r.units, e.units);
    EXPECT_EQ(KindLetter(r.source.kind), e.kind);
    if (e.kind != 'g' && e.kind != '-') {
      EXPECT_EQ(r.source.at, e.at);
      EXPECT_DOUBLE_EQ(r.scale, e.scale);
      EXPECT_EQ(r.decimals, e.decimals);
      EXPECT_EQ(r.width, e.width);
    }
    if (e.kind != 'g') {
      EXPECT_DOUBLE_EQ(r.min, e.min);
      EXPECT_DOUBLE_EQ(r.max, e.max);
      EXPECT_EQ(int(r.shown), e.shown);
    }
    EXPECT_EQ(r.cylinderMask, e.mask);
    EXPECT_EQ(r.flags, 0) << "no value yet";
    EXPECT_EQ(&cat.GetDef(e.id), &r);
  }
}

TEST(ParameterCatalogue, NamesInOtherLanguagesFallBackToEnglish) {
  const CParameterCatalogue cat;
  struct Case {
    int id;
    int language;
    const char* name;
  };
  const Case cases[] = {
      {1160, kGerman, "Geschwindigkeit"}, {1160, kFrench, "Vitesse"},
      {1160, kCzech, "Rychlost"},         {1170, kFrench, "Gear"},
      {1170, kCzech, "Rychl. stupeň"},    {1000, kGerman, "Basic"},
      {1000, kCzech, "Základní"},         {5030, kGerman, "Abblaseservo"},
      {5030, kFrench, "Exhaust servo"},   {9200, kCzech, "Přestih"},
      {1210, kCzech, "Předstih"},         {3070, kGerman, "Spätzündungbegrenzer"},
  };
  for (const auto& c : cases) EXPECT_EQ(cat.GetDef(c.id).name.Get(c.language), c.name) << c.id << "/" << c.language;
}

TEST(ParameterCatalogue, UnknownIdentifierGivesTheNotFoundRow) {
  const CParameterCatalogue cat;
  for (int id : {4711, -1, 1001, 9215}) {
    EXPECT_EQ(cat.GetDef(id).id, 0);
    EXPECT_EQ(cat.GetDef(id).name.Get(kEnglish), "?ID not found?");
  }
}

class CatalogueUpdate : public ::testing::Test {
 protected:
  CatalogueUpdate() {
    SetCurrentLanguage(kEnglish);
    image[256] = 4;   // cylinders
    image[29] = 150;  // limiters: RPM up to 15000
  }
  bool Update(const Frame& f) {
    DecodeLiveFrame(f, live);
    return cat.UpdateCatalogue(f, live, image);
  }
  const CID& Def(int id) const { return cat.GetDef(id); }

  CParameterCatalogue cat;
  ConfigImage image{};
  CLiveValues live;
};

TEST_F(CatalogueUpdate, TemperaturesCarryTheirOffsetAndStates) {
  struct Case {
    int id;
    std::size_t byte;
    std::uint8_t raw;
    double value;
    int flags;
  };
  const Case cases[] = {
      {1110, 23, 0, -100, 0x81},  // sensor error
      {1110, 23, 220, 120, 17},   // hot
      {1110, 23, 200, 100, 17},   //
      {1110, 23, 199, 99, 1},     //
      {1110, 23, 150, 50, 1},     //
      {1120, 24, 0, -100, 129},   // sensor error
      {1120, 24, 125, 25, 1},     //
  };
  for (const auto& c : cases) {
    CParameterCatalogue fresh;
    Frame f = QuietFrame();
    f[c.byte] = c.raw;
    DecodeLiveFrame(f, live);
    fresh.UpdateCatalogue(f, live, image);
    EXPECT_DOUBLE_EQ(fresh.GetDef(c.id).value, c.value) << c.id << " byte " << int(c.raw);
    EXPECT_EQ(fresh.GetDef(c.id).flags, c.flags) << c.id << " byte " << int(c.raw);
  }
}

TEST_F(CatalogueUpdate, RpmAndDutyStates) {
  struct Case {
    std::uint8_t limiterBits;  // frame byte 2, bits 2..4
    int rpmFlags;
  };
  const Case cases[] = {{0x00, 1}, {0x04, 65}, {0x08, 65}, {0x18, 65}, {0x1C, 193}};
  for (const auto& c : cases) {
    Frame f = QuietFrame();
    f[2] = static_cast<std::uint8_t>(f[2] | c.limiterBits);
    Update(f);
    EXPECT_EQ(Def(1010).flags, c.rpmFlags) << int(c.limiterBits);
  }

  // 12000 rpm: a 100 us step is 1 % of the cycle.
  Frame f = QuietFrame();
  PutWord(f, 48, 12000);
  f[14] = 99;
  Update(f);
  EXPECT_EQ(Def(1220).flags, 1);
  f[19] = 100;
  Update(f);
  EXPECT_EQ(Def(1220).flags, 17);
  EXPECT_EQ(Def(9040).flags, 1) << "rows without a rule of their own hold a value too";
}

TEST_F(CatalogueUpdate, SmallMovesAreHalvedJumpsTaken) {
  // Speed: 0..200 km/h, so 10 % is 20 km/h.
  // 100 from 0 is a jump; 150 from 170 exactly 10 %; 182 from 160 is 11 %.
  const int speeds[] = {100, 110, 110, 170, 150, 182};
  const double stored[] = {100, 105, 107.5, 170, 160, 182};
  Frame f = QuietFrame();
  for (std::size_t i = 0; i < std::size(speeds); ++i) {
    PutWord(f, 116, speeds[i]);
    Update(f);
    EXPECT_DOUBLE_EQ(Def(1160).value, stored[i]) << "frame " << i;
  }
}

TEST_F(CatalogueUpdate, EmptyRangesTakeTheNewValue) {
  // Regression: an IAP axis or limiters of 0 leave no range, and dividing by
  // it made the value NaN for good.
  image[29] = 0;
  Frame f = QuietFrame();
  PutWord(f, 48, 1000);
  PutWord(f, 136, 50);
  Update(f);
  PutWord(f, 48, 1010);
  PutWord(f, 136, 52);
  Update(f);
  EXPECT_EQ(Def(1010).max, 0);
  EXPECT_DOUBLE_EQ(Def(1010).value, 1010);
  EXPECT_DOUBLE_EQ(Def(1140).value, 52);
}

TEST_F(CatalogueUpdate, RangesFollowTheConfiguration) {
  // IAP: first and last point of the intake pressure axis, signed words 192 and 201.
  image[384] = 0xFB;  // -5
  image[385] = 0xFF;
  image[402] = 105;
  image[30] = 162;  // the largest limiter wins
  image[31] = 80;
  Update(QuietFrame());
  EXPECT_EQ(Def(1140).min, -5);
  EXPECT_EQ(Def(1140).max, 105);
  EXPECT_EQ(Def(1010).max, 16200);
}

TEST_F(CatalogueUpdate, ServosInPercentWhenTheImageSaysSo) {
  Frame f = QuietFrame();
  PutWord(f, 70, 2500);
  PutWord(f, 66, 2500);
  image[63] = 1;  // intake servo in percent
  Update(f);
  const CID& intake = Def(5010);
  EXPECT_STREQ(intake.units, "[%]");
  EXPECT_EQ(intake.decimals, 1);
  EXPECT_DOUBLE_EQ(intake.max, 100);
  EXPECT_DOUBLE_EQ(intake.value, 50);
  EXPECT_EQ(cat.ValueText(intake), "50.0");
  EXPECT_STREQ(Def(5030).units, "[mV]");
  EXPECT_DOUBLE_EQ(Def(5030).value, 2500);

  image[63] = 0;
  image[62] = 7;
  Update(f);
  EXPECT_STREQ(intake.units, "[mV]");
  EXPECT_EQ(intake.decimals, 0);
  EXPECT_DOUBLE_EQ(intake.max, 5000);
  EXPECT_DOUBLE_EQ(intake.value, 2500);
  EXPECT_STREQ(Def(5030).units, "[%]");
  EXPECT_DOUBLE_EQ(Def(5030).value, 50);
}

TEST_F(CatalogueUpdate, DerivedValuesPerCylinder) {
  Frame f = QuietFrame();
  f[10] = 10;
  f[11] = 20;
  f[12] = 30;
  f[13] = 40;
  f[14] = 25;  // 2.5 ms
  f[15] = 35;
  f[18] = 10;
  f[1] = static_cast<std::uint8_t>(f[1] | 0x02);  // fall sensor output
  f[3] = 0x20;                                    // crankshaft pickup running
  Update(f);
  EXPECT_DOUBLE_EQ(Def(9211).value, 10);
  EXPECT_DOUBLE_EQ(Def(9212).value, 20);
  EXPECT_DOUBLE_EQ(Def(9213).value, 30);
  EXPECT_DOUBLE_EQ(Def(9214).value, 40);
  EXPECT_DOUBLE_EQ(Def(1210).value, 25);
  // (2500 + 3500) / 4 us and 1000 / 4 us, both less than 10 % of 20 ms
  // away from 0, so halved on the way.
  EXPECT_DOUBLE_EQ(Def(1230).value, 1.5 / 2);
  EXPECT_DOUBLE_EQ(Def(1240).value, 0.25 / 2);
  EXPECT_EQ(cat.ValueText(Def(3030)), "YES");
  EXPECT_EQ(cat.ValueText(Def(3040)), "NO");
  EXPECT_EQ(cat.ValueText(Def(3010)), "is running");
  EXPECT_EQ(cat.ValueText(Def(3020)), "no signal");

  // Base advance: the image's base advance for every fitted cylinder.
  image[256] = 2;
  image[45] = 12;
  f[3] = 0x08;
  CParameterCatalogue fresh;
  DecodeLiveFrame(f, live);
  fresh.UpdateCatalogue(f, live, image);
  EXPECT_DOUBLE_EQ(fresh.GetDef(9211).value, 12);
  EXPECT_DOUBLE_EQ(fresh.GetDef(9212).value, 12);
  EXPECT_DOUBLE_EQ(fresh.GetDef(9213).value, 0);
  EXPECT_DOUBLE_EQ(fresh.GetDef(1210).value, 12);
}

TEST_F(CatalogueUpdate, PlaceholdersUntilAValueChanged) {
  // All sources 0 and both temperatures at 0 C: nothing changes yet.
  Frame still{};
  still[0] = 0xB0;
  still[23] = 100;
  still[24] = 100;
  EXPECT_TRUE(Update(still)) << "the states went from no value to a value";
  EXPECT_FALSE(cat.HasData());
  EXPECT_EQ(cat.ValueText(Def(1020)), "xxx.x");
  EXPECT_EQ(cat.ValueText(Def(1010)), "xxxxx");

  Frame f = still;
  PutWord(f, 138, 123);
  EXPECT_TRUE(Update(f));
  EXPECT_TRUE(cat.HasData());
  EXPECT_EQ(cat.ValueText(Def(1020)), " 12.3");
  EXPECT_EQ(cat.ValueText(Def(1010)), "    0");
  EXPECT_FALSE(Update(f)) << "nothing moved";
}

TEST(ParameterCatalogue, ValueFormats) {
  struct Case {
    double value;
    int width;
    int decimals;
    const char* text;
    const char* placeholder;
  };
  const Case cases[] = {
      {12.34, 5, 1, " 12.3", "xxx.x"}, {7, 3, 0, "  7", "xxx"},      {1234, 5, -2, " 1200", "xxx00"},
      {-100, 3, 0, "-100", "xxx"},     {0.25, 4, 1, " 0.2", "xx.x"}, {1250, 4, -1, "1250", "xxx0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatValue(c.value, c.width, c.decimals), c.text);
    EXPECT_EQ(ValuePlaceholder(c.width, c.decimals), c.placeholder);
  }
}

// The catalogue inside the core: every valid live frame updates it, and
// "System connection" follows the no-connection label.
TEST(ParameterCatalogueInCore, FollowsFramesAndConnection) {
  SetCurrentLanguage(kEnglish);
  RecordingView view;
  CAppCore core(view, std::make_unique<FakePort>());
  core.OpenPort();
  const CID& connection = core.monitorCatalogue.GetDef(1090);
  EXPECT_EQ(core.monitorCatalogue.ValueText(connection), "no signal");

  Frame f = QuietFrame();
  SealFrame(f);
  core.Tick();
  EXPECT_FALSE(core.NoConnectionShown());
  EXPECT_EQ(connection.value, 1);
  EXPECT_EQ(connection.flags, 1);
  EXPECT_EQ(core.monitorCatalogue.ValueText(connection), "is running");
  core.OnLiveFrame(f);
  EXPECT_DOUBLE_EQ(core.monitorCatalogue.GetDef(1110).value, 80);

  Frame bad = f;
  bad[23] = 0;  // check byte no longer fits
  core.OnLiveFrame(bad);
  EXPECT_DOUBLE_EQ(core.monitorCatalogue.GetDef(1110).value, 80);

  while (!core.NoConnectionShown()) core.Tick();
  EXPECT_EQ(connection.value, 0);
  EXPECT_EQ(core.monitorCatalogue.ValueText(connection), "no signal");
}

}  // namespace
