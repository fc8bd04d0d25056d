#include "link/LiveDisplay.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>

#include "image/FieldCatalogue.h"
#include "image/PageBindings.h"
#include "image/PageRules.h"
#include "image/Pages.h"
#include "link/LiveDerived.h"
#include "link/UnitFacts.h"

namespace {
constexpr int kCoolantHot = 200;  // coolant byte from which it is too hot (100 C)

int Raw(const ConfigImage& image, FieldId id, int element = 0) { return ReadRaw(image, id, element); }

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

class Builder {
 public:
  explicit Builder(const LiveDisplayInputs& in)
      : m_in(in), m_live(in.live), m_derived(DeriveLiveValues(in.live, in.image)) {}

  LiveDisplay Build() {
    Flags();
    Advance();
    Injection();
    Engine();
    Servos();
    Others();
    LambdaBar();
    return std::move(m_out);
  }

 private:
  const std::string& Slot(int slot) const { return m_in.textSlots[slot]; }
  const char* SlotC(int slot) const { return Slot(slot).c_str(); }
  const std::string& YesNo(bool on) const { return Slot(on ? kSlotYes : kSlotNo); }

  LiveLabelState& Label(const char* name) { return m_out.labels.emplace_back(LiveLabelState{name, {}, {}, {}}); }
  void Text(const char* name, std::string text) { Label(name).text = std::move(text); }
  void Colored(const char* name, std::string text, TColor colour) {
    auto& l = Label(name);
    l.text = std::move(text);
    l.colour = colour;
  }
  LiveGaugeState& Gauge(const char* name, int maximum, std::optional<int> position) {
    auto& g = m_out.gauges.emplace_back(LiveGaugeState{name, maximum, {}, {}, {}});
    if (position) g.position = std::clamp(*position, 0, maximum);
    return g;
  }

  void Flag(const char* name, int prefixSlot, bool active, TColor activeColour) {
    Colored(name, Slot(prefixSlot) + " - " + YesNo(active), active ? activeColour : clBtnFace);
  }

