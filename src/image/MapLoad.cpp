#include "image/MapLoad.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "image/FieldCatalogue.h"
#include "image/MapStorage.h"
#include "sheet/TabModel.h"

namespace {

using Id = SheetControlId;

// The maps held whole by a sheet.
struct MapSheet {
  Id control;
  int sheet;
  MapId map;
};
constexpr MapSheet kMapSheets[] = {
    {Id::kAdvance, 0, MapId::kAdvance},
    {Id::kInjection, 0, MapId::kInjection1},
    {Id::kInjection, 1, MapId::kInjection2},
    {Id::kInjection, 2, MapId::kInjection3},
    {Id::kInjection, 3, MapId::kInjection4},
    {Id::kInjection, kInjectionBSheet, MapId::kInjectionB},
    {Id::kInjection, kInjectionIapSheet, MapId::kInjectionIap},
    {Id::kServo, kIntakeServoSheet, MapId::kServoIntake},
    {Id::kServo, kExhaustServoSheet, MapId::kServoExhaust},
    {Id::kDesiredAfr, 0, MapId::kDesiredAfr},
};

// One-row maps stored as two byte fields, with the control's position reference.
struct PositionSheet {
  Id control;
  FieldId axis;
  FieldId values;
  FieldId reference;
};
constexpr PositionSheet kPositionSheets[] = {
    {Id::kPositionA, FieldId::kPositionAAxis, FieldId::kPositionA, FieldId::kPositionARef},
    {Id::kPositionB, FieldId::kPositionBAxis, FieldId::kPositionB, FieldId::kPositionBRef},
};

struct ServoFlags {
  int sheet;
  FieldId enable;
  FieldId percent;
  FieldId axes;
};
constexpr ServoFlags kServoFlags[] = {
    {kIntakeServoSheet, FieldId::kInServoEnable, FieldId::kInServoPercent, FieldId::kInServoAxes},
    {kExhaustServoSheet, FieldId::kExServoEnable, FieldId::kExServoPercent, FieldId::kExServoAxes},
};

// Elements of a field along a column of cells or along the Y points of sheet
// 0: sheet value = raw + the field's shown offset.
struct SmallBinding {
  Id control;
  int part;  // kPartY or kPartData
  int column;
  int firstRow;
  FieldId field;
  int firstElement;
  int count;
  int stride;
};
// clang-format off
constexpr SmallBinding kSmallBindings[] = {
  {Id::kInjectionTempCorrection, kPartData, 0, 0, FieldId::kInjectionCorrCoolant, 0, 5, 1},
  {Id::kInjectionTempCorrection, kPartData, 1, 0, FieldId::kInjectionCorrAir,     0, 5, 1},
  {Id::kAdvanceTempCorrection,   kPartData, 0, 0, FieldId::kAdvanceCorrCoolant,   0, 5, 1},
  {Id::kStartingCorrection,      kPartY,    0, 1, FieldId::kStartCorrectionTimes, 0, 4, 1},
  {Id::kStartingCorrection,      kPartData, 0, 0, FieldId::kStartCorrections,     0, 4, 1},
  {Id::kTemperatureSensors,      kPartData, 0, 0, FieldId::kCoolantSensor,        0, 9, 1},
  {Id::kTemperatureSensors,      kPartData, 1, 0, FieldId::kAirSensor,            0, 9, 1},
  {Id::kLambdaSensor,            kPartY,    0, 0, FieldId::kLambdaAfrPoints,      0, 5, 1},
  {Id::kLambdaSensor,            kPartData, 0, 0, FieldId::kLambdaVoltages,       0, 5, 1},
  {Id::kApSensor,                kPartY,    0, 0, FieldId::kApsPoint1Pressure,    0, 1, 1},
  {Id::kApSensor,                kPartY,    0, 1, FieldId::kApsPoint2Pressure,    0, 1, 1},
  {Id::kApSensor,                kPartData, 0, 0, FieldId::kApsPoint1Voltage,     0, 1, 1},
  {Id::kApSensor,                kPartData, 0, 1, FieldId::kApsPoint2Voltage,     0, 1, 1},
  {Id::kIapSensor,               kPartY,    0, 0, FieldId::kIapsSensor,           0, 2, 2},
  {Id::kIapSensor,               kPartData, 0, 0, FieldId::kIapsSensor,           1, 2, 2},
};
// clang-format on

// The starting correction starts at time 0 and ends at 100 %.
constexpr int kStartLastRow = 4;
constexpr std::int32_t kStartLastCorrection = 100;

std::int64_t WidthMin(FieldWidth w) {
  switch (w) {
    case FieldWidth::kSignedByte:
      return std::numeric_limits<std::int8_t>::min();
    case FieldWidth::kSignedWord:
      return std::numeric_limits<std::int16_t>::min();
    default:
      return 0;
  }
}
std::int64_t WidthMax(FieldWidth w) {
  switch (w) {
    case FieldWidth::kByte:
      return std::numeric_limits<std::uint8_t>::max();
    case FieldWidth::kSignedByte:
      return std::numeric_limits<std::int8_t>::max();
    case FieldWidth::kWord:
      return std::numeric_limits<std::uint16_t>::max();
    case FieldWidth::kSignedWord:
      return std::numeric_limits<std::int16_t>::max();
  }
  return 0;
}

// Out-of-range values take the nearest value the field allows; cutting them to
// their low bits would hand the unit an unrelated number (600 s as 88 s).
void WriteSaturated(ConfigImage& image, std::size_t offset, FieldWidth w, std::int64_t v, std::int32_t lo = kNoBound,
                    std::int32_t hi = kNoBound) {
  std::int64_t low = WidthMin(w), high = WidthMax(w);
  if (lo != kNoBound) low = std::max<std::int64_t>(low, lo);
  if (hi != kNoBound) high = std::min<std::int64_t>(high, hi);
  WriteRaw(image, offset, w, std::clamp(v, low, std::max(low, high)));
}

void WriteField(ConfigImage& image, FieldId id, int index, std::int64_t raw) {
  const FieldInfo& f = Field(id);
  WriteSaturated(image, ElementOffset(f, index), f.width, raw, f.limit.min, f.limit.max);
}

std::int32_t RoundHalfAway(double v) { return static_cast<std::int32_t>(std::lround(v)); }

std::size_t At(int i) { return static_cast<std::size_t>(i); }

// A flag byte keeps its stored non-zero value while the sheet leaves it on.
std::uint8_t FlagByte(std::uint8_t stored, bool on) { return on ? (stored ? stored : 1) : 0; }

int CylindersInUse(const ConfigImage& image) { return std::clamp(ReadRaw(image, FieldId::kCylinderCount), 1, 4); }

const IdleCurveUnit& IdleUnitOf(const ConfigImage& image) {
  return IdleCurveFor(ReadRaw(image, FieldId::kBike), ReadRaw(image, FieldId::kIdleType),
                      ReadRaw(image, FieldId::kInServoPercent));
}

// ---- load ----

void LoadGridSheet(CTabModel& model, int sheet, const MapGrid& grid) {
  CSheet& s = model.Sheet(sheet);
  s.xAxis.collapsed = 0;
  model.LoadSheet(sheet, grid);
}

void LoadMaps(const ConfigImage& image, Id control, CTabModel& model, const MapLoadOptions& options) {
  std::array<int, kMaxSheets> remembered{};
  for (int s = 0; s < model.SheetCount(); ++s) remembered[At(s)] = model.Sheet(s).xAxis.count;
  MapGrid grid;
  for (const MapSheet& m : kMapSheets) {
    if (m.control != control || !model.ValidSheet(m.sheet)) continue;
    CSheet& s = model.Sheet(m.sheet);
    if (control == Id::kServo) {
      for (const ServoFlags& f : kServoFlags)
        if (f.sheet == m.sheet) ApplyServoDataUnit(s, ReadRaw(image, f.percent));
    }
    LoadMap(image, m.map, grid);
    LoadGridSheet(model, m.sheet, grid);
  }
  if (control == Id::kAdvance && model.ValidSheet(0))
    model.Sheet(0).yAxis.collapsed = ReadRaw(image, FieldId::kAdvanceUsesThrottle) == 0 ? 1 : 0;
  if (control == Id::kServo) {
    for (const ServoFlags& f : kServoFlags) {
      if (!model.ValidSheet(f.sheet)) continue;
      CSheet& s = model.Sheet(f.sheet);
      s.enabled = ReadRaw(image, f.enable) != 0 ? 1 : 0;
      const int axes = ReadRaw(image, f.axes);  // above 2 reads as 0
      s.xAxis.collapsed = axes == 2 ? 1 : 0;
      s.yAxis.collapsed = axes == 1 ? 1 : 0;
    }
  }
  if (control != Id::kDesiredAfr && options.changedControl == control) {
    const int cylinders = CylindersInUse(image);
    for (const MapSheet& m : kMapSheets) {
      if (m.control != control || !model.ValidSheet(m.sheet)) continue;
      // Injection maps of cylinders not in use show all their columns again.
      if (control == Id::kInjection && m.sheet < kInjectionBSheet && m.sheet >= cylinders) continue;
      CAxe& x = model.Sheet(m.sheet).xAxis;
      x.count = std::clamp(remembered[At(m.sheet)], x.minCount, x.maxCount);
    }
  }
  for (int s = 0; s < model.SheetCount(); ++s) model.Sheet(s).UpdateFixedIndices();
  if (control == Id::kInjection && options.afterInjectionLoad) options.afterInjectionLoad(model);
}

void LoadPositions(const ConfigImage& image, const PositionSheet& p, CTabModel& model) {
  if (!model.ValidSheet(0)) return;
  const FieldInfo& axis = Field(p.axis);
  MapGrid grid;
  grid.Resize(1, axis.count);
  grid.rowAxis[0] = model.Sheet(0).yAxis.values[0];
  for (int c = 0; c < axis.count; ++c) {
    grid.columnAxis[At(c)] = ReadRaw(image, p.axis, c);
    grid.At(0, c) = ReadRaw(image, p.values, c);
  }
  LoadGridSheet(model, 0, grid);
  model.Sheet(0).yAxis.collapsed = 1;
  model.Sheet(0).UpdateFixedIndices();
  model.SetPositionReference(std::clamp(ReadRaw(image, p.reference), 0, 2));
}

void LoadSmallSheet(const ConfigImage& image, Id control, CTabModel& model) {
  if (!model.ValidSheet(0)) return;
  SetFixedAxisValues(control, model);
  CSheet& s = model.Sheet(0);
  for (const SmallBinding& b : kSmallBindings) {
    if (b.control != control) continue;
    const FieldInfo& f = Field(b.field);
    for (int i = 0; i < b.count; ++i) {
      const std::int32_t v = ReadRaw(image, b.field, b.firstElement + i * b.stride) + f.shownOffset;
      const int row = b.firstRow + i;
      if (b.part == kPartY)
        s.yAxis.values[At(row)] = v;
      else
        s.Cell(b.column, row) = v;
    }
  }
  if (control == Id::kStartingCorrection) {
    s.yAxis.values[0] = 0;
    s.Cell(0, kStartLastRow) = kStartLastCorrection;
  }
  if (control == Id::kIdlePosition) {
    const IdleCurveUnit& unit = IdleUnitOf(image);
    ApplyIdleCurveUnit(model, unit);
    const FieldInfo& f = Field(FieldId::kIdlePosition);
    for (int r = 0; r < f.count; ++r)
      s.Cell(0, r) = RoundHalfAway(static_cast<double>(ReadRaw(image, FieldId::kIdlePosition, r)) / unit.divisor);
  }
  if (control == Id::kIdleSpeed) {
    const FieldInfo& f = Field(FieldId::kIdleDesiredRpm);
    for (int r = 0; r < f.count; ++r)
      s.Cell(0, r) = RoundHalfAway(ReadRaw(image, FieldId::kIdleDesiredRpm, r) * 50.0 / s.dataAxis.scale);
  }
  model.ApplyAxisRules(0, kPartAll | kPartResetElastic);
  model.RequestRedraw(kRedraw | kRelayout);
}

// ---- store ----

void StoreMapSheet(const CSheet& s, MapId id, ConfigImage& image) {
  const MapLayout& m = Map(id);
  const auto& cells = s.PercentCapable() ? s.absolute : s.dataAxis.values;
  const int columns = std::clamp(s.xAxis.count, 1, static_cast<int>(m.columns));
  const int rows = std::clamp(s.yAxis.count, 1, static_cast<int>(m.rows));
  for (int c = 0; c < m.columns; ++c)
    WriteSaturated(image, m.axisOffset + At(c), FieldWidth::kByte, s.xAxis.values[At(c)], m.axisMin, m.axisMax);
  if (m.fixedRows.empty())
    for (int r = 0; r < m.rows; ++r) WriteField(image, m.rowField, r, s.yAxis.values[At(r)]);
  for (int r = 0; r < m.rows; ++r)
    for (int c = 0; c < m.columns; ++c) {
      const std::int64_t v = cells[At(std::min(r, rows - 1) * kCellStride + std::min(c, columns - 1))];
      WriteSaturated(image, MapValueOffset(m, r, c), m.valueWidth, v / m.sheetFactor, m.valueMin, m.valueMax);
    }
}

void StoreMaps(Id control, const CTabModel& model, ConfigImage& image) {
  for (const MapSheet& m : kMapSheets)
    if (m.control == control && model.ValidSheet(m.sheet)) StoreMapSheet(model.Sheet(m.sheet), m.map, image);
  if (control == Id::kAdvance && model.ValidSheet(0)) {
    const std::size_t at = ElementOffset(FieldId::kAdvanceUsesThrottle);
    image[at] = FlagByte(image[at], model.Sheet(0).yAxis.collapsed == 0);
  }
  if (control == Id::kServo) {
    for (const ServoFlags& f : kServoFlags) {
      if (!model.ValidSheet(f.sheet)) continue;
      const CSheet& s = model.Sheet(f.sheet);
      const std::size_t at = ElementOffset(f.enable);
      image[at] = FlagByte(image[at], s.enabled != 0);
      WriteField(image, f.axes, 0, s.xAxis.collapsed ? 2 : (s.yAxis.collapsed ? 1 : 0));
    }
  }
}

void StorePositions(const PositionSheet& p, const CTabModel& model, ConfigImage& image) {
  if (!model.ValidSheet(0)) return;
  const CSheet& s = model.Sheet(0);
  const int count = Field(p.axis).count;
  const int columns = std::clamp(s.xAxis.count, 1, count);
  for (int c = 0; c < count; ++c) {
    WriteField(image, p.axis, c, s.xAxis.values[At(c)]);
    WriteField(image, p.values, c, s.Cell(std::min(c, columns - 1), s.FirstUsedRow()));
  }
  WriteField(image, p.reference, 0, model.PositionReference());
}

void StoreSmallSheet(Id control, const CTabModel& model, ConfigImage& image) {
  if (!model.ValidSheet(0)) return;
  const CSheet& s = model.Sheet(0);
  for (const SmallBinding& b : kSmallBindings) {
    if (b.control != control) continue;
    const FieldInfo& f = Field(b.field);
    for (int i = 0; i < b.count; ++i) {
      const int row = b.firstRow + i;
      const std::int32_t v = b.part == kPartY ? s.yAxis.values[At(row)] : s.Cell(b.column, row);
      WriteField(image, b.field, b.firstElement + i * b.stride, static_cast<std::int64_t>(v) - f.shownOffset);
    }
  }
  if (control == Id::kIdlePosition) {
    const IdleCurveUnit& unit = IdleUnitOf(image);
    for (int r = 0; r < Field(FieldId::kIdlePosition).count; ++r)
      WriteField(image, FieldId::kIdlePosition, r, std::llround(static_cast<double>(s.Cell(0, r)) * unit.divisor));
  }
  if (control == Id::kIdleSpeed) {
    for (int r = 0; r < Field(FieldId::kIdleDesiredRpm).count; ++r)
      WriteField(image, FieldId::kIdleDesiredRpm, r, std::llround(s.Cell(0, r) * s.dataAxis.scale * 0.02));
  }
}

bool HoldsMaps(Id control) {
  return std::any_of(std::begin(kMapSheets), std::end(kMapSheets),
                     [control](const MapSheet& m) { return m.control == control; });
}
const PositionSheet* PositionsOf(Id control) {
  for (const PositionSheet& p : kPositionSheets)
    if (p.control == control) return &p;
  return nullptr;
}

}  // namespace

void LoadMapSheets(const ConfigImage& image, MapControls& controls, const MapLoadOptions& options) {
  for (const SheetControlLayout& layout : SheetControlLayouts()) {
    CTabModel* model = controls[layout.id];
    if (!model) continue;
    if (HoldsMaps(layout.id)) {
      SetFixedAxisValues(layout.id, *model);
      LoadMaps(image, layout.id, *model, options);
    } else if (const PositionSheet* p = PositionsOf(layout.id)) {
      LoadPositions(image, *p, *model);
    } else {
      LoadSmallSheet(image, layout.id, *model);
    }
    model->RequestRedraw(kRedraw | kRelayout);
    model->TakeMarkerValues();
  }
}

void StoreMapSheets(const MapControls& controls, ConfigImage& image) {
  for (const SheetControlLayout& layout : SheetControlLayouts()) {
    const CTabModel* model = controls[layout.id];
    if (!model) continue;
    if (HoldsMaps(layout.id))
      StoreMaps(layout.id, *model, image);
    else if (const PositionSheet* p = PositionsOf(layout.id))
      StorePositions(*p, *model, image);
    else
      StoreSmallSheet(layout.id, *model, image);
  }
}
