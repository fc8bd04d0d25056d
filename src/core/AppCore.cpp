#include "core/AppCore.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>

#include "base/Codepage.h"
#include "image/BikeDefaults.h"
#include "image/Normalise.h"
#include "link/ReleaseChannel.h"
#include "link/TestButtons.h"
#include "base/Lang.h"
#include "base/UiTexts.h"

CAppCore::CAppCore(IAppView& view, std::unique_ptr<ISerialPort> port) : m_view(view), m_port(std::move(port)) {}

CAppCore::~CAppCore() { ClosePort(); }

int CAppCore::ComNumber() const { return (portIndex == kAutoPortIndex ? autoPortIndex : portIndex) + 1; }

void CAppCore::Tick() {
  ++tickCount;
  if (monitorOpenRequest) {
    monitorOpenRequest = false;
    m_view.OpenExternalMonitor();
  }
  m_view.TickSheets();
  if (pendingCommit.Due(tickCount)) CommitRequest(pendingCommit.Control(), 0);
  if (playbackActive) {
    // The log stands in for the unit: no port, no conversation.
    playback.Tick([this](const Frame& f) { OnLiveFrame(f); });
  } else {
    ReadPort();
    StepConversation();
  }

  if (messageTicks > 0 && --messageTicks == 0) {
    m_view.SetMessageVisible(false);
    m_view.SetGaugeVisible(false);
    programDone = false;
  }

  WatchConnection();
  TickRecording();
  m_view.SetVersionVisible(!m_noConnectionShown);
  if (monitorCatalogue.SetConnected(!m_noConnectionShown)) m_view.MonitorValuesChanged();
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
          if (retries > 1) ++linkStats.retries;
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
    // The first send of a block counts 1 (Start... clears it): only the later ones are repeats.
    if (retries > 1) ++linkStats.retries;
    SendBlockFrame();
    return;
  }
  FailRun(textSlots[errorSlot]);
  if (mode == LinkMode::Verifying) programDone = false;
  // The blocks read so far stay in the image, as one step of the history:
  // a single Undo brings back the whole image from before the Read.
  if (mode == LinkMode::Reading) TakeReadBlocks();
  // Whatever the run got to, image and unit are not known to be equal; the
  // blocks not yet written stay dirty.
  imageMatchesUnit = 0;
  mode = LinkMode::Idle;
}

void CAppCore::FailRun(const std::string& text) {
  RecordLinkError(LinkError::kRunFailed);
  m_view.SetMessageColour(clRed);
  m_view.SetMessageText(text);
  messageTicks = kMessageTicks;
}

void CAppCore::RequestChangedBlock() {
  if (!portEnabled) return;
  const auto changed = [this](int blockNumber) { return (changedBlocks >> (blockNumber - 1)) & 1u; };
  int b = 0;
  // The map the user is looking at comes first.
  const int page = m_view.ActivePageIndex();
  if (page == kPageAdvance && changed(5)) b = 5;
  if (page == kPageInjection) {
    // Blocks of the injection maps 1..4, B (no map on the unit side) and IAP.
    constexpr std::pair<int, int> kMapBlocks[] = {{6, 7}, {8, 9}, {10, 11}, {12, 13}, {0, 0}, {15, 16}};
    const int map = m_view.ShownMap(kPageInjection);
    if (map >= 0 && map < int(std::size(kMapBlocks))) {
      const auto [first, second] = kMapBlocks[map];
      if (first && changed(first))
        b = first;
      else if (second && changed(second))
        b = second;
    }
  }
  for (int n = 1; n <= 16 && b == 0; ++n)
    if (changed(n)) b = n;
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
  m_view.SetNoConnectionVisible(!printMode);
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
    RecordLinkError(LinkError::kPortNotOpened);
    if (!silentOpen && portIndex != kAutoPortIndex) {
      // The reason goes on a second line: what failed and what to do about it.
      const std::string reason = OpenFailureText(m_port->LastOpenFailure(), com, CurrentLanguage());
      m_view.ShowMessageBox(textSlots[kSlotComOpeningError] + (reason.empty() ? "" : "\n" + reason));
    }
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
  // Test requests still waiting would drive the outputs whenever the loader
  // gives the port back, long after the click.
  oneShot = {};
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
  // The unit answered, well or spoilt: either way the frame sent did not go
  // unanswered, and each exchange ends in one outcome only.
  ++linkStats.framesReceived;
  linkStats.awaitingAnswer = false;
  if (!FrameIsValid(frame)) {
    ++linkStats.checkByteFailures;
    RecordLinkError(LinkError::kCheckByte);
  }
  if (frame[0] == kReplyLive)
    OnLiveFrame(frame);
  else
    OnBlockReply(frame);
}

