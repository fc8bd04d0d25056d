#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/ConfigImage.h"
#include "image/ParamSet.h"
#include "link/Frame.h"
#include "link/LiveDisplay.h"
#include "link/LiveValues.h"
#include "base/Lang.h"
#include "base/TextSlots.h"
#include "support/LiveFrames.h"

namespace {

// Colours restated as 0x00BBGGRR; the button face is the system colour 15.
constexpr TColor kFace = 0x8000000F;
constexpr TColor kRed = 0x000000FF;
constexpr TColor kLime = 0x0000FF00;
constexpr TColor kYellow = 0x0000FFFF;
constexpr TColor kBlue = 0x00FF0000;
constexpr TColor kFuchsia = 0x00FF00FF;
constexpr TColor kAqua = 0x00FFFF00;
constexpr TColor kWhite = 0x00FFFFFF;

using testsupport::PutWord;
using testsupport::QuietFrame;

class LiveDisplayTest : public ::testing::Test {
 protected:
  LiveDisplayTest() {
    slots.Apply(kEnglish);
    image[256] = 4;
  }

  const LiveDisplay& Show(const Frame& f) {
    DecodeLiveFrame(f, live);
    display = BuildLiveDisplay({live, image, slots, extended, matches, n2o, service});
    return display;
  }
  const LiveLabelState& L(const char* name) const {
    const LiveLabelState* l = display.Label(name);
    EXPECT_NE(l, nullptr) << name;
    static const LiveLabelState kMissing{};
    return l ? *l : kMissing;
  }
  std::string Text(const char* name) const { return L(name).text.value_or("<unchanged>"); }
  TColor Colour(const char* name) const { return L(name).colour.value_or(0xDEADBEEF); }
  bool Visible(const char* name) const { return L(name).visible.value_or(true); }
  const LiveGaugeState& G(const char* name) const {
    const LiveGaugeState* g = display.Gauge(name);
    EXPECT_NE(g, nullptr) << name;
    static const LiveGaugeState kMissing{};
    return g ? *g : kMissing;
  }

