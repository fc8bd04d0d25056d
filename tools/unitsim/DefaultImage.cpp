// The configuration the simulated unit holds at power-on: a road tune for
// bike type 11 (Suzuki GSX-R600 01-03, trigger system 12, four cylinders)
// with every value inside the limits the program enforces, so that a Read
// followed by the program's normalisation leaves it as it is and the verify
// passes. All values are raw image values; the units in the comments are
// the ones the pages show.

#include <cstdint>
#include <initializer_list>
#include <span>

#include "UnitSim.h"
#include "image/FieldCatalogue.h"
#include "image/MapStorage.h"

namespace {

constexpr std::uint8_t kSimBikeType = 11;

// Scalar fields. A single value fills every element of its field.
struct FieldSetting {
  FieldId field;
  std::initializer_list<std::int32_t> raw;
};

// clang-format off
constexpr FieldSetting kFieldSettings[] = {
    // Bike constants of type 11 and of its trigger system 12.
    {FieldId::kBike,                      {kSimBikeType}},
    {FieldId::kTriggerSystem,             {12}},
    {FieldId::kBikeConstant3,             {85}},
    {FieldId::kBikeMaxRpm,                {140}},                  // 14000 rpm
    {FieldId::kBikeConstants253,          {11, 25}},
    {FieldId::kBikeConstants191,          {1, 56, 104}},
    {FieldId::kBikeCurve,                 {193, 168, 149, 131, 119, 109, 100, 94, 86}},
    {FieldId::kCylinderCount,             {4}},
    {FieldId::kIgnitionOutputs,           {0, 1, 2, 3}},
    {FieldId::kPickupGeometry,            {10, 14, 6, 2, 4, 2, 45, 8, 0, 16, 10, 14, 6, 2}},
    {FieldId::kDwell,                     {19}},                   // 1.9 ms
    {FieldId::kCrankPolarity,             {0}},

    // Inputs and limiters, derived from the 14000 rpm of the bike.
    {FieldId::kFallDisable,               {1}},
    {FieldId::kBlockingEnable,            {0}},
    {FieldId::kFallActiveClosing,         {1}},
    {FieldId::kClutchActiveClosing,       {1}},
    {FieldId::kStartLimiterActiveClosing, {1}},
    {FieldId::kTachoLambdaActiveClosing,  {1}},
    {FieldId::kStartLimiter1,             {70}},                   // 7000 rpm
    {FieldId::kStartLimiter2,             {116}},
    {FieldId::kIgnitionLimiter,           {140}},
    {FieldId::kInjectionLimiter,          {143}},
    {FieldId::kRetardLimiterRpm,          {143}},
    {FieldId::kRetardLimiterSlope,        {20}},                   // ° per 100 rpm
    {FieldId::kCoolingWarning,            {100}},                  // °C
    {FieldId::kTachoPulses,               {1}},
    {FieldId::kTachoCorrection,           {100}},                  // ±0
    {FieldId::kIntakePortRpm,             {90}},
    {FieldId::kLambdaTachoAfr,            {100, 200}},
    {FieldId::kLambdaTachoRpm,            {10, 120}},

    // Advance: the map carries the throttle axis; no cylinder corrections.
    {FieldId::kAdvanceUsesThrottle,       {1}},
    {FieldId::kAdvanceCylinderCorrection, {100}},                  // ±0 °
    {FieldId::kBaseAdvance,               {10}},
    {FieldId::kAdvanceRange,              {50}},

    // Injection: the four cylinder maps coupled to map 1; the switch between
    // the IAP map and the throttle maps at 2 .. 5 % and 2000 .. 3000 rpm.
    {FieldId::kInjectionCoupling,         {1}},
    {FieldId::kIapTpsMin,                 {2}},
    {FieldId::kIapTpsMax,                 {5}},
    {FieldId::kIapRpmMin,                 {20}},
    {FieldId::kIapRpmMax,                 {30}},
    {FieldId::kIapCylinderCorrection,     {100}},                  // %
    {FieldId::kIapPressureAxis,           {30, 50, 60, 70, 75, 80, 85, 90, 95, 100}},  // kPa

    // Injection positions, in steps of 5 ° (370 ° at idle down to 340 °).
    {FieldId::kPositionARef,              {1}},                    // centre
    {FieldId::kPositionBRef,              {1}},
    {FieldId::kPositionA,                 {74, 74, 72, 71, 70, 69, 69, 68, 68, 68, 68, 68, 68, 68, 68}},
    {FieldId::kPositionB,                 {72, 72, 70, 70, 69, 68, 68, 67, 67, 67, 67, 67, 67, 67, 67}},

    // Corrections.
    {FieldId::kStartCorrectionTimes,      {5, 10, 15, 20}},
    {FieldId::kStartCorrections,          {150, 50, 30, 10}},
    {FieldId::kInjectionCorrCoolant,      {112, 107, 103, 100, 97}},  // % at -10 .. 110 °C
    {FieldId::kInjectionCorrAir,          {106, 103, 100, 100, 100}},
    {FieldId::kAdvanceCorrCoolant,        {110, 110, 100, 100, 95}},  // ±0 at 100
    {FieldId::kAccelThreshold,            {15}},
    {FieldId::kAccelSize,                 {30}},
    {FieldId::kStartInjection,            {10}},                   // ms
    {FieldId::kAccKPlus,                  {30}},
    {FieldId::kAccKMinus,                 {40}},
    {FieldId::kAccT100,                   {300}},
    {FieldId::kAccT0,                     {300}},

    // Sensors: the pressure sensors' two points (kPa, mV), throttle sensor
    // 1.10 V .. 4.30 V, a standard lambda sensor, the common NTC curve.
    {FieldId::kApsPoint1Pressure,         {55}},
    {FieldId::kApsPoint1Voltage,          {2305}},
    {FieldId::kApsPoint2Pressure,         {105}},
    {FieldId::kApsPoint2Voltage,          {3756}},
    {FieldId::kIapsSensor,                {55, 2305, 105, 3756}},
    {FieldId::kTps0,                      {110}},
    {FieldId::kTps100,                    {180}},
    {FieldId::kLambdaType,                {0}},
    {FieldId::kLambdaAfrPoints,           {100, 130, 140, 150, 180}},
    {FieldId::kLambdaVoltages,            {900, 840, 760, 50, 0}},
    {FieldId::kPotentiometerMode,         {0}},
    {FieldId::kPotentiometerRange,        {20}},
    {FieldId::kCoolantSensor,             {4049, 3401, 2713, 2037, 1420, 981, 642, 443, 299}},  // mV, -10 .. 110 °C
    {FieldId::kAirSensor,                 {4049, 3401, 2713, 2037, 1420, 981, 642, 443, 299}},

    // Servos: the intake servo over engine speed alone, in volts; the
    // exhaust servo fitted but off.
    {FieldId::kInServoEnable,             {1}},
    {FieldId::kInServoAxes,               {1}},
    {FieldId::kInServoPercent,            {0}},
    {FieldId::kInServoStepMotor,          {0}},
    {FieldId::kStepMotorPeriod,           {14}},
    {FieldId::kStepMotorExcitation,       {14}},
    {FieldId::kInServoP,                  {80}},
    {FieldId::kInServoI,                  {20}},
    {FieldId::kInServoD,                  {25}},
    {FieldId::kInServoIOff,               {20}},
    {FieldId::kInServoDOff,               {30}},
    {FieldId::kInServoO,                  {0}},
    {FieldId::kExServoEnable,             {0}},
    {FieldId::kExServoAxes,               {1}},
    {FieldId::kExServoPercent,            {0}},
    {FieldId::kExServoP,                  {80}},
    {FieldId::kExServoI,                  {5}},
    {FieldId::kExServoD,                  {10}},
    {FieldId::kExServoIOff,               {20}},
    {FieldId::kExServoDOff,               {30}},

    // Race: pilot light 12000 / 12500 rpm in every gear, clutch master,
    // pit speed control at 80 km/h.
    {FieldId::kPilotFirstSpeed,           {120}},
    {FieldId::kPilotSecondSpeed,          {125}},
    {FieldId::kClutchMode,                {0}},
    {FieldId::kClutchTime,                {20}},                   // ×5 ms
    {FieldId::kClutchPause,               {50}},                   // ×10 ms
    {FieldId::kClutchMinRpm,              {20}},
    {FieldId::kClutchInjection,           {50}},
    {FieldId::kClutchAdvance,             {0}},
    {FieldId::kTempDisplay,               {0}},
    {FieldId::kPilotInvertedOut,          {0}},
    {FieldId::kPitSpeed,                  {80}},
    {FieldId::kPitRetardP,                {5}},
    {FieldId::kPitRetardI,                {10}},
    {FieldId::kPitMinAdvance,             {-20}},
    {FieldId::kPitMinRpm,                 {25}},

    // Gear: determined from the gear sensor voltage, six gears.
    {FieldId::kGearSystem,                {0}},
    {FieldId::kGearCount,                 {6}},
    {FieldId::kGearVoltage,               {5000, 1797, 2260, 2998, 3662, 4360, 4687}},  // mV, gears 0..6
    {FieldId::kGearRatio,                 {2000, 1000, 666, 500, 400, 333}},
    {FieldId::kGearAutoTime,              {3}},
    {FieldId::kGearAutoRpm,               {15}},
    {FieldId::kGearAutoTps,               {20}},
    {FieldId::kGearAutoBand,              {40}},
    {FieldId::kGearAdvanceCorr,           {100}},                  // ±0 °
    {FieldId::kGearInjectionCorr,         {100}},                  // %
    {FieldId::kSpeedMode,                 {0}},
    {FieldId::kSpeedPulses,               {1000}},
    {FieldId::kSpeedOutCorrection,        {100}},

    // Idle: no idle control; desired idle speed 1800 rpm cold, 1450 rpm hot.
    {FieldId::kIdleType,                  {0}},
    {FieldId::kIdleRpmRange,              {15}},
    {FieldId::kIdleTpsRange,              {40}},
    {FieldId::kIdleInverse,               {1}},
    {FieldId::kIdleStepPulse,             {6}},                    // ×250 µs
    {FieldId::kIdleStepPeriod,            {6}},                    // ms
    {FieldId::kIdleHysteresis,            {20}},
    {FieldId::kIdleControlBand,           {15}},
    {FieldId::kIdleStartTime,             {2000}},
    {FieldId::kIdlePosition,              {1800, 1800, 1800, 1550, 1400, 1200, 1200, 1200, 1200}},
    {FieldId::kIdleAdvanceOn,             {0}},
    {FieldId::kIdleAdvancePerRpm,         {13}},
    {FieldId::kIdleAdvancePerTime,        {3}},
    {FieldId::kIdleMaxAdvance,            {22}},
    {FieldId::kIdleDesiredRpm,            {36, 36, 35, 32, 31, 31, 31, 31, 29}},  // ×50 rpm

    // N2O: off, with its stages set up.
    {FieldId::kGasEnable,                 {0}},
    {FieldId::kGasStage1,                 {20}},
    {FieldId::kGasStage2,                 {60}},
    {FieldId::kGasBuildUp,                {30}},
    {FieldId::kGasDelay,                  {20}},
    {FieldId::kRetard1,                   {0}},
    {FieldId::kRetard2,                   {0}},
    {FieldId::kRetardBuildUp,             {30}},
    {FieldId::kRetardDelay,               {20}},

    // Tuning: all points, AFR 10.0 .. 20.0, from 800 rpm, coolant 40 .. 105 °C.
    {FieldId::kTuningMode,                {0}},
    {FieldId::kTuningByTls,               {0}},
    {FieldId::kTuningAfrTolerance,        {2}},
    {FieldId::kTuningRpmTolerance,        {20}},
    {FieldId::kTuningTpsTolerance,        {2}},
    {FieldId::kTuningRevsPerStep,         {20}},
    {FieldId::kTuningStep,                {60}},
    {FieldId::kTuningChannel,             {1}},
    {FieldId::kTuningMaxAcc,              {10}},
    {FieldId::kTuningAfrMin,              {100}},
    {FieldId::kTuningAfrMax,              {200}},
    {FieldId::kTuningTpsMin,              {0}},
    {FieldId::kTuningRpmMin,              {8}},
    {FieldId::kTuningTempMin,             {140}},
    {FieldId::kTuningTempMax,             {205}},

    // Monitor and output test.
    {FieldId::kLambdaBar,                 {100, 120, 140, 180}},   // AFR ×10
    {FieldId::kTestRpm,                   {50}},
    {FieldId::kTestServo,                 {50}},
};
// clang-format on

// The speed points of every 15-point axis, ×100 rpm.
constexpr std::int32_t kSpeedPoints[15] = {10, 20, 30, 40, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160};

// Advance in degrees: rising with engine speed, taken back as the throttle
// opens. Rows are the throttle points 0 .. 100 %, columns the speed points.
// clang-format off
constexpr std::int32_t kAdvance[] = {
    10, 18, 26, 32, 38, 40, 42, 43, 44, 44, 44, 44, 44, 44, 44,
    10, 18, 26, 31, 37, 39, 41, 42, 43, 43, 43, 43, 43, 43, 43,
    10, 17, 25, 31, 36, 38, 40, 41, 42, 43, 43, 43, 43, 43, 43,
    10, 16, 24, 29, 34, 36, 38, 40, 41, 41, 41, 41, 41, 41, 41,
     9, 15, 22, 27, 32, 34, 36, 37, 38, 39, 39, 39, 39, 39, 39,
     9, 14, 20, 25, 30, 32, 34, 35, 36, 37, 37, 37, 37, 37, 37,
     9, 14, 19, 23, 28, 30, 32, 34, 35, 35, 36, 36, 36, 36, 36,
     8, 13, 17, 22, 26, 28, 30, 32, 33, 34, 34, 34, 34, 34, 34,
     8, 12, 16, 21, 25, 27, 29, 31, 32, 33, 34, 34, 34, 34, 34,
     8, 12, 16, 20, 24, 26, 28, 30, 31, 32, 33, 33, 33, 33, 33,
};

// Injection time in µs of each cylinder map: the air the engine takes in,
// highest near 12000 rpm at full throttle; a small throttle opening fills
// the cylinder at low speed but not at high speed.
constexpr std::int32_t kInjectionTimes[] = {
    2200, 1900, 1700, 1500, 1300, 1200, 1100, 1100, 1100, 1100,  1100, 1100, 1100, 1100, 1100,
    3290, 2920, 2660, 2400, 2080, 1940, 1820, 1790, 1770, 1740,  1710, 1660, 1610, 1560, 1520,
    4300, 4010, 3770, 3500, 3080, 2920, 2770, 2720, 2670, 2620,  2540, 2430, 2320, 2210, 2110,
    5100, 5090, 5000, 4820, 4390, 4230, 4080, 4010, 3950, 3880,  3750, 3560, 3370, 3170, 2990,
    5530, 5910, 6170, 6240, 6060, 5990, 5920, 5890, 5870, 5800,  5640, 5360, 5060, 4740, 4440,
    5590, 6130, 6580, 6840, 6960, 7020, 7050, 7100, 7150, 7130,  6990, 6670, 6310, 5920, 5560,
    5600, 6180, 6720, 7110, 7450, 7610, 7750, 7880, 8010, 8050,  7950, 7620, 7250, 6820, 6420,
    5600, 6200, 6790, 7270, 7850, 8150, 8440, 8710, 8970, 9130,  9110, 8820, 8460, 8020, 7590,
    5600, 6200, 6800, 7290, 7970, 8340, 8700, 9060, 9410, 9650,  9700, 9460, 9130, 8710, 8290,
    5600, 6200, 6800, 7300, 8000, 8400, 8800, 9200, 9600, 9900, 10000, 9800, 9500, 9100, 8700,
};

// Injection time in µs of the IAP map, rows along the pressure axis
// 30 .. 100 kPa: the full-throttle times scaled by the manifold pressure.
constexpr std::int32_t kIapInjectionTimes[] = {
    1340, 1480, 1630, 1750, 1910, 2010, 2100, 2200, 2300, 2370,  2390, 2340, 2270, 2180, 2080,
    2560, 2830, 3100, 3330, 3650, 3830, 4020, 4200, 4380, 4520,  4570, 4470, 4340, 4150, 3970,
    3170, 3500, 3840, 4130, 4520, 4750, 4970, 5200, 5430, 5600,  5650, 5540, 5370, 5140, 4920,
    3770, 4180, 4580, 4920, 5390, 5660, 5930, 6200, 6470, 6670,  6740, 6600, 6400, 6130, 5860,
    4080, 4520, 4950, 5320, 5830, 6120, 6410, 6700, 6990, 7210,  7280, 7140, 6920, 6630, 6340,
    4380, 4850, 5320, 5710, 6260, 6570, 6890, 7200, 7510, 7750,  7830, 7670, 7430, 7120, 6810,
    4690, 5190, 5690, 6110, 6700, 7030, 7370, 7700, 8030, 8290,  8370, 8200, 7950, 7620, 7280,
    4990, 5530, 6060, 6510, 7130, 7490, 7840, 8200, 8560, 8820,  8910, 8730, 8470, 8110, 7750,
    5300, 5860, 6430, 6900, 7570, 7940, 8320, 8700, 9080, 9360,  9460, 9270, 8980, 8610, 8230,
    5600, 6200, 6800, 7300, 8000, 8400, 8800, 9200, 9600, 9900, 10000, 9800, 9500, 9100, 8700,
};
// clang-format on

// Servo position over engine speed in steps of 20 mV: 2.00 V at 1000 rpm
// to 2.90 V at 16000 rpm, the same on every throttle row.
constexpr std::int32_t kServoPositions[] = {100, 105, 110, 115, 120, 122, 125, 127, 130, 132, 135, 137, 140, 142, 145};

// No secondary injectors: map B stays all zero.
constexpr std::int32_t kNoValues[] = {0};

constexpr std::int32_t kDesiredAfrSpeeds[] = {10, 20, 40, 80, 160};
// AFR ×10, rows the throttle points 2, 5, 20, 60, 100 %.
constexpr std::int32_t kDesiredAfr[] = {142, 140, 136, 136, 136, 138, 138, 136, 136, 136, 136, 136, 136,
                                        136, 136, 136, 136, 136, 136, 136, 136, 136, 136, 136, 136};

// Maps: the speed axis and the values, row after row; a single row fills
// every row of the map.
struct MapSetting {
  MapId map;
  std::span<const std::int32_t> axis;
  std::span<const std::int32_t> values;
};

constexpr MapSetting kMapSettings[] = {
    {MapId::kAdvance, kSpeedPoints, kAdvance},
    {MapId::kInjection1, kSpeedPoints, kInjectionTimes},
    {MapId::kInjection2, kSpeedPoints, kInjectionTimes},
    {MapId::kInjection3, kSpeedPoints, kInjectionTimes},
    {MapId::kInjection4, kSpeedPoints, kInjectionTimes},
    {MapId::kInjectionB, kSpeedPoints, kNoValues},
    {MapId::kInjectionIap, kSpeedPoints, kIapInjectionTimes},
    {MapId::kServoExhaust, kSpeedPoints, kServoPositions},
    {MapId::kServoIntake, kSpeedPoints, kServoPositions},
    {MapId::kDesiredAfr, kDesiredAfrSpeeds, kDesiredAfr},
};

// Speed axes that are fields rather than maps.
constexpr FieldId kSpeedAxisFields[] = {FieldId::kPositionAAxis, FieldId::kPositionBAxis};

constexpr bool FitsWidth(std::int32_t v, FieldWidth w) {
  switch (w) {
    case FieldWidth::kByte:
      return v >= 0 && v <= 0xFF;
    case FieldWidth::kSignedByte:
      return v >= -0x80 && v <= 0x7F;
    case FieldWidth::kWord:
      return v >= 0 && v <= 0xFFFF;
    case FieldWidth::kSignedWord:
      return v >= -0x8000 && v <= 0x7FFF;
  }
  return false;
}

// Every list fits its field or map, and every value its width: a value that
// would be cut to its low bits is a typing error in the tables above.
constexpr bool SettingsFitTheImage() {
  for (const FieldSetting& s : kFieldSettings) {
    const FieldInfo& f = Field(s.field);
    if (s.raw.size() != 1 && s.raw.size() != std::size_t(f.count)) return false;
    for (std::int32_t v : s.raw)
      if (!FitsWidth(v, f.width)) return false;
  }
  for (const MapSetting& s : kMapSettings) {
    const MapLayout& m = Map(s.map);
    const std::size_t n = s.values.size();
    if (s.axis.size() != std::size_t(m.columns)) return false;
    if (n != 1 && n != std::size_t(m.columns) && n != std::size_t(m.rows * m.columns)) return false;
    for (std::int32_t v : s.axis)
      if (!FitsWidth(v, FieldWidth::kByte)) return false;
    for (std::int32_t v : s.values)
      if (!FitsWidth(v, m.valueWidth)) return false;
  }
  for (FieldId id : kSpeedAxisFields)
    if (std::size_t(Field(id).count) != std::size(kSpeedPoints)) return false;
  return true;
}
static_assert(SettingsFitTheImage(), "a default setting does not fit its place in the image");

}  // namespace