void CAppCore::SendBlockFrame() {
  if (!portEnabled) return;
  m_idleRequestSent = mode == LinkMode::Idle;
  sendTicks = 0;
  block = command & kCmdBlockMask;
  const Frame f = BuildBlockFrame(command, image, mode == LinkMode::Reading, mode == LinkMode::Releasing);
  WriteFrame(f.data(), f.size());
}

void CAppCore::SendStatusFrame() {
  if (!portEnabled) return;
  const Frame f = BuildStatusFrame(image, {tuningOn, oneShot});
  oneShot = {};
  WriteFrame(f.data(), f.size());
}

void CAppCore::WriteFrame(const std::uint8_t* data, std::size_t size) {
  // A closed port sends nothing; its open failure is already recorded.
  if (!m_port->IsOpen()) {
    m_port->Write(data, size);
    return;
  }
  if (linkStats.awaitingAnswer) {
    ++linkStats.timeouts;
    RecordLinkError(LinkError::kNoAnswer);
  }
  if (m_port->Write(data, size) == size) {
    ++linkStats.framesSent;
    linkStats.awaitingAnswer = true;
  } else {
    linkStats.awaitingAnswer = false;
    RecordLinkError(LinkError::kWriteFailed);
  }
}

void CAppCore::ButtonTestClick(std::string_view name) {
  // While the port is handed to a loader there is no unit to test.
  if (!portEnabled) return;
  ::ButtonTestClick(oneShot, name);
}

// ---------------------------------------------------------------------------
// Link commands

void CAppCore::ShowProgress(const std::string& text) {
  m_view.SetMessageColour(clBtnFace);
  m_view.SetMessageText(text);
  messageTicks = kMessageTicks;
  m_view.SetMessageVisible(true);
}

void CAppCore::ShowPrintStamp(const std::string& dateTime) {
  m_view.SetMessageText(textSlots[kSlotPrintDate] + dateTime);
  m_view.SetMessageColour(clWhite);
  m_view.SetMessageVisible(true);
  m_view.SetNoConnectionVisible(false);
  messageTicks = kMessageTicks;
  m_view.SetGaugeVisible(false);
}

void CAppCore::SetFileNameAndCaption(std::string name) {
  textSlots.SetFileName(std::move(name));
  m_view.SetCaption(textSlots.WindowCaption());
}

void CAppCore::StartRead() {
  // A log stands in for the unit during playback: there is nothing to read.
  if (playbackActive) return;
  // A change still waiting for its commit is the user's: it goes into the
  // image (and the history) before the unit's image replaces it.
  FlushPendingCommit();
  mode = LinkMode::Reading;
  command = kCmdReadFlag;
  retries = 0;
  ShowProgress(textSlots[kSlotRead]);
  m_view.SetGaugePosition(0);
  m_view.SetGaugeVisible(true);
  // What the program holds will be the unit's, not the file's.
  SetFileNameAndCaption("");
  programDone = false;
}