  void Flags() {
    const CLiveValues& v = m_live;
    Flag("LabelMonFallIn", kSlotFallSensor, v.killSwitchIn, clFuchsia);
    Flag("LabelMonFallOut", kSlotFallSensor, v.fallSensorOut, clRed);
    Flag("LabelMonBlock2In", kSlotBlocking, v.blockingIn, clAqua);
    Flag("LabelMonBlock2Out", kSlotBlocking, v.blockingOut, clRed);
    Flag("LabelMonStartLimiterIn", kSlotStartLimiter, v.startLimiterIn, clFuchsia);
    Flag("LabelMonStartLimiterOut", kSlotStartLimiter, v.startLimiterOut, clFuchsia);
    Flag("LabelMonClutchIn", kSlotClutchMaster, v.clutchIn, clLime);
    Flag("LabelMonClutchOut", kSlotClutchMaster, v.clutchOut, clRed);
    Flag("LabelMonRpmLambdaIn", kSlotTachoAfrAutotuning, v.tachoLambdaIn, clAqua);
    Flag("LabelMonIgnLimiter", kSlotLimiterByIgnition, v.ignitionLimiter, clFuchsia);
    Flag("LabelMonJetLimiter", kSlotLimiterByInjection, v.injectionLimiter, clFuchsia);
    Flag("LabelMonRetardLimiter", kSlotLimiterByRetard, v.retardLimiter, clFuchsia);
    Flag("LabelChlazeniMon", kSlotCooling, v.coolingOn, clWhite);
    Flag("LabelMonPitRetardOn", kSlotPitRetard, v.pitRetard, clFuchsia);
    Flag("LabelPitIgn", kSlotPitNoIgnition, v.pitNoIgnition, clFuchsia);

    auto& n2o = Label("LabelN2oEnable");
    n2o.text = "N2O  - " + YesNo(v.n2oActive);
    n2o.colour = v.n2oActive ? clLime : clBtnFace;
    n2o.visible = m_in.n2oEnabled;

    Colored("LabelMonRpmLambdaOut", Slot(kSlotTachoLambda) + " - " + Slot(v.tachoOutput ? kSlotTacho : kSlotLambda),
            v.tachoOutput ? clBtnFace : clAqua);
    Colored("LabelSnimacCkps",
            Slot(kSlotPickupCkps) + " - " + Slot(v.crankPickupSignal ? kSlotIsRunning : kSlotNoSignal),
            v.crankPickupSignal ? clLime : clBtnFace);
    Colored("LabelSnimacCmps", Slot(kSlotPickupCmps) + " - " + Slot(v.camPickupSignal ? kSlotIsRunning : kSlotNoSignal),
            v.camPickupSignal ? clLime : clBtnFace);
    Label("LabelEeDataErr").visible = v.programmedDataError;

    const bool choke = IdlePositionBike(Raw(m_in.image, FieldId::kBike));
    const int pilot = v.pilotLight;
    const int state = pilot == 0 ? kSlotNo : pilot == 2 ? kSlotYes : kSlotTwinkle;
    Colored("LabelMonPilotLight", Slot(choke ? kSlotChoke : kSlotGearShiftLight) + " - " + Slot(state),
            pilot != 0 ? clFuchsia : clBtnFace);

    auto& tuning = Label("LabelLadeniMsg");
    if (const int slot = TuningStateSlot(v.tuningState); slot >= 0) tuning.text = Slot(slot);
    tuning.colour = v.tuningState == 14   ? clAqua
                    : v.tuningState == 15 ? clYellow
                    : v.tuningState == 16 ? clLime
                                          : clFuchsia;

    auto& version = Label("LabelVersion");
    const std::string versions = UnitVersionsText(int(v.unitVersion));
    if (v.unitVersion != kUnitVersion) {
      version.text = Slot(kSlotUnmatchedVersion) + versions;
      version.colour = clRed;
    } else {
      // Replaces a mismatch text left by an earlier unit.
      version.text = versions;
      version.colour = clWhite;
    }
  }

  void Advance() {
    const CLiveValues& v = m_live;
    const int n = LiveCylinders(m_in.image);
    const char* advance = SlotC(kSlotAdvance);
    static const char* const kNames[] = {"LabelMon_Ign1", "LabelMon_Ign2", "LabelMon_Ign3", "LabelMon_Ign4"};
    for (int c = 0; c < 4; ++c) {
      auto& l = Label(kNames[c]);
      l.visible = c < n;
      if (c >= n) continue;
      l.text = v.advanceIsBase ? Format("%s %d= BASE", advance, c + 1)
                               : Format("%s %d= %2d °", advance, c + 1, m_derived[std::size_t(kDerivedAdvance1 + c)]);
    }
    Text("LabelMon_Ign",
         v.advanceIsBase ? Format("%s = BASE", advance) : Format("%s = %2d °", advance, m_derived[kDerivedAdvance]));
  }

  void Injection() {
    const CLiveValues& v = m_live;
    const int n = LiveCylinders(m_in.image);
    const char* time = SlotC(kSlotInjectionTime);
    static const char* const kNamesA[] = {"LabelMon_Jet_1A", "LabelMon_Jet_2A", "LabelMon_Jet_3A", "LabelMon_Jet_4A"};
    static const char* const kNamesB[] = {"LabelMon_Jet_1B", "LabelMon_Jet_2B", "LabelMon_Jet_3B", "LabelMon_Jet_4B"};
    for (int c = 0; c < 4; ++c) {
      const int a = v.injectionA[std::size_t(c)];
      const int b = v.injectionB[std::size_t(c)];
      auto& la = Label(kNamesA[c]);
      la.visible = c < n;
      if (c < n) la.text = Format("%s %dA = %d us", time, c + 1, a * 100);
      auto& lb = Label(kNamesB[c]);
      lb.text = Format("%s %dB = %d us", time, c + 1, b * 100);
      lb.visible = c < n;
    }
    Text("LabelMon_Jet_A", Format("%s A = %d us", time, m_derived[kDerivedInjectionTimeA]));
    Text("LabelMon_Jet_B", Format("%s B = %d us", time, m_derived[kDerivedInjectionTimeB]));

    const int duty = m_derived[kDerivedMaxInjectionDuty];
    Text("LabelMaxInjProcent", Format("%s = %d [%%]", SlotC(kSlotMaxInjection), duty));
    Gauge("CGaugeDuty", kGaugeDutyMax, duty).colour = duty > 100 ? clYellow : clBlue;
  }