  CTextSlots slots;
  ConfigImage image{};
  CLiveValues live;
  LiveDisplay display;
  bool extended = false;
  bool matches = false;
  bool n2o = false;
  bool service = false;
};

TEST_F(LiveDisplayTest, CoolantSensorError) {
  Frame f = QuietFrame();
  f[23] = 0;
  PutWord(f, 60, 4950);
  Show(f);
  EXPECT_EQ(Text("LabelVoda"), "Coolant = error");
  EXPECT_EQ(Colour("LabelVoda"), kRed);
  EXPECT_EQ(G("CGaugeVoda").position, 80);
  EXPECT_EQ(G("CGaugeVoda").colour, kRed);
  EXPECT_EQ(LiveCoolantC(live), 80);  // what the sheets get

  extended = true;
  Show(f);
  EXPECT_EQ(Text("LabelVoda"), "Coolant = error = 4950 mV");

  slots.Apply(kCzech);
  extended = false;
  Show(f);
  EXPECT_EQ(Text("LabelVoda"), "Voda = error");
}

TEST_F(LiveDisplayTest, CoolantColoursAroundOneHundredDegrees) {
  struct Case {
    std::uint8_t byte;
    const char* plain;
    TColor label;
    TColor gauge;
    int position;
  };
  const Case cases[] = {
      {150, "Coolant= 50 °C", kFace, kAqua, 50},
      {199, "Coolant= 99 °C", kFace, kAqua, 99},
      {200, "Coolant= 100 °C", kYellow, kYellow, 100},
      {250, "Coolant= 150 °C", kYellow, kYellow, 120},  // the bar ends at 120
      {70, "Coolant= -30 °C", kFace, kAqua, 0},
  };
  for (const auto& c : cases) {
    Frame f = QuietFrame();
    f[23] = c.byte;
    PutWord(f, 60, 1234);
    extended = false;
    Show(f);
    EXPECT_EQ(Text("LabelVoda"), c.plain);
    EXPECT_EQ(Colour("LabelVoda"), c.label) << int(c.byte);
    EXPECT_EQ(G("CGaugeVoda").colour, c.gauge) << int(c.byte);
    EXPECT_EQ(G("CGaugeVoda").position, c.position) << int(c.byte);
    extended = true;
    Show(f);
    EXPECT_EQ(Text("LabelVoda"), "Coolant = " + std::to_string(c.byte - 100) + " °C= 1234 mV");
  }
}

TEST_F(LiveDisplayTest, TwoCylinders) {
  image[256] = 2;
  Frame f = QuietFrame();
  const std::uint8_t advance[] = {5, 0xF8, 40, 40};  // 5, -8: the average truncates toward zero
  const std::uint8_t a[] = {20, 30, 99, 99};
  const std::uint8_t b[] = {10, 20, 30, 41};
  for (std::size_t i = 0; i < 4; ++i) {
    f[10 + i] = advance[i];
    f[14 + i] = a[i];
    f[18 + i] = b[i];
  }
  Show(f);
  EXPECT_EQ(Text("LabelMon_Ign1"), "Advance 1=  5 °");
  EXPECT_EQ(Text("LabelMon_Ign2"), "Advance 2= -8 °");
  EXPECT_EQ(Text("LabelMon_Ign"), "Advance = -1 °");
  EXPECT_TRUE(Visible("LabelMon_Ign2"));
  EXPECT_FALSE(Visible("LabelMon_Ign3"));
  EXPECT_FALSE(Visible("LabelMon_Ign4"));
  EXPECT_FALSE(L("LabelMon_Ign3").text.has_value());

  EXPECT_EQ(Text("LabelMon_Jet_1A"), "Injection time 1A = 2000 us");
  EXPECT_EQ(Text("LabelMon_Jet_2A"), "Injection time 2A = 3000 us");
  EXPECT_FALSE(Visible("LabelMon_Jet_3A"));
  EXPECT_FALSE(L("LabelMon_Jet_3A").text.has_value());
  EXPECT_EQ(Text("LabelMon_Jet_A"), "Injection time A = 2500 us");
  // B: all four values, divided by four, while 3B and 4B are hidden.
  EXPECT_EQ(Text("LabelMon_Jet_4B"), "Injection time 4B = 4100 us");
  EXPECT_TRUE(Visible("LabelMon_Jet_2B"));
  EXPECT_FALSE(Visible("LabelMon_Jet_3B"));
  EXPECT_FALSE(Visible("LabelMon_Jet_4B"));
  EXPECT_EQ(Text("LabelMon_Jet_B"), "Injection time B = 2525 us");
}

TEST_F(LiveDisplayTest, CylinderCountZeroReadsAsOne) {
  image[256] = 0;
  Frame f = QuietFrame();
  f[10] = 12;
  f[11] = 30;
  f[14] = 25;
  f[15] = 90;
  Show(f);
  EXPECT_EQ(Text("LabelMon_Ign"), "Advance = 12 °");
  EXPECT_EQ(Text("LabelMon_Jet_A"), "Injection time A = 2500 us");
  EXPECT_FALSE(Visible("LabelMon_Jet_2A"));
}

TEST_F(LiveDisplayTest, InjectionDuty) {
  struct Case {
    int rpm;
    std::uint8_t longestA;
    std::uint8_t longestB;
    int duty;
    int position;
    TColor colour;
  };
  const Case cases[] = {
      {6000, 25, 10, 12, 12, kBlue},     // 2.5 ms at 6000 rpm
      {6000, 10, 25, 12, 12, kBlue},     // B counts as well
      {12000, 100, 0, 100, 100, kBlue},  //
      {12000, 101, 0, 101, 100, kYellow}, {0, 250, 250, 0, 0, kBlue},
  };
  for (const auto& c : cases) {
    Frame f = QuietFrame();
    PutWord(f, 48, c.rpm);
    f[15] = c.longestA;
    f[19] = c.longestB;
    f[14 + 3] = 0;
    Show(f);
    EXPECT_EQ(Text("LabelMaxInjProcent"), "Max injection = " + std::to_string(c.duty) + " [%]");
    EXPECT_EQ(G("CGaugeDuty").position, c.position);
    EXPECT_EQ(G("CGaugeDuty").colour, c.colour);
  }
  // An A value of a cylinder the bike does not have is left out.
  image[256] = 1;
  Frame f = QuietFrame();
  PutWord(f, 48, 6000);
  f[14] = 10;
  f[15] = 250;
  Show(f);
  EXPECT_EQ(Text("LabelMaxInjProcent"), "Max injection = 5 [%]");
}

TEST_F(LiveDisplayTest, BaseAdvanceReplacesEveryAdvance) {
  Frame f = QuietFrame();
  f[3] = 0x08;
  for (std::size_t i = 0; i < 4; ++i) f[10 + i] = static_cast<std::uint8_t>(11 * (i + 1));
  Show(f);
  EXPECT_EQ(Text("LabelMon_Ign1"), "Advance 1= BASE");
  EXPECT_EQ(Text("LabelMon_Ign2"), "Advance 2= BASE");
  EXPECT_EQ(Text("LabelMon_Ign3"), "Advance 3= BASE");
  EXPECT_EQ(Text("LabelMon_Ign4"), "Advance 4= BASE");
  EXPECT_EQ(Text("LabelMon_Ign"), "Advance = BASE");
  f[3] = 0;
  Show(f);
  EXPECT_EQ(Text("LabelMon_Ign4"), "Advance 4= 44 °");
  EXPECT_EQ(Text("LabelMon_Ign"), "Advance = 27 °");
}

TEST_F(LiveDisplayTest, TuningState) {
  struct Case {
    std::uint8_t code;
    const char* text;  // nullptr: the text stays
    TColor colour;
  };
  const Case cases[] = {
      {0, "T: rpm=0", kFuchsia},
      {2, "T: Tunning is off", kFuchsia},
      {13, "T: TPS or IAP high ((hinter letzte Punkt)", kFuchsia},
      {14, "T: Adding", kAqua},
      {15, "T: Decrease", kYellow},
      {16, "T: OK", kLime},
      {17, "T: Coupled", kFuchsia},
      {23, "T: Temperature is to high", kFuchsia},
      {24, nullptr, kFuchsia},
      {30, nullptr, kFuchsia},
  };
  for (const auto& c : cases) {
    Frame f = QuietFrame();
    f[28] = c.code;
    Show(f);
    const auto& l = L("LabelLadeniMsg");
    if (c.text)
      EXPECT_EQ(l.text, c.text) << int(c.code);
    else
      EXPECT_FALSE(l.text.has_value()) << int(c.code);
    EXPECT_EQ(l.colour, c.colour) << int(c.code);
  }
}

TEST_F(LiveDisplayTest, VersionMismatchStillShowsTheFrame) {
  Frame f = QuietFrame();
  f[150] = 82;
  PutWord(f, 48, 4321);
  Show(f);
  EXPECT_EQ(Text("LabelVersion"), "Unmatched version of PC and Ignition programs!  PC-83, IGN-82");
  EXPECT_EQ(Colour("LabelVersion"), kRed);
  EXPECT_EQ(Text("LabelRpm"), "RPM = 4321 ");

  slots.Apply(kGerman);
  Show(f);
  EXPECT_EQ(Text("LabelVersion"), "Programm der Zündung ist nicht kompatibel mit dem Programm am PC!  PC-83, IGN-82");

  f[150] = 83;
  Show(f);
  EXPECT_EQ(Colour("LabelVersion"), kWhite);
  EXPECT_EQ(Text("LabelVersion").find("Programm"), std::string::npos);
}

TEST_F(LiveDisplayTest, SupplyVoltageBands) {
  struct Case {
    int mv;
    const char* text;
    TColor colour;
  };
  const Case cases[] = {
      {12600, "U = 12.6 V", kFace},   {16000, "U = 16.0 V", kYellow}, {6500, "U =  6.5 V", kRed},
      {11001, "U = 11.0 V", kFace},   {11000, "U = 11.0 V", kYellow}, {14998, "U = 15.0 V", kFace},
      {14999, "U = 15.0 V", kYellow}, {7001, "U =  7.0 V", kYellow},  {7000, "U =  7.0 V", kRed},
      {17998, "U = 18.0 V", kYellow}, {17999, "U = 18.0 V", kRed},    {0, "U =  0.0 V", kRed},
  };
  for (const auto& c : cases) {
    Frame f = QuietFrame();
    PutWord(f, 64, c.mv);
    Show(f);
    EXPECT_EQ(Text("LabelNapeti"), c.text) << c.mv;
    EXPECT_EQ(Colour("LabelNapeti"), c.colour) << c.mv;
  }
}

TEST_F(LiveDisplayTest, FlagLabels) {
  struct Case {
    const char* name;
    std::size_t byte;
    int bit;
    bool activeWhenSet;
    const char* prefix;
    TColor colour;
  };
  const Case cases[] = {
      {"LabelMonFallIn", 1, 0, false, "Fall sensor", kFuchsia},
      {"LabelMonFallOut", 1, 1, true, "Fall sensor", kRed},
      {"LabelMonBlock2In", 1, 2, false, "Blocking ", kAqua},
      {"LabelMonBlock2Out", 1, 3, true, "Blocking ", kRed},
      {"LabelMonStartLimiterIn", 1, 4, false, "Start limiter", kFuchsia},
      {"LabelMonStartLimiterOut", 1, 5, true, "Start limiter", kFuchsia},
      {"LabelMonClutchIn", 1, 6, false, "Clutch master", kLime},
      {"LabelMonClutchOut", 1, 7, true, "Clutch master", kRed},
      {"LabelMonRpmLambdaIn", 2, 0, false, "Tacho/AFR, autotunning", kAqua},
      {"LabelMonIgnLimiter", 2, 2, true, "Limiter by ignition", kFuchsia},
      {"LabelMonJetLimiter", 2, 3, true, "Limiter by injection", kFuchsia},
      {"LabelMonRetardLimiter", 2, 4, true, "Limiter by retard", kFuchsia},
      {"LabelChlazeniMon", 3, 4, true, "Cooling", kWhite},
      {"LabelMonPitRetardOn", 4, 5, true, "Pit speed control retard", kFuchsia},
      {"LabelPitIgn", 4, 6, true, "Pit speed control no ignition", kFuchsia},
      {"LabelN2oEnable", 3, 1, true, "N2O ", kLime},
  };
  for (const auto& c : cases) {
    for (bool set : {false, true}) {
      Frame f = QuietFrame();
      f[c.byte] = static_cast<std::uint8_t>(set ? f[c.byte] | (1u << c.bit) : f[c.byte] & ~(1u << c.bit));
      Show(f);
      const bool active = set == c.activeWhenSet;
      EXPECT_EQ(Text(c.name), std::string(c.prefix) + " - " + (active ? "YES" : "NO")) << c.name;
      EXPECT_EQ(Colour(c.name), active ? c.colour : kFace) << c.name;
    }
  }
  slots.Apply(kCzech);
  Frame f = QuietFrame();
  f[1] = 0x54;  // fall sensor input active
  Show(f);
  EXPECT_EQ(Text("LabelMonFallIn"), "Čidlo pádu - ANO");
  EXPECT_EQ(Text("LabelMonFallOut"), "Čidlo pádu - NE");
  slots.Apply(kFrench);
  Show(f);
  EXPECT_EQ(Text("LabelMonFallIn"), "Capteur de chute - Oui");
}

TEST_F(LiveDisplayTest, FurtherFlagDisplays) {
  Frame f = QuietFrame();
  Show(f);
  EXPECT_EQ(Text("LabelMonRpmLambdaOut"), "Tacho/Lambda - Lambda");
  EXPECT_EQ(Colour("LabelMonRpmLambdaOut"), kAqua);
  EXPECT_EQ(Text("LabelSnimacCkps"), "Pick-up (CKPS) -  no signal");
  EXPECT_EQ(Colour("LabelSnimacCkps"), kFace);
  EXPECT_FALSE(Visible("LabelEeDataErr"));
  EXPECT_FALSE(Visible("LabelN2oEnable"));

  f[2] |= 0x02;
  f[3] = 0x20 | 0x40 | 0x80;
  n2o = true;
  Show(f);
  EXPECT_EQ(Text("LabelMonRpmLambdaOut"), "Tacho/Lambda - Tacho");
  EXPECT_EQ(Colour("LabelMonRpmLambdaOut"), kFace);
  EXPECT_EQ(Text("LabelSnimacCkps"), "Pick-up (CKPS) -  is running");
  EXPECT_EQ(Text("LabelSnimacCmps"), "Pick-up (CMPS) -  is running");
  EXPECT_EQ(Colour("LabelSnimacCmps"), kLime);
  EXPECT_TRUE(Visible("LabelEeDataErr"));
  EXPECT_TRUE(Visible("LabelN2oEnable"));

  slots.Apply(kCzech);
  Show(f);
  EXPECT_EQ(Text("LabelMonRpmLambdaOut"), "Otáčkoměr/Lambda - Otáčkoměr");
}

TEST_F(LiveDisplayTest, PilotLight) {
  struct Case {
    std::uint8_t bike;
    std::uint8_t state;
    const char* text;
    TColor colour;
  };
  const Case cases[] = {
      {11, 0, "Gear shift light - NO", kFace},
      {11, 2, "Gear shift light - YES", kFuchsia},
      {11, 1, "Gear shift light - Twinkle", kFuchsia},
      {11, 9, "Gear shift light - Twinkle", kFuchsia},
      {38, 2, "Choke - YES", kFuchsia},
      {61, 0, "Choke - NO", kFace},
      {63, 1, "Choke - Twinkle", kFuchsia},
      {62, 2, "Gear shift light - YES", kFuchsia},
  };
  for (const auto& c : cases) {
    image[0] = c.bike;
    Frame f = QuietFrame();
    f[27] = c.state;
    Show(f);
    EXPECT_EQ(Text("LabelMonPilotLight"), c.text);
    EXPECT_EQ(Colour("LabelMonPilotLight"), c.colour);
  }
}

TEST_F(LiveDisplayTest, RpmColourAndGauge) {
  struct Case {
    std::uint8_t limiters;  // bits 2..4 of byte 2
    TColor colour;
  };
  const Case cases[] = {{0x00, kFace}, {0x04, kFuchsia}, {0x0C, kFuchsia}, {0x18, kFuchsia}, {0x1C, kRed}};
  image[29] = 100;  // ignition limiter 10000 rpm
  for (const auto& c : cases) {
    Frame f = QuietFrame();
    f[2] = static_cast<std::uint8_t>(f[2] | c.limiters);
    PutWord(f, 48, 6050);
    Show(f);
    EXPECT_EQ(Text("LabelRpm"), "RPM = 6050 ");
    EXPECT_EQ(Colour("LabelRpm"), c.colour) << int(c.limiters);
    EXPECT_EQ(G("CGaugeRpm").position, 60);
  }
  image[29] = 0;
  Show(QuietFrame());
  EXPECT_FALSE(G("CGaugeRpm").position.has_value());
}

TEST_F(LiveDisplayTest, SensorTextsPlainAndExtended) {
  Frame f = QuietFrame();
  PutWord(f, 50, 4100);
  PutWord(f, 52, 1003);
  PutWord(f, 54, 2200);
  PutWord(f, 56, 900);
  PutWord(f, 58, 450);
  PutWord(f, 62, 3500);
  PutWord(f, 70, 2400);
  PutWord(f, 136, 98);
  PutWord(f, 138, 125);
  PutWord(f, 144, 333);
  f[29] = 147;
  f[24] = 0;
  struct Case {
    const char* name;
    const char* plain;
    const char* extended;
  };
  const Case cases[] = {
      {"LabelTlak", "AP = 100.3 kPa", "AP = 100.3 kPa= 4100 mV"},
      {"LabelPodtlak", "IAP = 98 [kPa]", "IAP= 98 [kPa] = 2200 [mV]"},
      {"LabelTpsMon", "TP = 12.5 %", "TP = 12.5 %=900 mV"},
      {"LabelGasMon", "Gas hnadle = 33.3 %", "Gas hnadle = 33.3 %=900 mV"},
      {"LabelLambda", "LAMBDA = 14.7 [AFR]", "LAMBDA = 14.7 [AFR] = 450 mV"},
      {"LabelVzduch", "AT = 50 °C", "AT = 50 °C= 3500 mV"},
  };
  for (bool ext : {false, true}) {
    extended = ext;
    Show(f);
    for (const auto& c : cases) EXPECT_EQ(Text(c.name), ext ? c.extended : c.plain);
  }
  EXPECT_EQ(Colour("LabelVzduch"), kRed);
  EXPECT_EQ(Colour("LabelTlak"), kFace);
  EXPECT_EQ(G("CGaugeTps").position, 12);
  EXPECT_EQ(G("CGaugeGas").position, 33);

  // Sensor errors; in gas-handle mode the throttle voltage is the intake servo's first reading.
  f[4] = 0x07;
  f[5] = 0x01;
  for (bool ext : {false, true}) {
    extended = ext;
    Show(f);
    EXPECT_EQ(Text("LabelTlak"), ext ? "AP = 100.3 kPa= 4100 mV" : "AP = 100.3 kPa");
    EXPECT_EQ(Text("LabelPodtlak"), ext ? "IAP = error = 2200 [mV]" : "IAP = error");
    EXPECT_EQ(Text("LabelTpsMon"), "TP = error = 2400 mV");
    for (const char* name : {"LabelTlak", "LabelPodtlak", "LabelTpsMon"}) EXPECT_EQ(Colour(name), kRed) << name;
    EXPECT_EQ(G("CGaugeTps").position, 0);
  }
  f[4] = 0;
  extended = true;
  Show(f);
  EXPECT_EQ(Text("LabelTpsMon"), "TP = 12.5 %=2400 mV");
}

TEST_F(LiveDisplayTest, LambdaGaugeAndBands) {
  image[372] = 100;
  image[373] = 120;
  image[374] = 150;
  image[375] = 160;
  struct Case {
    std::uint8_t afr;
    int position;
  };
  const Case cases[] = {{99, 0}, {100, 0}, {130, 50}, {159, 98}, {160, 100}, {161, 100}, {255, 100}};
  for (const auto& c : cases) {
    Frame f = QuietFrame();
    f[29] = c.afr;
    Show(f);
    EXPECT_EQ(G("CGaugeLambda").position, c.position) << int(c.afr);
  }
  EXPECT_EQ(display.lambdaBands.firstEnd, 33);
  EXPECT_EQ(display.lambdaBands.secondEnd, 83);

  // A bar of no width (an image before normalisation) must not divide by zero.
  for (std::size_t i = 372; i < 376; ++i) image[i] = 140;
  for (std::uint8_t afr : {std::uint8_t{139}, std::uint8_t{140}, std::uint8_t{141}}) {
    Frame f = QuietFrame();
    f[29] = afr;
    Show(f);
    EXPECT_EQ(G("CGaugeLambda").position, afr > 140 ? 100 : 0);
  }
}

TEST_F(LiveDisplayTest, ServosAndPotentiometer) {
  Frame f = QuietFrame();
  PutWord(f, 66, 2500);
  PutWord(f, 68, 2510);
  PutWord(f, 70, 2400);
  PutWord(f, 72, 2410);
  PutWord(f, 74, 1800);
  PutWord(f, 142, 35);
  Show(f);
  EXPECT_EQ(Text("LabelMonServoIntake"), "Intake servo = 2400 / 2410 mV");
  EXPECT_EQ(Text("LabelMonServoExhaust"), "Exhaust servo  = 2500 / 2510 mV");
  EXPECT_EQ(Text("LabelMonPotenc"), "Potentiometer = 1800 mV");
  EXPECT_EQ(Text("LabelMonServoPosition"), "Step servo position = 35");
  EXPECT_EQ(Colour("LabelMonServoIntake"), kFace);

  // A servo out of order is red only while it is enabled in the image.
  f[2] = 0x01;
  Show(f);
  EXPECT_EQ(Colour("LabelMonServoIntake"), kFace);
  EXPECT_EQ(Colour("LabelMonServoExhaust"), kFace);
  image[59] = 1;
  Show(f);
  EXPECT_EQ(Colour("LabelMonServoIntake"), kRed);
  EXPECT_EQ(Colour("LabelMonServoExhaust"), kFace);
  image[58] = 1;
  Show(f);
  EXPECT_EQ(Colour("LabelMonServoExhaust"), kRed);

  f[4] = 0x10;
  Show(f);
  EXPECT_EQ(Text("LabelMonServoIntake"), "Intake servo = 2400 mV/ Idle ");
}

TEST_F(LiveDisplayTest, EngineAndCorrectionTexts) {
  Frame f = QuietFrame();
  f[25] = 3;
  f[26] = 7;
  PutWord(f, 46, 25);
  PutWord(f, 76, 42);
  for (std::size_t i = 0; i < 8; ++i) PutWord(f, 78 + 2 * i, int(100 + i));
  PutWord(f, 96, 300);
  PutWord(f, 98, 120);
  PutWord(f, 100, 125);
  PutWord(f, 102, 15);
  PutWord(f, 104, 1000);
  PutWord(f, 106, 300);
  PutWord(f, 108, 970);
  PutWord(f, 110, 1005);
  PutWord(f, 112, 995);
  PutWord(f, 114, 7);
  PutWord(f, 116, 123);
  PutWord(f, 118, 2300);
  PutWord(f, 120, 456);
  PutWord(f, 122, 95);
  PutWord(f, 132, 31);
  PutWord(f, 134, 985);
  PutWord(f, 140, 1234);
  Show(f);
  const std::pair<const char*, const char*> expected[] = {
      {"LabelGear", "Gear = 3 "},
      {"LabelDleTpsProcent", "Inj. according TPS =  7 %"},
      {"LabelDwellMer", "Dwell=  2.5 [ms]"},
      {"LabelPocetProgramovani", "Number of Programing = 42"},
      {"LabelTest1", "Test1= 100"},
      {"LabelTest3", "Test3= 102 "},
      {"LabelTest4", "Test4=103"},
      {"LabelTest8", "Test8= 107"},
      {"LabelMon_PolohaA", "Position A = 300 °"},
      {"LabelMon_PolohaB", "Position B = 120 °"},
      {"LabelKorVodaJet", "TW correction = 12.5 %"},
      {"LabelKorVzduch", "AT correction =  1.5 %"},
      {"LabelKorTlak", "AP correction = 100.0 %"},
      {"LabelKorSytic", "Starting corr. = 30.0 %"},
      {"LabelKorNapeti", "U correction = -30 us"},
      {"LabelKorVodaIgn", "TW correction =  0.5 °"},
      {"LabelKorPotencIgn", "Potent. correction = -0.5 °"},
      {"LabelKorPotencJet", "Potent. correction =  0.7 %"},
      {"LabelMonSpeed", "Speed = 123 [km/h]"},
      {"LabelMonGearNapeti", "Gear voltage = 2300 mV"},
      {"LabelMonPomerRpmSpeed", "Rpm/Speed = 45.6 "},
      {"LabelMonPomerRpmSpeedAuto1", " 9.5 "},
      {"LabelMonPomerRpmSpeedAuto6", " 3.1 "},
      {"LabelIdleKorAdv", "Idle correction = -1.5 °"},
      {"LabelKorAccJet", "Acc. corr = 123.4 %"},
  };
  for (const auto& [name, text] : expected) EXPECT_EQ(Text(name), text) << name;
  EXPECT_FALSE(Visible("LabelTest1"));

  matches = true;
  service = true;
  Show(f);
  EXPECT_EQ(Text("LabelPocetProgramovani"), "Number of Programing = 42     (synchronised with ignition)");
  EXPECT_TRUE(Visible("LabelTest8"));
}

// The controls of a highlight list that are lime (or bold) now.
std::vector<std::string> On(const std::vector<LiveHighlight>& hs, HighlightStyle style = HighlightStyle::kLime) {
  std::vector<std::string> on;
  for (const auto& h : hs)
    if (h.on && h.style == style) on.push_back(h.name);
  return on;
}

TEST(PageHighlights, RaceGearAndIdleRanges) {
  CParamSet params;
  CLiveValues live;
  live.gear = 3;
  const auto race = PageHighlights(live, params, 7);
  // Four edits and a label for each of the six gears.
  EXPECT_EQ(race.size(), 30u);
  EXPECT_EQ(On(race), (std::vector<std::string>{"EditRacePilotFirst3", "EditRacePilotSecond3", "EditRaceClutchTime3",
                                                "EditRaceClutchPause3", "LabelRaceGear3"}));
  live.gear = 0;
  EXPECT_TRUE(On(PageHighlights(live, params, 7)).empty());
  EXPECT_TRUE(PageHighlights(live, params, 12).empty());

  ConfigImage image{};
  image[291] = 15;  // 1500 rpm
  image[292] = 30;  // 3.0 %
  LoadParameterSet(image, params);
  struct Case {
    int rpm;
    int throttle;
    bool rpmLime;
    bool throttleLime;
  };
  const Case cases[] = {{0, 0, false, true}, {1500, 29, true, true}, {1501, 30, false, false}, {800, 100, true, false}};
  for (const auto& c : cases) {
    live.rpm = static_cast<std::uint16_t>(c.rpm);
    live.throttle = static_cast<std::uint16_t>(c.throttle);
    std::vector<std::string> want;
    if (c.rpmLime) want.insert(want.end(), {"EditIdleRpmMez", "LabelIdleRpmMez"});
    if (c.throttleLime) want.insert(want.end(), {"EditIdleTpsMez", "LabelIdleTpsMez"});
    EXPECT_EQ(On(PageHighlights(live, params, 9)), want) << c.rpm << " " << c.throttle;
  }
}

// Below the advance map's first speed point (byte 465, hundreds of rpm) the
// base advance is what the unit fires with.
TEST(PageHighlights, BaseAdvanceLabelBelowTheFirstAdvanceSpeed) {
  ConfigImage image{};
  image[465] = 10;
  image[466] = 20;
  CParamSet params;
  LoadParameterSet(image, params);
  CLiveValues live;
  const std::pair<int, bool> cases[] = {{800, true}, {999, true}, {1000, false}, {12000, false}};
  for (const auto& [rpm, lime] : cases) {
    live.rpm = static_cast<std::uint16_t>(rpm);
    const auto hs = PageHighlights(live, params, 1);
    ASSERT_EQ(hs.size(), 1u);
    EXPECT_EQ(hs[0].name, "LabelBaseAdvance");
    EXPECT_EQ(hs[0].on, lime) << rpm;
  }
  image[465] = 25;
  LoadParameterSet(image, params);
  live.rpm = 2400;
  EXPECT_EQ(On(PageHighlights(live, params, 1)), std::vector<std::string>{"LabelBaseAdvance"});
}

// The gear page marks the row the determination uses and the correction row
// of the live gear; the button of the live gear has a bold caption where it
// can take a value.
TEST(PageHighlights, GearPageFollowsTheDetermination) {
  using V = std::vector<std::string>;
  struct Case {
    int q;
    int gear;
    V lime;
    V bold;
  };
  const Case cases[] = {
      {0,
       3,
       {"EditGearVoltage3", "LabelGearVoltage3", "EditGearKorAdvance3", "EditGearKorInjection3", "LabelGearKor3"},
       {"ButtonGear3"}},
      {0, 0, {"EditGearVoltage0", "LabelGearVoltage0"}, {"ButtonGear0"}},
      {1,
       2,
       {"EditGearRatio2", "LabelGearRatio2", "EditGearKorAdvance2", "EditGearKorInjection2", "LabelGearKor2"},
       {"ButtonGear2"}},
      {1, 0, {}, {}},  // gear 0 has no ratio and no correction
      {2, 5, {"LabelMonPomerRpmSpeedAuto5", "EditGearKorAdvance5", "EditGearKorInjection5", "LabelGearKor5"}, {}},
      {3, 1, {"EditGearKorAdvance1", "EditGearKorInjection1", "LabelGearKor1"}, {}},
      {0, 7, {}, {}},  // no such gear
  };
  ConfigImage image{};
  CParamSet params;
  CLiveValues live;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "q=" << c.q << " gear=" << c.gear);
    image[136] = static_cast<std::uint8_t>(c.q);
    LoadParameterSet(image, params);
    live.gear = static_cast<std::uint8_t>(c.gear);
    const auto hs = PageHighlights(live, params, 8);
    auto sorted = [](V v) {
      std::sort(v.begin(), v.end());
      return v;
    };
    EXPECT_EQ(sorted(On(hs)), sorted(c.lime));
    EXPECT_EQ(On(hs, HighlightStyle::kBold), c.bold);
    // Every row is listed, so a gear that is no longer live loses its colour.
    EXPECT_EQ(hs.size(), 7u * 2 + 6 * 2 + 6 + 6 * 3 + 7);
  }
}

}  // namespace