void CAppCore::StartVerify() {
  if (playbackActive) return;
  FlushPendingCommit();
  m_view.ReadActivePage();
  StoreAll();
  NormaliseAndLoad();
  mode = LinkMode::Verifying;
  command = kCmdReadFlag | 1;
  retries = 0;
  ShowProgress(textSlots[kSlotVerify]);
  programDone = false;
  m_view.SetGaugePosition(0);
  m_view.SetGaugeVisible(true);
}

void CAppCore::StartProgram() {
  if (playbackActive) return;
  FlushPendingCommit();
  m_view.ReadActivePage();
  StoreAll();
  NormaliseAndLoad();
  verifyAfterProgram = true;
  dirtyBlocks.fill(true);
  ProgramDirtyBlocks();
}

void CAppCore::ProgramDirtyBlocks() {
  // Edits made while a log plays stay dirty until the unit is back.
  if (playbackActive) return;
  const int first = LowestDirtyBlock();
  if (first < 0) return;
  command = static_cast<std::uint8_t>(first);
  retries = 0;
  m_view.SetGaugePosition(first);
  mode = LinkMode::Programming;
  ShowProgress(textSlots[kSlotProgramDevice]);
  m_view.SetGaugeVisible(true);
  programDone = false;
}

int CAppCore::LowestDirtyBlock() const {
  const auto it = std::find(dirtyBlocks.begin(), dirtyBlocks.end(), true);
  return it == dirtyBlocks.end() ? -1 : int(it - dirtyBlocks.begin());
}

void CAppCore::StoreAll() {
  StoreParameterSet(params, image);
  // The map sheets own the maps: they go in after the parameter set's grids.
  m_view.StoreMapSheets();
}

void CAppCore::NormaliseAndLoad() {
  int language = CurrentLanguage();
  NormaliseImage(image, {&language, &portIndex, &autoPortIndex});
  SetCurrentLanguage(language);
  LoadParameterSet(image, params);
  m_view.LoadMapSheets();
}

void CAppCore::ReloadWindow() {
  reloadGuard = true;
  NormaliseAndLoad();
  m_view.WriteAllPages();
  reloadGuard = false;
}

// ---------------------------------------------------------------------------
// Commits of the parameter pages

void CAppCore::CommitRequest(int control, int key) {
  if (pendingCommit.Request(control, key, tickCount)) CommitSequence();
}

void CAppCore::FlushPendingCommit() {
  if (pendingCommit.Pending()) CommitRequest(pendingCommit.Control(), 0);
}

void CAppCore::CommitSequence() {
  // A Read fills the image block by block: the pages' older values must not
  // go into it half way. The pages are rewritten from the unit's image when
  // the Read ends.
  if (mode == LinkMode::Reading) return;
  m_view.ReadActivePage();
  StoreAll();
  // Sheets reloaded by the load must not start another store.
  reloadGuard = true;
  NormaliseAndLoad();
  reloadGuard = false;
  m_view.WriteActivePage();
  RecordAndProgram();
}

// ---------------------------------------------------------------------------
// Default configuration

void CAppCore::ApplyDefaults() {
  DefaultsScope scope = kWholeImage;
  if (actualPage) {
    scope.wholeImage = false;
    scope.page = m_view.ActivePageIndex();
    scope.shownMap = m_view.ShownMap(scope.page);
  }
  ApplyBikeDefaults(image, params, scope);
}

bool CAppCore::NewConfiguration(bool forActivePage) {
  // A run reads from or writes to the image block by block.
  if (mode != LinkMode::Idle) return false;
  if (!forActivePage) FlushPendingCommit();
  actualPage = forActivePage;
  ApplyDefaults();
  m_view.SetMessageVisible(false);
  m_view.SetGaugeVisible(false);
  SetFileNameAndCaption("");
  ReloadWindow();
  // A step of its own, so that Undo brings back the configuration before
  // it; programmed after change like any edit.
  RecordAndProgram();
  return true;
}

// ---------------------------------------------------------------------------
// Edit history