  void Engine() {
    const CLiveValues& v = m_live;
    const bool ext = m_in.extendedMonitor;

    Text("LabelGear", Format("%s = %d ", SlotC(kSlotGear), int(v.gear)));
    Text("LabelDleTpsProcent", Format("%s = %2d %%", SlotC(kSlotInjByTps), int(v.injectionByThrottle)));
    Text("LabelDwellMer", "Dwell= " + Format("%4.1f", v.dwell * 0.1) + " [ms]");

    const int limiters = int(v.ignitionLimiter) + int(v.injectionLimiter) + int(v.retardLimiter);
    Colored("LabelRpm", Format("RPM = %d ", int(v.rpm)), limiters == 3 ? clRed : limiters > 0 ? clFuchsia : clBtnFace);
    const int limiter = Raw(m_in.image, FieldId::kIgnitionLimiter);
    Gauge("CGaugeRpm", kGaugeRpmMax, limiter != 0 ? std::optional<int>(v.rpm / limiter) : std::nullopt);

    const double ap = v.ap * 0.1;
    Colored("LabelTlak", ext ? Format("AP = %4.1f kPa= %d mV", ap, int(v.apSensorMv)) : Format("AP = %4.1f kPa", ap),
            v.apSensorError ? clRed : clBtnFace);

    if (v.iapSensorError)
      Colored("LabelPodtlak", ext ? Format("IAP = error = %d [mV]", int(v.iapSensorMv)) : "IAP = error", clRed);
    else
      Colored("LabelPodtlak",
              ext ? Format("IAP= %d [kPa] = %d [mV]", int(v.iap), int(v.iapSensorMv))
                  : Format("IAP = %d [kPa]", int(v.iap)),
              clBtnFace);

    const int tpsMv = v.gasHandleMode ? v.intakeServoMv[0] : v.throttleSensorMv;
    const double throttle = v.throttle * 0.1;
    if (v.throttleSensorError)
      Colored("LabelTpsMon", Format("TP = error = %d mV", tpsMv), clRed);
    else
      Colored("LabelTpsMon", ext ? Format("TP = %4.1f %%=%d mV", throttle, tpsMv) : Format("TP = %4.1f %%", throttle),
              clBtnFace);
    Gauge("CGaugeTps", 100, v.throttleSensorError ? 0 : v.throttle / 10);

    const double gas = v.gasHandle * 0.1;
    const char* gasText = SlotC(kSlotGasHandle);
    Text("LabelGasMon", ext ? Format("%s = %4.1f %%=%d mV", gasText, gas, int(v.throttleSensorMv))
                            : Format("%s = %4.1f %%", gasText, gas));
    Gauge("CGaugeGas", 100, v.gasHandle / 10);

    const double afr = v.afr * 0.1;
    Text("LabelLambda",
         ext ? Format("LAMBDA = %4.1f [AFR] = %d mV", afr, int(v.lambdaMv)) : Format("LAMBDA = %4.1f [AFR]", afr));
    Gauge("CGaugeLambda", 100, LambdaPosition());

    const char* coolant = SlotC(kSlotCoolant);
    if (v.coolantError) {
      Colored("LabelVoda",
              ext ? Format("%s = error = %d mV", coolant, int(v.coolantSensorMv)) : Format("%s = error", coolant),
              clRed);
      Gauge("CGaugeVoda", kGaugeCoolantMax, LiveCoolantC(v)).colour = clRed;
    } else {
      const bool hot = v.coolant >= kCoolantHot;
      const int c = LiveCoolantC(v);
      Colored("LabelVoda",
              ext ? Format("%s = %d °C= %d mV", coolant, c, int(v.coolantSensorMv)) : Format("%s= %d °C", coolant, c),
              hot ? clYellow : clBtnFace);
      Gauge("CGaugeVoda", kGaugeCoolantMax, c).colour = hot ? clYellow : clAqua;
    }

    const int air = LiveAirC(v);
    Colored("LabelVzduch", ext ? Format("AT = %d °C= %d mV", air, int(v.airSensorMv)) : Format("AT = %d °C", air),
            v.air == 0 ? clRed : clBtnFace);

    const int mv = v.supplyMv;
    const TColor supply = (mv >= 11001 && mv <= 14998) ? clBtnFace : (mv >= 7001 && mv <= 17998) ? clYellow : clRed;
    Colored("LabelNapeti", Format("U = %4.1f V", mv * 0.001), supply);
  }

