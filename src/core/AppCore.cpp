#include "core/AppCore.h"

#include <algorithm>
#include <cstdio>

#include "link/ReleaseChannel.h"
#include "shell/Lang.h"
#include "shell/UiTexts.h"

CAppCore::CAppCore(IAppView& view, std::unique_ptr<ISerialPort> port) : m_view(view), m_port(std::move(port)) {}

CAppCore::~CAppCore() { ClosePort(); }

int CAppCore::ComNumber() const { return (portIndex == kAutoPortIndex ? autoPortIndex : portIndex) + 1; }

void CAppCore::Tick() {
  ++tickCount;
  ReadPort();
  StepConversation();

  if (messageTicks > 0 && --messageTicks == 0) {
    m_view.SetMessageVisible(false);
    m_view.SetGaugeVisible(false);
    programDone = false;
  }

  WatchConnection();
  m_view.SetVersionVisible(!m_noConnectionShown);
  m_view.RefreshLiveHighlights();
}

// ---------------------------------------------------------------------------
// Conversation

void CAppCore::StepConversation() {
  if (mode == LinkMode::Reading) programDone = false;

  // sendTicks may have been set beyond 6 (a reset request asks for an
  // immediate step), so the step runs on reaching 6 or more.
  if (++sendTicks >= kTicksPerStep) {
    sendTicks = 0;
    switch (mode) {
      case LinkMode::Programming:
        RetryOrFail(kSendLimit, kSlotProgramError);
        break;
      case LinkMode::Verifying:
        RetryOrFail(kSendLimit, kSlotVerifyError);
        break;
      case LinkMode::Reading:
        RetryOrFail(kSendLimit, kSlotReadError);
        break;
      case LinkMode::Releasing:
        if (++retries <= kReleaseSendLimit) {
          SendBlockFrame();
        } else {
          FailRun(std::string(LookupText(1, "Reset error")));
          FinishRelease();
          mode = LinkMode::Idle;
        }
        break;
      case LinkMode::Idle:
        StepIdle();
        break;
    }
  }

  if (mode != LinkMode::Idle) return;
  // While shown, the message label follows the unit's saving progress or
  // keeps the OK of a finished programming run.
  if (live.savingCountdown > 0) {
    m_view.SetMessageColour(clBtnFace);
    m_view.SetMessageText(textSlots[kSlotSaving]);
    messageTicks = kMessageTicks;
    // A countdown above its start value would give a negative bar.
    const int done = std::max(0, kSavingCountdownFull - int(live.savingCountdown));
    m_view.SetGaugePosition(kProgramGaugeMax * done / kSavingCountdownFull);
  } else if (programDone) {
    m_view.SetMessageText(textSlots[kSlotProgramDevice] + " OK");
    m_view.SetGaugePosition(kProgramGaugeMax);
  }
}

void CAppCore::StepIdle() {
  if (changedBlocks != 0) {
    RequestChangedBlock();
  } else if (statusCountdown > 0) {
    --statusCountdown;
    SendStatusFrame();
  } else {
    command = kCmdReadFlag;  // refresh the unit's identity
    SendBlockFrame();
    statusCountdown = kStatusFramesPerIdentity;
  }
}

void CAppCore::RetryOrFail(int limit, int errorSlot) {
  if (++retries <= limit) {
    SendBlockFrame();
    return;
  }
  FailRun(textSlots[errorSlot]);
  if (mode == LinkMode::Verifying) programDone = false;
  mode = LinkMode::Idle;
}

void CAppCore::FailRun(const std::string& text) {
  m_view.SetMessageColour(clRed);
  m_view.SetMessageText(text);
  messageTicks = kMessageTicks;
}

void CAppCore::RequestChangedBlock() {
  if (!portEnabled) return;
  int b = 0;
  for (int n = 1; n <= 16 && b == 0; ++n)
    if (changedBlocks & (1u << (n - 1))) b = n;
  if (b == 0) {
    SendStatusFrame();
    return;
  }
  command = static_cast<std::uint8_t>(b | kCmdReadFlag);
  retries = 1;
  sendTicks = 0;
  SendBlockFrame();
}

// ---------------------------------------------------------------------------
// Connection watchdog

void CAppCore::WatchConnection() {
  if (silenceTicks < kNoConnectionTicks) {
    if (portEnabled) ++silenceTicks;
    m_noConnectionShown = false;
    m_view.SetNoConnectionVisible(false);
    return;
  }
  m_noConnectionShown = true;
  m_view.SetNoConnectionVisible(true);
  // A failed automatic open sets reconnectTicks far past 30 to move on at once.
  if (++reconnectTicks >= kReconnectTicks) {
    reconnectTicks = 0;
    if (portEnabled) {
      ClosePort();
      silentOpen = true;
      autoPortIndex = static_cast<std::uint8_t>((autoPortIndex + 1) % kPortCount);
      OpenPort();
    }
  }
}

// ---------------------------------------------------------------------------
// Port