void CAppCore::ResetHistory() { history.Reset(image, m_view.ActivePageIndex()); }

void CAppCore::RecordHistory() {
  if (history.RecordChange(image, m_view.ActivePageIndex(), dirtyBlocks)) imageMatchesUnit = 0;
}

void CAppCore::RecordReceived(const ConfigImage& received) {
  // The unit holds what it sent: writing it back could overwrite tuning the
  // unit did since. Only what the program changed afterwards is dirty.
  DirtyBlocks unitHolds{};
  if (history.RecordChange(image, m_view.ActivePageIndex(), unitHolds)) imageMatchesUnit = 0;
  MarkChangedBlocks(received, image, dirtyBlocks);
}

void CAppCore::RecordAndProgram() {
  if (m_stepDepth > 0) {
    m_stepRecordDue = true;
    return;
  }
  RecordHistory();
  if (programAfterChange && history.Changed()) ProgramAfterChange();
}

void CAppCore::EndStep() {
  if (--m_stepDepth > 0 || !m_stepRecordDue) return;
  m_stepRecordDue = false;
  RecordAndProgram();
}

void CAppCore::ProgramAfterChange() {
  // Starting now would hijack a Read, verify or port release; a running
  // programming picks the new flags up itself. Otherwise they wait for the
  // next start.
  if (mode == LinkMode::Idle) ProgramDirtyBlocks();
}

int CAppCore::Undo() {
  // The image fills block by block during a Read: a snapshot must not go
  // into it half way.
  if (mode == LinkMode::Reading) return -1;
  // A pending change is the newest step: undoing without it would undo the
  // step before it and lose it.
  FlushPendingCommit();
  return Restore(history.Undo(image, dirtyBlocks));
}

int CAppCore::Redo() {
  if (mode == LinkMode::Reading) return -1;
  FlushPendingCommit();
  return Restore(history.Redo(image, dirtyBlocks));
}

int CAppCore::Restore(const std::optional<CEditHistory::Restored>& restored) {
  if (!restored) return -1;
  // The restored image is not what the unit was last seen to hold.
  if (restored->changed) imageMatchesUnit = 0;
  // A snapshot is restored exactly as recorded: no normalisation.
  reloadGuard = true;
  LoadParameterSet(image, params);
  m_view.LoadMapSheets();
  m_view.WriteAllPages();
  reloadGuard = false;
  if (programAfterChange && restored->changed) ProgramAfterChange();
  return restored->page == m_view.ActivePageIndex() ? -1 : restored->page;
}

// ---------------------------------------------------------------------------
// Live-data recording

bool CAppCore::StartRecording(const std::string& path) {
  if (playbackActive) return false;
  LiveLogHeader header;
  header.unitText = unitText;
  header.unitDate = unitDate;
  header.unitTime = unitTime;
  header.bootLine = bootLine;
  header.unitIdentity = unitInfo;
  header.image = image;
  const bool started = recorder.Start(path, std::move(header));
  m_view.RecordingChanged();
  return started;
}

void CAppCore::StopRecording() {
  if (!recorder.Recording()) return;
  recorder.Stop();
  TickRecording();  // a failure of the last write is reported like any other
  m_view.RecordingChanged();
}

void CAppCore::RecordLiveFrame(std::span<const std::uint8_t> frame) {
  if (playbackActive || frame.size() < kFrameSize) return;
  // "No connection" still shows at the first frame of a new connection.
  if (m_noConnectionShown) m_autoRecordArmed = true;
  if (autoRecord && m_autoRecordArmed && !recorder.Recording() && !StartRecording()) ShowRecordingFailure();
  m_autoRecordArmed = false;
  recorder.OnFrame(frame.first<kFrameSize>(), image);
  liveHistory.Add(recorder.clock.monotonicMicros(), frame.first<kFrameSize>(), image);
}

