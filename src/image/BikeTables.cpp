#include "image/BikeTables.h"

#include <array>
#include <cstddef>
#include <initializer_list>

#include "image/BikeTuneTables.h"

namespace {

// The empty set stands for "all other types".
constexpr BikeSet kAllOthers = 0;

template <std::size_t N>
struct Shared {
  BikeSet bikes;
  std::array<std::int32_t, N> values;
};

// The row whose set holds the type, else the row for all others.
template <std::size_t N, std::size_t R>
std::span<const std::int32_t> Pick(const Shared<N> (&rows)[R], int type) {
  const Shared<N>* others = &rows[0];
  for (const Shared<N>& r : rows) {
    if (InBikeSet(r.bikes, type)) return r.values;
    if (r.bikes == kAllOthers) others = &r;
  }
  return others->values;
}

// clang-format off
// Pressure sensors: 55 kPa and 105 kPa at these voltages.
constexpr Shared<4> kSensorPoints[] = {
  {Bikes({1, 30}),                                                              {55, 2247, 105, 4744}},
  {Bikes({2, 3, 4, 5, 21, 22, 28, 31, 46, 56}),                                 {55, 1643, 105, 3005}},
  {Bikes({7, 8, 17, 18, 19, 27, 35, 36, 40, 45, 48, 50, 52, 53, 57, 62}),       {55, 2162, 105, 4160}},
  {Bikes({24, 58}),                                                             {55, 2108, 105, 5124}},
  {kAllOthers,                                                                  {55, 2305, 105, 3756}},
};
// Type 43's AP sensor has points of its own; its IAP sensor is a common one.
constexpr int kOwnApSensorBike = 43;
constexpr std::array<std::int32_t, 4> kOwnApSensor{55, 1556, 105, 4116};

constexpr Shared<7> kGearVoltages[] = {
  {Bikes({8, 36}),   {4623, 3851, 3592, 3128, 3015, 2360, 1969}},
  {Bikes({45}),      {4877, 879, 1564, 2204, 2922, 3572, 4252}},
  {Bikes({48, 62}),  {4428, 3450, 2952, 2468, 1979, 1485, 987}},
  {Bikes({53}),      {2400, 2600, 4200, 4300, 4400, 4500, 4600}},
  {Bikes({57}),      {4521, 3519, 3015, 2507, 2018, 1456, 1006}},
  {kAllOthers,       {5000, 1797, 2260, 2998, 3662, 4360, 4687}},
};

// type, speed range, throttle range, inverse, step pulse, step period, hysteresis, start time
constexpr Shared<8> kIdleRecords[] = {
  {Bikes({7, 8, 19, 26, 36, 48, 49, 62}), {1, 1500, 40, 0, 1500, 7, 200, 2000}},
  {Bikes({34, 47, 55}),                   {1, 2000, 5, 0, 1500, 6, 100, 2000}},
  {Bikes({38, 61, 63}),                   {0, 3000, 40, 1, 1500, 2, 1600, 2000}},
  {Bikes({45}),                           {3, 5000, 40, 1, 1500, 20, 200, 2000}},
  {Bikes({46}),                           {2, 2000, 3, 1, 25000, 100, 100, 2000}},
  {Bikes({50, 52}),                       {1, 1500, 40, 0, 1500, 6, 200, 2000}},
  {Bikes({53}),                           {3, 5000, 12, 1, 1500, 6, 200, 2000}},
  {Bikes({54}),                           {0, 1500, 10, 1, 1500, 6, 200, 2000}},
  {Bikes({57}),                           {1, 1500, 25, 0, 1500, 7, 200, 2000}},
  {kAllOthers,                            {0, 1500, 40, 1, 1500, 6, 200, 2000}},
};

constexpr Shared<9> kIdlePositionCurves[] = {
  {Bikes({7, 19, 26, 48, 49, 62}), {95, 95, 90, 80, 70, 40, 40, 40, 40}},
  {Bikes({8, 36}),                 {40, 40, 40, 45, 50, 50, 60, 60, 60}},
  {Bikes({34, 47, 55}),            {760, 760, 760, 760, 760, 760, 700, 700, 700}},
  {Bikes({38, 61, 63}),            {45, 42, 40, 37, 33, 30, 30, 30, 30}},
  {Bikes({45}),                    {475, 475, 470, 440, 400, 390, 390, 390, 390}},
  {Bikes({50, 52}),                {4780, 4780, 4600, 4300, 3300, 2420, 1960, 1960, 1960}},
  {Bikes({53}),                    {550, 550, 520, 510, 500, 490, 400, 400, 400}},
  {Bikes({54}),                    {100, 100, 100, 100, 100, 100, 100, 100, 100}},
  {Bikes({57}),                    {60, 60, 55, 53, 50, 46, 41, 40, 40}},
  {kAllOthers,                     {1800, 1800, 1800, 1550, 1400, 1200, 1200, 1200, 1200}},
};

constexpr Shared<4> kIdleAdvance[] = {
  {Bikes({7, 8, 19, 26, 36, 48, 49, 62}), {0, 1, 10, 25}},
  {Bikes({53}),                           {1, 25, 3, 24}},
  {Bikes({54}),                           {1, 10, 10, 25}},
  {Bikes({57}),                           {0, 11, 8, 25}},
  {kAllOthers,                            {0, 13, 3, 22}},
};

constexpr Shared<9> kIdleSpeedCurves[] = {
  {Bikes({7, 8, 19, 26, 36, 48, 49, 57, 62}), {1800, 1800, 1800, 1550, 1400, 1200, 1200, 1200, 1200}},
  {Bikes({53}),                               {1800, 1800, 1750, 1500, 1500, 1500, 1300, 1300, 1300}},
  {Bikes({54}),                               {1500, 1500, 1500, 1500, 1400, 1300, 1200, 1200, 1200}},
  {kAllOthers,                                {1800, 1800, 1750, 1600, 1550, 1550, 1550, 1550, 1450}},
};

// Coolant at -10, 20, 50, 80, 110 °C, then air at the same points. Every type is listed.
constexpr Shared<10> kTempCorrections[] = {
  {Bikes({0, 24, 43, 58}),                                              {150, 138, 111, 100, 92,  121, 110, 100, 92, 84}},
  {Bikes({1, 13, 14, 15, 26, 29, 30, 34, 38, 39, 47, 49, 50, 54, 55}),  {113, 109, 105, 100, 97,  109, 105, 100, 100, 100}},
  {Bikes({2, 3, 21, 28, 46, 56}),                                       {136, 125, 111, 100, 99,  119, 109, 100, 100, 100}},
  {Bikes({4, 22, 31}),                                                  {160, 139, 126, 100, 100, 121, 105, 100, 98, 98}},
  {Bikes({5}),                                                          {139, 110, 104, 100, 99,  121, 110, 100, 97, 97}},
  {Bikes({6, 11, 20, 32, 33, 41, 44}),                                  {112, 107, 103, 100, 97,  106, 103, 100, 100, 100}},
  {Bikes({7, 19, 48, 62}),                                              {134, 118, 110, 100, 100, 111, 107, 100, 95, 95}},
  {Bikes({8, 9, 10, 36, 45, 53, 57}),                                   {125, 114, 107, 100, 98,  113, 107, 100, 97, 93}},
  {Bikes({12, 23}),                                                     {117, 111, 104, 100, 99,  110, 105, 100, 100, 100}},
  {Bikes({16, 25, 37, 40, 52}),                                         {125, 107, 100, 100, 100, 105, 102, 100, 100, 100}},
  {Bikes({17, 27, 51}),                                                 {115, 107, 104, 100, 96,  105, 101, 100, 90, 85}},
  {Bikes({18, 35, 42, 59, 60, 61, 63}),                                 {124, 120, 109, 100, 98,  115, 109, 100, 98, 93}},
};

// Map B: all zero but the rows given (row 0 throttle 0 %, row 9 full throttle).
using BRow = std::array<std::int32_t, 15>;
struct BRows {
  int first;
  std::initializer_list<BRow> rows;
};
constexpr std::array<std::int32_t, 150> BTable(BRows given) {
  std::array<std::int32_t, 150> t{};
  int r = given.first;
  for (const BRow& row : given.rows) {
    for (std::size_t c = 0; c < row.size(); ++c) t[static_cast<std::size_t>(r * 15) + c] = row[c];
    ++r;
  }
  return t;
}
constexpr BRow kB16Row{0, 0, 0, 0, 0, 0, 50, 50, 50, 50, 50, 50, 50, 50, 50};
constexpr Shared<150> kBTables[] = {
  {Bikes({3, 21, 28, 46, 56}), BTable({7, {
      {0, 0, 0, 0, 3, 4, 5, 7, 9, 11, 14, 12, 10, 10, 10},
      {0, 0, 0, 0, 5, 9, 14, 20, 27, 35, 44, 36, 29, 29, 29},
      {0, 0, 0, 0, 9, 16, 24, 35, 47, 53, 59, 54, 50, 50, 50}}})},
  {Bikes({16}), BTable({6, {kB16Row, kB16Row, kB16Row, kB16Row}})},
  {Bikes({19, 48, 62}), BTable({3, {
      {0, 0, 0, 0, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4},
      {0, 0, 0, 0, 2, 7, 12, 13, 14, 15, 16, 16, 17, 17, 17},
      {0, 0, 0, 0, 2, 7, 12, 21, 31, 33, 35, 35, 35, 35, 35},
      {0, 0, 0, 0, 2, 7, 12, 23, 34, 36, 38, 38, 38, 38, 38},
      {0, 0, 0, 0, 2, 8, 14, 27, 39, 42, 45, 45, 45, 45, 45},
      {0, 0, 0, 0, 2, 8, 14, 29, 43, 45, 48, 48, 48, 48, 48},
      {0, 0, 0, 0, 1, 7, 13, 29, 44, 46, 48, 48, 48, 48, 48}}})},
  {Bikes({26, 41, 49, 57}), BTable({5, {
      {0, 0, 0, 4, 5, 5, 5, 5, 5, 6, 6, 6, 7, 7, 7},
      {0, 0, 0, 4, 4, 6, 8, 9, 11, 12, 13, 13, 14, 14, 14},
      {0, 0, 0, 4, 6, 17, 24, 30, 34, 38, 40, 40, 40, 40, 40},
      {0, 0, 0, 4, 11, 37, 47, 58, 67, 73, 74, 74, 73, 73, 73},
      {0, 0, 0, 4, 13, 42, 51, 62, 73, 80, 79, 79, 79, 79, 79}}})},
  {Bikes({34, 47, 55}), BTable({7, {
      {0, 0, 0, 0, 0, 0, 13, 12, 13, 16, 14, 11, 15, 13, 13},
      {0, 0, 0, 0, 0, 0, 13, 28, 33, 38, 39, 32, 29, 23, 18},
      {0, 0, 0, 0, 0, 0, 17, 43, 52, 63, 62, 50, 41, 33, 19}}})},
  {kAllOthers, {}},
};
// clang-format on

// Temperature sensor points in mV at -10, 5, 20 .. 110 °C from the
// converter counts at -10, 20, 50, 80 and 110 °C: each count scaled to 5 V,
// the points between two of them halfway.
constexpr std::array<std::int32_t, 9> FromConverterCounts(std::array<std::int32_t, 5> counts) {
  std::array<std::int32_t, 9> mv{};
  for (std::size_t i = 0; i < counts.size(); ++i) mv[2 * i] = counts[i] * 5000 / 1023;
  for (std::size_t i = 1; i < mv.size(); i += 2) mv[i] = (mv[i - 1] + mv[i + 1]) / 2;
  return mv;
}
constexpr std::array<std::int32_t, 9> kCommonSensor{4049, 3401, 2713, 2037, 1420, 981, 642, 443, 299};
constexpr std::array<std::int32_t, 9> kSensorOf1And30 = FromConverterCounts({838, 648, 300, 164, 122});
constexpr std::array<std::int32_t, 9> kCoolantOf28And46 = FromConverterCounts({841, 521, 243, 112, 57});
constexpr std::array<std::int32_t, 9> kCoolantOf50{4100, 3501, 2913, 2050, 1191, 753, 511, 406, 266};
constexpr std::array<std::int32_t, 9> kAirOf50{4049, 3401, 2713, 2037, 1420, 1419, 1418, 1417, 1416};
constexpr BikeSet kConverterSensorBikes = Bikes({1, 30});
constexpr BikeSet kConverterCoolantBikes = Bikes({28, 46});
constexpr int kOwnSensorsBike = 50;

}  // namespace

