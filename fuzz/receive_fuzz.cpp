// Any byte stream from the unit, cut into pieces at any points, read by the
// window's core tick by tick while it reads, verifies, programs, releases the
// port or idles: frame checking and dispatch in every link mode.
//
// The input is a script of steps; each starts with a byte whose low two bits
// say what it is:
//   0  raw bytes: a length byte, then that many bytes queued on the port;
//   1  a frame: a length byte, then up to 151 bytes (code and payload, zeros
//      after); bit 2 makes the code the reply the core waits for, bit 3 a
//      live-data code, bit 6 gives it the payload a willing unit answers
//      with; bit 4 leaves the check byte as it came, otherwise it is sealed;
//      bit 5 queues it in two pieces with ticks between, cut where the next
//      byte says;
//   2  1..16 ticks;
//   3  a command of the window (Read, Verify, Program, a port-release
//      message, Undo, Redo, another port, ...), with its argument byte.
// Random bytes rarely make a frame that passes the check, so the flags let
// the fuzzer get deep into the runs; the raw steps cover every other stream.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "FuzzCheck.h"
#include "core/AppCore.h"
#include "image/BikeDefaults.h"
#include "image/BikeTypes.h"
#include "image/FieldCatalogue.h"
#include "link/ReleaseChannel.h"
#include "base/Lang.h"
#include "support/FakePort.h"
#include "support/RecordingView.h"

