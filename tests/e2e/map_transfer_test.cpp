// The maps through the map sheets and the real serial code: a Read puts the
// unit's maps into the sheets in the image's raw units, and a Program sends
// back every map byte as it was read.

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "UnitSim.h"
#include "image/MapCatalogue.h"
#include "image/MapLoad.h"
#include "image/Normalise.h"
#include "sheet/TabModel.h"
#include "support/CoreOnDevice.h"
#include "support/PtyUnit.h"

namespace {

// A window without widgets: the fifteen sheet models of the catalogue, loaded
// and stored where the window would.
class SheetsView : public RecordingView {
 public:
  SheetsView() {
    for (const SheetControlLayout& layout : SheetControlLayouts()) {
      auto& model = models[Index(layout.id)];
      model = std::make_unique<CTabModel>(layout.options);
      DefineControl(layout.id, *model, [](std::string_view) -> const void* { return nullptr; });
      controls.controls[Index(layout.id)] = model.get();
    }
  }
  void LoadMapSheets() override {
    if (image) ::LoadMapSheets(*image, controls);
  }
  void StoreMapSheets() override {
    if (image) ::StoreMapSheets(controls, *image);
  }
  CSheet& Sheet(SheetControlId id, int sheet = 0) { return models[Index(id)]->Sheet(sheet); }

  ConfigImage* image = nullptr;
  std::array<std::unique_ptr<CTabModel>, kSheetControlCount> models;
  MapControls controls;
};

void SetWord(ConfigImage& im, int word, int v) {
  im[std::size_t(2 * word)] = std::uint8_t(v & 0xFF);
  im[std::size_t(2 * word + 1)] = std::uint8_t((v >> 8) & 0xFF);
}

// The simulator's road tune with distinct values where the spot checks look.
// Offsets restated on purpose.
ConfigImage UnitImage() {
  ConfigImage im = DefaultSimImage();
  im[652] = std::uint8_t(std::int8_t(-7));    // advance (3, 7)
  SetWord(im, 375 + 150 + 15 * 2 + 4, 2345);  // injection map 2 (2, 4)
  SetWord(im, 192, 31);                       // "Inj. IAP" Y points
  SetWord(im, 201, 99);
  im[1950 + 15 * 1 + 3] = 77;  // "Inj. B" (1, 3)
  im[420 + 5] = 70;            // position A (0, 5)
  SetWord(im, 179 + 2, 800);   // lambda voltage 3 (standard sensor: falling)
  SetWord(im, 4, 1300);        // AP sensor value 1
  NormaliseImage(im);          // as a unit holds it after a Program
  return im;
}

class MapTransfer : public ::testing::Test {
 protected:
  MapTransfer() { unit.sim = CUnitSim(Config()); }
  static UnitSimConfig Config() {
    UnitSimConfig c;
    c.image = UnitImage();
    return c;
  }
  void SetUp() override {
    ASSERT_TRUE(unit.pty.Ok());
    ::setenv("VENTRIX_COM2", unit.pty.SlavePath().c_str(), 1);
    core = std::make_unique<CAppCore>(view, std::make_unique<CPosixSerialPort>());
    view.image = &core->image;
    core->textSlots.Apply(0);
    core->OpenPort();
    ASSERT_TRUE(core->Port().IsOpen());
  }
  void TearDown() override { ::unsetenv("VENTRIX_COM2"); }
  bool RunToIdle() {
    for (int i = 0; i < 300; ++i) {
      core->Tick();
      unit.Pump();
      if (core->mode == LinkMode::Idle) return true;
    }
    return false;
  }

  testsupport::PtyUnit unit;
  SheetsView view;
  std::unique_ptr<CAppCore> core;
};

TEST_F(MapTransfer, ReadFillsTheSheetsAndProgramSendsEveryMapByteBack) {
  const ConfigImage read = unit.sim.Image();
  core->StartRead();
  ASSERT_TRUE(RunToIdle());
  ASSERT_EQ(view.messageText, "Verify: OK");

  using Id = SheetControlId;
  struct Spot {
    const char* what;
    std::int32_t actual, expected;
  };
  const Spot spots[] = {
      {"advance (3, 7) is signed byte 652", view.Sheet(Id::kAdvance).Cell(7, 3), -7},
      {"injection 2 (2, 4) is word x 10", view.Sheet(Id::kInjection, 1).Cell(4, 2), 23450},
      {"Inj. IAP first pressure point", view.Sheet(Id::kInjection, 5).yAxis.values[0], 31},
      {"Inj. IAP last pressure point", view.Sheet(Id::kInjection, 5).yAxis.values[9], 99},
      {"Inj. B (1, 3)", view.Sheet(Id::kInjection, 4).Cell(3, 1), 77},
      {"position A (0, 5)", view.Sheet(Id::kPositionA).Cell(5, 0), 70},
      {"lambda voltage 3", view.Sheet(Id::kLambdaSensor).Cell(0, 2), 800},
      {"AP sensor value 1", view.Sheet(Id::kApSensor).Cell(0, 0), 1300},
  };
  for (const Spot& s : spots) EXPECT_EQ(s.actual, s.expected) << s.what;

  core->StartProgram();
  ASSERT_TRUE(RunToIdle());
  EXPECT_EQ(view.messageText, "Program device: OK");
  const ConfigImage programmed = unit.sim.Image();
  for (std::size_t i = 0; i < read.size(); ++i)
    EXPECT_EQ(int(programmed[i]), int(read[i])) << "byte " << i << " changed on its way through the sheets";
}

}  // namespace