std::optional<BikeTables> SelectBikeTables(int type) {
  const BikeScalars* scalars = ScalarsOf(type);
  const std::optional<BikeSpeedSets> sets = SpeedSetsOf(type);
  if (!scalars || !sets) return std::nullopt;
  BikeTables t{};
  t.advance = AdvanceTable(type);
  t.iapSensor = Pick(kSensorPoints, type);
  t.apSensor = type == kOwnApSensorBike ? std::span<const std::int32_t>(kOwnApSensor) : t.iapSensor;
  t.reference = &ReferenceOf(type);
  t.mapB = Pick(kBTables, type);
  t.position = PositionTable(type);
  t.tempCorrection = Pick(kTempCorrections, type);
  t.intakeServo = IntakeServoTable(type);
  t.exhaustServo = ExhaustServoTable(type);
  t.gearVoltages = Pick(kGearVoltages, type);
  t.idleRecord = Pick(kIdleRecords, type);
  t.idlePosition = Pick(kIdlePositionCurves, type);
  t.idleAdvance = Pick(kIdleAdvance, type);
  t.idleSpeed = Pick(kIdleSpeedCurves, type);
  if (InBikeSet(kConverterSensorBikes, type)) {
    t.coolantSensor = t.airSensor = kSensorOf1And30;
  } else if (InBikeSet(kConverterCoolantBikes, type)) {
    t.coolantSensor = kCoolantOf28And46;
    t.airSensor = kCommonSensor;
  } else if (type == kOwnSensorsBike) {
    t.coolantSensor = kCoolantOf50;
    t.airSensor = kAirOf50;
  } else {
    t.coolantSensor = t.airSensor = kCommonSensor;
  }
  t.scalars = scalars;
  t.speedSets = *sets;
  return t;
}

const InjectionReference* CBikeReferenceTables::Find(int bike) const {
  return IsBikeType(bike) ? &ReferenceOf(bike) : nullptr;
}