  // 0 below the lambda bar's beginning, 100 beyond its end.
  int LambdaPosition() const {
    const int afr = m_live.afr;
    const int low = Raw(m_in.image, FieldId::kLambdaBar, 0);
    const int high = Raw(m_in.image, FieldId::kLambdaBar, 3);
    if (afr < low) return 0;
    if (afr > high) return 100;
    // A bar without width (an image not yet normalised) has no inside.
    if (high <= low) return 0;
    return (afr - low) * 100 / (high - low);
  }

  void LambdaBar() {
    const int low = Raw(m_in.image, FieldId::kLambdaBar, 0);
    const int high = Raw(m_in.image, FieldId::kLambdaBar, 3);
    auto at = [&](int point) {
      if (high <= low) return 0;
      return std::clamp((point - low) * 100 / (high - low), 0, 100);
    };
    m_out.lambdaBands = {at(Raw(m_in.image, FieldId::kLambdaBar, 1)), at(Raw(m_in.image, FieldId::kLambdaBar, 2))};
  }

  void Servos() {
    const CLiveValues& v = m_live;
    const TColor intakeColour = !v.intakeServoOk && Raw(m_in.image, FieldId::kInServoEnable) != 0 ? clRed : clBtnFace;
    const TColor exhaustColour = !v.exhaustServoOk && Raw(m_in.image, FieldId::kExServoEnable) != 0 ? clRed : clBtnFace;
    const char* intake = SlotC(kSlotIntakeServo);
    if (v.intakeServoIdle)
      Colored("LabelMonServoIntake", Format("%s = %d mV/ %s ", intake, int(v.intakeServoMv[0]), SlotC(kSlotIdle)),
              intakeColour);
    else
      Colored("LabelMonServoIntake",
              Format("%s = %d / %d mV", intake, int(v.intakeServoMv[0]), int(v.intakeServoMv[1])), intakeColour);
    Colored("LabelMonServoExhaust",
            Format("%s = %d / %d mV", SlotC(kSlotExhaustServo), int(v.exhaustServoMv[0]), int(v.exhaustServoMv[1])),
            exhaustColour);
    Text("LabelMonPotenc", Format("%s = %d mV", SlotC(kSlotPotentiometer), int(v.potentiometerMv)));
    Text("LabelMonServoPosition", Format("%s = %d", SlotC(kSlotStepServoPosition), int(v.stepServoPosition)));
  }