namespace {

// Enough for every run to finish or fail many times over, few enough that
// one input stays quick.
constexpr int kMaxTicks = 4000;

// The start bike's defaults, made once: they take longer than most inputs.
const ConfigImage& StartImage() {
  static const ConfigImage image = [] {
    ConfigImage defaults{};
    CParamSet params;
    defaults[ElementOffset(FieldId::kBike)] = kStartBikeType;
    ApplyBikeDefaults(defaults, params, kWholeImage);
    return defaults;
  }();
  return image;
}

class Script {
 public:
  explicit Script(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
  bool Done() const { return m_at >= m_bytes.size(); }
  std::uint8_t Byte() { return Done() ? 0 : m_bytes[m_at++]; }
  std::span<const std::uint8_t> Take(std::size_t n) {
    n = std::min(n, m_bytes.size() - m_at);
    const auto taken = m_bytes.subspan(m_at, n);
    m_at += n;
    return taken;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_at = 0;
};

struct Rig {
  RecordingView view;
  FakePort* port = nullptr;
  std::unique_ptr<CAppCore> core;
  std::size_t framesChecked = 0;
  int ticks = 0;

  Rig() {
    auto owned = std::make_unique<FakePort>();
    port = owned.get();
    core = std::make_unique<CAppCore>(view, std::move(owned));
    // As the window starts: the start bike's defaults, the port, a history.
    SetCurrentLanguage(kEnglish);
    core->image = StartImage();
    core->NormaliseAndLoad();
    core->OpenPort();
    core->ResetHistory();
  }

  void Tick() {
    if (ticks >= kMaxTicks) return;
    ++ticks;
    core->Tick();
    Check();
  }

  void Check() {
    const CAppCore& c = *core;
    FUZZ_CHECK(c.mode == LinkMode::Idle || c.mode == LinkMode::Programming || c.mode == LinkMode::Verifying ||
               c.mode == LinkMode::Reading || c.mode == LinkMode::Releasing);
    FUZZ_CHECK(c.imageMatchesUnit == 0 || c.imageMatchesUnit == 1);
    FUZZ_CHECK(c.bootRecordValid == 0 || c.bootRecordValid == 1);
    FUZZ_CHECK(view.gauge >= 0 && view.gauge <= kProgramGaugeMax);
    // A run fails once its sends run out. (A release request keeps the count
    // it finds, so in Releasing and Idle it may be past any limit.)
    const bool run = c.mode == LinkMode::Reading || c.mode == LinkMode::Verifying || c.mode == LinkMode::Programming;
    FUZZ_CHECK(!run || c.retries <= kSendLimit);
    // Whatever came in, what goes out is a whole frame the unit accepts.
    for (; framesChecked < port->written.size(); ++framesChecked)
      FUZZ_CHECK(FrameIsValid(port->written[framesChecked]));
  }

  void Queue(std::span<const std::uint8_t> bytes) {
    port->incoming.insert(port->incoming.end(), bytes.begin(), bytes.end());
  }

  void Frame(std::uint8_t how, Script& script) {
    ::Frame f{};
    const auto given = script.Take(script.Byte());
    std::copy_n(given.begin(), std::min(given.size(), kCheckByteIndex), f.begin());
    const std::uint8_t command = core->command;
    const int b = command & kCmdBlockMask;
    if (how & 0x04)
      f[0] = command ^ kReplyFlag;
    else if (how & 0x08)
      f[0] = kReplyLive;
    if (how & 0x40) {
      if (b == 0) {
        f[1 + kUnitInfoVersion] = kUnitVersion;
        f[1 + kUnitInfoSubversion] = kUnitSubversion;
      } else if (b <= kMaxBlock) {
        std::copy_n(core->image.begin() + static_cast<std::ptrdiff_t>(BlockOffset(b)), kBlockSize, f.begin() + 1);
      }
    }
    if (!(how & 0x10)) SealFrame(f);
    if (how & 0x20) {
      const std::size_t cut = script.Byte() % kFrameSize;
      Queue(std::span(f).first(cut));
      Tick();
      Queue(std::span(f).subspan(cut));
    } else {
      Queue(f);
    }
  }

  void Command(std::uint8_t which, std::uint8_t arg) {
    CAppCore& c = *core;
    // A release request arrives as the socket delivers it: as text.
    auto release = [&](std::uint32_t code) {
      const auto request = ParseReleaseMessage(FormatReleaseMessage({static_cast<std::uint32_t>(arg % 4), code}));
      FUZZ_CHECK(request.has_value());
      c.OnPortReleaseMessage(request->port, request->code);
    };
    switch (which % 14) {
      case 0:
        c.StartRead();
        break;
      case 1:
        c.StartVerify();
        break;
      case 2:
        c.StartProgram();
        break;
      case 3:
        c.dirtyBlocks[arg % kBlockCount] = true;
        c.ProgramDirtyBlocks();
        break;
      case 4:
        release(kReleasePort);
        break;
      case 5:
        release(kResetAndReleasePort);
        break;
      case 6:
        release(kPortFree);
        break;
      case 7:
        c.Undo();
        break;
      case 8:
        c.Redo();
        break;
      case 9:
        c.MenuCom1Click(arg % (kPortCount + 1));
        break;
      case 10:
        // An edit of the page: one byte of the image changes and is committed.
        c.image[static_cast<std::size_t>(arg) * kImageSize / 256] ^= 1;
        c.RecordAndProgram();
        break;
      case 11:
        c.programAfterChange = !c.programAfterChange;
        break;
      case 12:
        c.MenuLadeniOnClick();
        break;
      default:
        c.ButtonTestClick(arg % 2 ? "ButtonTestIgn1" : "ButtonTestFuelPump");
        break;
    }
    Check();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Rig rig;
  Script script({data, size});
  while (!script.Done() && rig.ticks < kMaxTicks) {
    const std::uint8_t step = script.Byte();
    switch (step & 3) {
      case 0:
        rig.Queue(script.Take(script.Byte()));
        break;
      case 1:
        rig.Frame(step, script);
        break;
      case 2:
        for (int i = 0; i <= (step >> 2) % 16; ++i) rig.Tick();
        break;
      default: {
        const std::uint8_t arg = script.Byte();
        rig.Command(step >> 2, arg);
      }
    }
  }
  // What is left in the port is read as well.
  for (int i = 0; i < 2 * kTicksPerStep; ++i) rig.Tick();
  return 0;
}