void CAppCore::TickRecording() {
  recorder.Tick();
  if (!recorder.TakeFailure()) return;
  // The link goes on; only the recording ends, with the file's whole records kept.
  ShowRecordingFailure();
  m_view.RecordingChanged();
}

void CAppCore::ShowRecordingFailure() {
  m_view.SetMessageColour(clRed);
  m_view.SetMessageText(FillInText(kRecordingStoppedText.Get(), {recorder.Error()}));
  m_view.SetMessageVisible(true);
  messageTicks = kMessageTicks;
}

// ---------------------------------------------------------------------------
// Live-data playback

bool CAppCore::StartPlayback(const std::string& path) {
  playbackError.clear();
  if (mode != LinkMode::Idle) {
    playbackError = kLiveLogTexts.linkBusy.Get();
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    playbackError = FillInText(kLiveLogTexts.cannotOpen.Get(), {path});
    return false;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LiveLogContents log = ReadLiveLog(std::string_view(bytes));
  if (!log.HeaderOk()) {
    playbackError = LiveLogMessage(log, CurrentLanguage());
    return false;
  }
  // Played with what could be read; the window tells the tuner what was skipped.
  if (log.Damaged()) playbackError = LiveLogMessage(log, CurrentLanguage());
  StopRecording();
  if (!playbackActive) m_portEnabledBeforePlayback = portEnabled;
  ClosePort();
  portEnabled = false;
  playback.Start(std::move(log), path);
  playbackActive = true;
  silenceTicks = 0;
  m_view.PlaybackChanged();
  return true;
}

void CAppCore::StopPlayback() {
  if (!playbackActive) return;
  playback.Stop();
  playbackActive = false;
  portEnabled = m_portEnabledBeforePlayback;
  silenceTicks = kInitialSilenceTicks;
  silentOpen = true;
  OpenPort();
  m_view.PlaybackChanged();
}

void CAppCore::PlaybackStep() {
  playback.StepFrame([this](const Frame& f) { OnLiveFrame(f); });
}

void CAppCore::PlaybackSeek(std::uint64_t micros) {
  playback.Seek(micros, [this](const Frame& f) { OnLiveFrame(f); });
}

// ---------------------------------------------------------------------------
// Replies

void CAppCore::OnLiveFrame(std::span<const std::uint8_t> frame) {
  if (!FrameIsValid(frame)) return;
  RecordLiveFrame(frame);
  silenceTicks = 0;
  DecodeLiveFrame(frame, live);
  changedBlocks = live.changedBlocks;
  m_view.ShowLiveValues();
  if (monitorCatalogue.UpdateCatalogue(frame, live, image)) m_view.MonitorValuesChanged();
}

void CAppCore::OnBlockReply(std::span<const std::uint8_t> frame) {
  if (!FrameIsValid(frame)) return;
  const std::uint8_t b = command & kCmdBlockMask;
  block = b;
  if (b > kMaxBlock || frame[0] != (command ^ kReplyFlag)) return;
  silenceTicks = 0;

  const auto payload = frame.subspan(1, kPayloadSize);
  switch (mode) {
    case LinkMode::Reading:
      OnReadReply(b, payload);
      break;
    case LinkMode::Verifying:
      OnVerifyReply(b, payload);
      break;
    case LinkMode::Programming:
      OnProgramReply(b, payload);
      break;
    case LinkMode::Releasing:
      if (b == 0) {
        CopyUnitInfo(payload);
        OnReleaseReply();
      }
      break;
    case LinkMode::Idle:
      OnIdleReply(b, payload);
      break;
  }
}

void CAppCore::SendNext(std::uint8_t newCommand) {
  command = newCommand;
  m_view.SetGaugePosition(command & kCmdBlockMask);
  retries = 1;
  SendBlockFrame();
}

void CAppCore::StartVerifyFromReply() {
  mode = LinkMode::Verifying;
  command = kCmdReadFlag | 1;
  retries = 1;
  SendBlockFrame();
  ShowProgress(textSlots[kSlotVerify] + ":");
  m_view.SetGaugePosition(0);
}

void CAppCore::ShowVersionMismatch(const std::string& text) {
  mode = LinkMode::Idle;
  NormaliseAndLoad();
  m_view.ShowMessageBox(text);
  messageTicks = 0;
  imageMatchesUnit = 0;
  // The message timer is stopped, so the run's progress text would stay
  // on screen for good: take it away with the run.
  m_view.SetMessageVisible(false);
  m_view.SetGaugeVisible(false);
}

void CAppCore::OnReadReply(int b, std::span<const std::uint8_t> payload) {
  if (b == 0) {
    CopyUnitInfo(payload);
    DecodeUnitInfo();
    if (unitInfo[kUnitInfoVersion] != kUnitVersion) {
      ShowVersionMismatch(textSlots[kSlotUnmatchedVersion] + UnitVersionsText(unitInfo[kUnitInfoVersion]));
      return;
    }
  } else {
    std::copy(payload.begin(), payload.end(), image.begin() + std::ptrdiff_t(BlockOffset(b)));
  }
  if (b < kMaxBlock) {
    SendNext(static_cast<std::uint8_t>(command + 1));
    return;
  }
  TakeReadBlocks();
  StartVerifyFromReply();
}

void CAppCore::TakeReadBlocks() {
  const ConfigImage received = image;
  NormaliseAndLoad();
  m_view.WriteAllPages();
  RecordReceived(received);
}

void CAppCore::OnVerifyReply(int b, std::span<const std::uint8_t> payload) {
  // A block that differs is asked for again by the tick until its sends run out.
  if (b == 0 || !PayloadMatchesImage(b, payload, true)) return;
  if (b < kMaxBlock) {
    SendNext(static_cast<std::uint8_t>(command + 1));
    return;
  }
  verifyAfterProgram = false;
  m_view.SetGaugePosition(kProgramGaugeMax);
  ShowProgress(textSlots[kSlotVerify] + " OK");
  mode = LinkMode::Idle;
  imageMatchesUnit = 1;
}

void CAppCore::OnProgramReply(int b, std::span<const std::uint8_t> payload) {
  bool written = true;
  if (b == 0) {
    CopyUnitInfo(payload);
    DecodeUnitInfo();
    NormaliseAndLoad();
    if (unitInfo[kUnitInfoVersion] != kUnitVersion) {
      ShowVersionMismatch(textSlots[kSlotUnmatchedVersion] + UnitVersionsText(unitInfo[kUnitInfoVersion]));
      return;
    }
  } else {
    written = PayloadMatchesImage(b, payload, false);
  }
  // A block the unit did not take stays dirty; the tick sends it again.
  if (!written) return;
  dirtyBlocks[std::size_t(b)] = false;

  if (const int next = LowestDirtyBlock(); next >= 0) {
    command = static_cast<std::uint8_t>(next);
    retries = 1;
    m_view.SetGaugePosition(next);
    SendBlockFrame();
    return;
  }
  programDone = true;
  if (verifyAfterProgram) {
    StartVerifyFromReply();
    return;
  }
  m_view.SetGaugePosition(kProgramGaugeMax);
  ShowProgress(textSlots[kSlotProgramDevice] + " OK");
  mode = LinkMode::Idle;
}

void CAppCore::OnIdleReply(int b, std::span<const std::uint8_t> payload) {
  if (b == 0) {
    CopyUnitInfo(payload);
    DecodeUnitInfo();
    return;
  }
  // Only an answer to the idle link's own request: a late reply to a failed
  // or finished run would put the unit's old block over the user's image.
  if (!m_idleRequestSent) return;
  // A block the unit changed on its own (its auto-tuning): take it over.
  std::copy(payload.begin(), payload.end(), image.begin() + std::ptrdiff_t(BlockOffset(b)));
  RecordReceived(image);
  m_view.ReloadMapSheets();
  SendStatusFrame();
}

bool CAppCore::PayloadMatchesImage(int b, std::span<const std::uint8_t> payload, bool skipByte1) const {
  const std::size_t base = BlockOffset(b);
  for (std::size_t i = 0; i < kBlockSize; ++i) {
    // Image byte 1 is the program's own and is never compared.
    if (skipByte1 && base + i == 1) continue;
    if (payload[i] != image[base + i]) return false;
  }
  return true;
}

void CAppCore::CopyUnitInfo(std::span<const std::uint8_t> payload) {
  std::copy(payload.begin(), payload.end(), unitInfo.begin());
}

namespace {
// Two digit characters of a byte, as the unit's texts are built.
std::string TwoDigits(int value) { return {char('0' + value / 10), char('0' + value % 10)}; }

// Byte 5 of the identity: the low 8 bits of the sum of the characters of
// the month's English abbreviation.
std::string MonthText(std::uint8_t code) {
  constexpr std::pair<std::uint8_t, const char*> kMonths[] = {
      {25, " 1"}, {13, " 2"}, {32, " 3"}, {35, " 4"}, {39, " 5"}, {45, " 6"},
      {43, " 7"}, {29, " 8"}, {40, " 9"}, {38, "10"}, {51, "11"}, {12, "12"},
  };
  for (const auto& [c, text] : kMonths)
    if (c == code) return text;
  return "00";
}

// Text bytes from the unit, up to the first zero, in UTF-8.
std::string UnitString(const std::uint8_t* bytes, std::size_t size) {
  const auto* end = std::find(bytes, bytes + size, 0);
  return FromCodePage(std::string(bytes, end), CodePage::kWindows1250);
}
}  // namespace

void CAppCore::DecodeUnitInfo() {
  const auto& u = unitInfo;
  if (u[kUnitInfoName] != 0) {
    unitText = UnitString(&u[kUnitInfoName], kUnitInfoNameSize);
  } else {
    const std::uint8_t name[3] = {u[0], u[1], u[2]};
    unitText = UnitString(name, 3) + TwoDigits(u[3]);
  }
  std::string day = TwoDigits(u[4]);
  if (u[4] < 10) day[0] = ' ';
  unitDate = day + "." + MonthText(u[5]) + ".20" + TwoDigits(u[6]);
  unitTime = TwoDigits(u[7]) + ":" + TwoDigits(u[8]);

  bootRecordValid = 0;
  if (u[kUnitInfoBootLength] == kBootRecordSize) {
    const auto* record = &u[kUnitInfoBootRecord];
    if (!std::equal(bootRecord.begin(), bootRecord.end(), record)) imageMatchesUnit = 0;
    std::copy_n(record, kBootRecordSize, bootRecord.begin());
    bootRecordValid = bootRecord[23] == kBootRecordValid ? 1 : 0;
  }
  bootLine.clear();
  if (bootRecordValid) {
    const auto& r = bootRecord;
    const std::time_t uploaded = std::time_t(r[10] | (r[11] << 8) | (r[12] << 16) | (std::uint32_t(r[13]) << 24));
    std::tm t{};
    localtime_r(&uploaded, &t);
    char text[128];
    std::snprintf(text, sizeof text,
                  "FRM:%02i%02i%02i%c (%02i%02i%02i %02i:%02i)   SN:%02i%02i%02i-%02i%02i%02i-%03i%02X", r[9], r[8],
                  r[7], char(r[6]), t.tm_year + 1900 - 2000, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, r[21], r[20],
                  r[19], r[18], r[17], r[16], r[15], r[14]);
    bootLine = text;
  }
  m_view.ShowUnitTexts();
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
  m_view.SetCaption(textSlots[kSlotTitle] + "       " + textSlots[kSlotFileName] + "   " +
                    textSlots[kSlotDisconnected]);
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