void CAppCore::OpenPort() {
  if (!portEnabled) return;
  const int com = ComNumber();
  m_view.SetPortLabel(std::string(kPortLabelPrefix) + "COM" + std::to_string(com), m_port->DeviceName(com));

  if (!m_port->Open(com)) {
    if (!silentOpen && portIndex != kAutoPortIndex) m_view.ShowMessageBox(textSlots[kSlotComOpeningError]);
    if (portIndex == kAutoPortIndex) reconnectTicks = 200;
  }
  m_view.CheckPortMenuItem(portIndex);
}

void CAppCore::ClosePort() {
  if (m_port && m_port->IsOpen()) {
    m_port->Purge();
    m_port->Close();
  }
}

void CAppCore::ReleasePort() {
  if (!portEnabled) return;
  portEnabled = false;
  ClosePort();
}

void CAppCore::ReopenPort() {
  if (portEnabled) return;
  portEnabled = true;
  OpenPort();
}

void CAppCore::MenuCom1Click(int itemIndex) {
  if (itemIndex < 0 || itemIndex >= kPortCount) return;
  portIndex = static_cast<std::uint8_t>(itemIndex);
  ClosePort();
  silentOpen = false;
  OpenPort();
}

void CAppCore::ReadPort() {
  if (!portEnabled) return;
  const std::size_t queued = m_port->QueuedBytes();
  if (queued < kFrameSize) return;
  const std::size_t got = m_port->Read(m_receive.data(), std::min(queued, m_receive.size()));
  if (got < kFrameSize) return;
  // Only the first frame is decoded; anything read behind it is dropped.
  const std::span<const std::uint8_t> frame(m_receive.data(), kFrameSize);
  if (frame[0] == kReplyLive)
    OnLiveFrame(frame);
  else
    OnBlockReply(frame);
}

void CAppCore::SendBlockFrame() {
  if (!portEnabled) return;
  sendTicks = 0;
  block = command & kCmdBlockMask;
  const Frame f = BuildBlockFrame(command, image, mode == LinkMode::Reading, mode == LinkMode::Releasing);
  m_port->Write(f.data(), f.size());
}

void CAppCore::SendStatusFrame() {
  if (!portEnabled) return;
  const Frame f = BuildStatusFrame(image, {tuningOn, tachoLambdaSwitch, oneShot});
  oneShot = {};
  m_port->Write(f.data(), f.size());
}

// ---------------------------------------------------------------------------
// Replies

void CAppCore::OnLiveFrame(std::span<const std::uint8_t> frame) {
  if (!FrameIsValid(frame)) return;
  silenceTicks = 0;
  DecodeLiveFrame(frame, live);
  changedBlocks = live.changedBlocks;
  m_view.ShowLiveValues();
}

void CAppCore::OnBlockReply(std::span<const std::uint8_t> frame) {
  if (!FrameIsValid(frame)) return;
  const std::uint8_t b = command & kCmdBlockMask;
  block = b;
  if (b > kMaxBlock || frame[0] != (command ^ kReplyFlag)) return;
  silenceTicks = 0;

  const auto payload = frame.subspan(1, kPayloadSize);
  switch (mode) {
    case LinkMode::Releasing:
      if (b == 0) {
        std::copy(payload.begin(), payload.end(), unitInfo.begin());
        OnReleaseReply();
      }
      break;
    case LinkMode::Idle:
      if (b == 0) std::copy(payload.begin(), payload.end(), unitInfo.begin());
      break;
    default:
      break;
  }
}

void CAppCore::OnReleaseReply() {
  const int version = unitInfo[kUnitInfoVersion];
  const int subversion = unitInfo[kUnitInfoSubversion];
  if (version == kUnitVersion && subversion == kUnitSubversion) {
    FinishRelease();
    mode = LinkMode::Idle;
    return;
  }
  // A unit that does not run the expected program keeps its port: the
  // loader is told nothing and the user sees why.
  mode = LinkMode::Idle;
  char versions[64];
  std::snprintf(versions, sizeof versions, "  PC-%d.%02d, IGN-%d.%02d", kUnitVersion, kUnitSubversion, version,
                subversion);
  const int slot = version != kUnitVersion ? kSlotUnmatchedVersion : kSlotUnmatchedSubversion;
  m_view.ShowMessageBox(textSlots[slot] + versions);
  messageTicks = 0;
}

// ---------------------------------------------------------------------------
// Port release

void CAppCore::FinishRelease() {
  ReleasePort();
  m_view.SetCaption(textSlots[kSlotTitle] + "       " + textSlots[kSlotFileName] + "   " + textSlots[kSlotDisconnected]);
}

void CAppCore::OnPortReleaseMessage(std::uint32_t wParam, std::uint32_t lParam) {
  if (wParam != static_cast<std::uint32_t>(ComNumber() - 1)) return;
  switch (lParam) {
    case kReleasePort:
      mode = LinkMode::Releasing;
      break;
    case kResetAndReleasePort:
      command = 0;
      retries = 0;
      sendTicks = kTicksPerStep;
      mode = LinkMode::Releasing;
      break;
    case kPortFree:
      ReopenPort();
      m_view.ApplyLanguage();
      break;
    default:
      break;
  }
}