  void Others() {
    const CLiveValues& v = m_live;
    Text("LabelPocetProgramovani", Slot(kSlotNumberOfProgramming) + std::to_string(v.programmings) +
                                       (m_in.imageMatchesUnit ? Slot(kSlotSynchronised) : std::string()));

    // Test3 and Test4 differ from the others in their spacing.
    static const char* const kTestTexts[][2] = {{"Test1= ", ""}, {"Test2= ", ""}, {"Test3= ", " "}, {"Test4=", ""},
                                                {"Test5= ", ""}, {"Test6= ", ""}, {"Test7= ", ""},  {"Test8= ", ""}};
    static const char* const kTestNames[] = {"LabelTest1", "LabelTest2", "LabelTest3", "LabelTest4",
                                             "LabelTest5", "LabelTest6", "LabelTest7", "LabelTest8"};
    for (std::size_t i = 0; i < 8; ++i) {
      auto& l = Label(kTestNames[i]);
      l.text = kTestTexts[i][0] + std::to_string(v.test[i]) + kTestTexts[i][1];
      l.visible = m_in.serviceMode;
    }

    const char* position = SlotC(kSlotPosition);
    Text("LabelMon_PolohaA", Format("%s A = %d °", position, int(v.injectionPositionA)));
    Text("LabelMon_PolohaB", Format("%s B = %d °", position, int(v.injectionPositionB)));

    Text("LabelKorVodaJet", Format("TW correction = %4.1f %%", v.coolantCorrection * 0.1));
    Text("LabelKorVzduch", Format("AT correction = %4.1f %%", v.airCorrection * 0.1));
    Text("LabelKorTlak", Format("AP correction = %4.1f %%", v.apCorrection * 0.1));
    Text("LabelKorSytic", Format("Starting corr. = %4.1f %%", v.startCorrection * 0.1));
    Text("LabelKorNapeti", Format("U correction = %d us", int(v.voltageCorrection) - 1000));
    Text("LabelKorVodaIgn", Format("TW correction = %4.1f °", v.coolantAdvanceCorrection * 0.1 - 100));
    Text("LabelKorPotencIgn", Format("Potent. correction = %4.1f °", v.potAdvanceCorrection * 0.1 - 100));
    Text("LabelKorPotencJet", Format("Potent. correction = %4.1f %%", v.potInjectionCorrection * 0.1));
    Text("LabelMonSpeed", Format("%s = %d [km/h]", SlotC(kSlotSpeed), int(v.speed)));
    Text("LabelMonGearNapeti", Format("%s = %d mV", SlotC(kSlotGearVoltage), int(v.gearSensorMv)));
    Text("LabelMonPomerRpmSpeed", Format("Rpm/Speed = %4.1f ", v.rpmSpeedRatio * 0.1));
    for (int g = 1; g <= 6; ++g)
      Text(GearRow(g).autoRatioLabel, Format("%4.1f ", v.learnedRatio[std::size_t(g - 1)] * 0.1));
    Text("LabelIdleKorAdv", Format("Idle correction = %4.1f °", (int(v.idleAdvanceCorrection) - 1000) * 0.1));
    Text("LabelKorAccJet", Format("Acc. corr = %4.1f %%", v.accelerationCorrection * 0.1));
  }

  const LiveDisplayInputs& m_in;
  const CLiveValues& m_live;
  const LiveDerived m_derived;
  LiveDisplay m_out;
};
}  // namespace

const LiveLabelState* LiveDisplay::Label(std::string_view name) const {
  for (const auto& l : labels)
    if (l.name == name) return &l;
  return nullptr;
}

const LiveGaugeState* LiveDisplay::Gauge(std::string_view name) const {
  for (const auto& g : gauges)
    if (g.name == name) return &g;
  return nullptr;
}

LiveDisplay BuildLiveDisplay(const LiveDisplayInputs& in) { return Builder(in).Build(); }