ConfigImage DefaultSimImage() {
  ConfigImage image{};
  for (const FieldSetting& s : kFieldSettings) {
    const FieldInfo& f = Field(s.field);
    for (int i = 0; i < f.count; ++i) WriteRaw(image, f.id, i, s.raw.size() == 1 ? *s.raw.begin() : s.raw.begin()[i]);
  }
  for (FieldId id : kSpeedAxisFields)
    for (int i = 0; i < Field(id).count; ++i) WriteRaw(image, id, i, kSpeedPoints[i]);
  for (const MapSetting& s : kMapSettings) {
    const MapLayout& m = Map(s.map);
    for (int c = 0; c < m.columns; ++c)
      WriteRaw(image, m.axisOffset + std::size_t(c), FieldWidth::kByte, s.axis[std::size_t(c)]);
    for (int r = 0; r < m.rows; ++r)
      for (int c = 0; c < m.columns; ++c) {
        const std::size_t cell = std::size_t(r * m.columns + c);
        WriteRaw(image, MapValueOffset(m, r, c), m.valueWidth, s.values[cell % s.values.size()]);
      }
  }
  return image;
}

ConfigImage BlankSimImage() {
  ConfigImage image{};
  WriteRaw(image, FieldId::kBike, 0, kSimBikeType);
  return image;
}