namespace {
// The edits of one gear's row: the edits of the up/down pairs bound to the
// gear's element of each field, in the fields' order.
struct GearEdits {
  std::vector<std::string> race;        // gears 1..6
  std::string voltage;                  // gears 0..6
  std::string ratio;                    // gears 1..6
  std::vector<std::string> correction;  // gears 1..6
};

std::string EditOf(FieldId field, int element) {
  const char* upDown = UpDownOf(field, element);
  return upDown ? FieldEditName(upDown) : std::string();
}

// Looked up once: the tick asks for them many times a second.
const std::array<GearEdits, kGearRows>& GearEditsByGear() {
  static const auto edits = [] {
    std::array<GearEdits, kGearRows> e;
    for (int g = 0; g < kGearRows; ++g) {
      e[std::size_t(g)].voltage = EditOf(FieldId::kGearVoltage, g);
      if (g == 0) continue;
      for (FieldId f : kRaceGearColumns) e[std::size_t(g)].race.push_back(EditOf(f, g - 1));
      e[std::size_t(g)].ratio = EditOf(FieldId::kGearRatio, g - 1);
      for (FieldId f : kGearCorrectionColumns) e[std::size_t(g)].correction.push_back(EditOf(f, g - 1));
    }
    return e;
  }();
  return edits;
}

class Highlights {
 public:
  void Lime(const std::string& name, bool on) {
    if (!name.empty()) m_out.push_back({name, on, HighlightStyle::kLime});
  }
  void Lime(const char* name, bool on) {
    if (name) Lime(std::string(name), on);
  }
  void Bold(const char* name, bool on) {
    if (name) m_out.push_back({name, on, HighlightStyle::kBold});
  }
  std::vector<LiveHighlight> Take() { return std::move(m_out); }

 private:
  std::vector<LiveHighlight> m_out;
};
}  // namespace

std::vector<LiveHighlight> PageHighlights(const CLiveValues& live, const CParamSet& params, int activePage) {
  Highlights h;
  const int gear = live.gear;
  switch (activePage) {
    case kPageRace:
      for (int g = 1; g < kGearRows; ++g) {
        for (const std::string& edit : GearEditsByGear()[std::size_t(g)].race) h.Lime(edit, gear == g);
        h.Lime(GearRow(g).raceLabel, gear == g);
      }
      break;
    case kPageGear: {
      const int q = params.Value(FieldId::kGearSystem);
      for (int g = 0; g < kGearRows; ++g) {
        const GearEdits& edits = GearEditsByGear()[std::size_t(g)];
        const GearRowNames& row = GearRow(g);
        const bool current = gear == g;
        h.Lime(edits.voltage, current && q == kGearByVoltage);
        h.Lime(row.voltageLabel, current && q == kGearByVoltage);
        h.Lime(edits.ratio, current && q == kGearByRatio);
        h.Lime(row.ratioLabel, current && q == kGearByRatio);
        h.Lime(row.autoRatioLabel, current && q == kGearAutomatic);
        for (const std::string& edit : edits.correction) h.Lime(edit, current);
        h.Lime(row.correctionLabel, current);
        // Gear 0 has no ratio.
        h.Bold(row.button, current && (q == kGearByVoltage || (q == kGearByRatio && g > 0)));
      }
      break;
    }
    case kPageAdvance: {
      // Below the advance map's first speed point the unit fires at the base advance.
      const MapGrid& advance = params.Grid(MapId::kAdvance);
      const std::int32_t firstRpm = advance.columnAxis.empty() ? 0 : advance.columnAxis.front() * 100;
      h.Lime("LabelBaseAdvance", live.rpm < firstRpm);
      break;
    }
    case kPageIdle: {
      const bool inRpmRange = live.rpm != 0 && live.rpm <= params.Value(FieldId::kIdleRpmRange);
      const bool inThrottleRange = live.throttle < params.Value(FieldId::kIdleTpsRange);
      h.Lime("EditIdleRpmMez", inRpmRange);
      h.Lime("LabelIdleRpmMez", inRpmRange);
      h.Lime("EditIdleTpsMez", inThrottleRange);
      h.Lime("LabelIdleTpsMez", inThrottleRange);
      break;
    }
    default:
      break;
  }
  return h.Take();
}
