#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/AppView.h"
#include "core/LivePlayback.h"
#include "core/LiveRecorder.h"
#include "core/PendingCommit.h"
#include "image/ConfigImage.h"
#include "image/EditHistory.h"
#include "image/Pages.h"
#include "image/ParamSet.h"
#include "link/Frame.h"
#include "link/LinkStats.h"
#include "link/LiveHistory.h"
#include "link/LiveValues.h"
#include "link/SerialPort.h"
#include "link/UnitFacts.h"
#include "link/ParameterCatalogue.h"
#include "base/TextSlots.h"

enum class LinkMode : std::uint8_t { Idle = 0, Programming = 1, Verifying = 2, Reading = 3, Releasing = 9 };

// Timing of the conversation, in 55 ms ticks.
constexpr int kTickMs = 55;
constexpr int kTicksPerStep = 6;             // a frame is repeated after 6 ticks
constexpr int kMessageTicks = 200;           // progress message shown for 11 s
constexpr int kNoConnectionTicks = 24;       // silence before "No connection"
constexpr int kReconnectTicks = 30;          // silent reopen period
constexpr int kInitialSilenceTicks = 18;     // so "No connection" shows 6 ticks after start
constexpr int kStatusFramesPerIdentity = 20; // status frames between block-0 requests
constexpr int kSendLimit = 5;                // sends of one frame before a run fails
constexpr int kReleaseSendLimit = 2;

constexpr int kProgramGaugeMax = 20;

constexpr int kSavingCountdownFull = 5782;  // saving countdown when the unit starts writing

constexpr std::size_t kReceiveBufferSize = 15000;

// The one object that owns what the program knows about the unit and runs
// the serial conversation. It has no window: it reaches the main window
// through IAppView and the port through ISerialPort.
class CAppCore {
 public:
  CAppCore(IAppView& view, std::unique_ptr<ISerialPort> port);
  ~CAppCore();
  CAppCore(const CAppCore&) = delete;
  CAppCore& operator=(const CAppCore&) = delete;

  // One step of the program, every 55 ms.
  void Tick();

  // Port-release request from a firmware loader: wParam the zero-based port
  // number, lParam the request code (link/ReleaseChannel.h).
  void OnPortReleaseMessage(std::uint32_t wParam, std::uint32_t lParam);

  // Port commands.
  void OpenPort();
  void ClosePort();
  void ReleasePort();
  void ReopenPort();
  void ReadPort();
  void SendBlockFrame();
  void SendStatusFrame();
  void MenuCom1Click(int itemIndex);

  // Link commands.
  void StartRead();
  void StartVerify();
  void StartProgram();
  void ProgramDirtyBlocks();
  void RequestChangedBlock();

  // Output tests and tuning.
  // A test button's click, by the button's object name.
  void ButtonTestClick(std::string_view name);
  void MenuLadeniOnClick() { tuningOn = !tuningOn; }
  // The unit's last live frame said the output tests are locked (flag 4.3).
  bool OutputTestsLocked() const { return live.outputTestsLocked; }

  // Frame decoders.
  void OnLiveFrame(std::span<const std::uint8_t> frame);
  void OnBlockReply(std::span<const std::uint8_t> frame);
  void DecodeUnitInfo();

  // COM number in use: portIndex + 1, or autoPortIndex + 1 in automatic mode.
  int ComNumber() const;
  bool NoConnectionShown() const { return m_noConnectionShown; }
  ISerialPort& Port() { return *m_port; }

  // The current file name (text slot 1) and the caption built with it.
  void SetFileNameAndCaption(std::string name);

  // Normalises the image (bringing the port and language settings into
  // range on the way) and loads the parameter set from it.
  void NormaliseAndLoad();
  // The image changed as a whole (New, a file): normalise, load, and write
  // every page, without the loads starting commits of their own.
  void ReloadWindow();
  // Parameter set, then the map sheets, into the image.
  void StoreAll();

  // The commit of the parameter pages: a request from control `control`
  // with `key` (0 = now, else the up/down's key) runs the commit sequence
  // at once or when the pending change falls due (Tick). FlushPendingCommit
  // commits a pending change now.
  void CommitRequest(int control, int key);
  void FlushPendingCommit();
  // Active page -> parameter set -> image, normalise, load, write the page
  // back, record in the history.
  void CommitSequence();
  CPendingCommit pendingCommit;
  // Set while the parameter set is loaded inside a commit.
  bool reloadGuard = false;

  // The default configuration of the bike in byte 0 (New, a bike change):
  // the whole image, or with the actual-page flag set only the active page
  // and the sheet it shows. NewConfiguration applies it as the File menu's
  // New does and refreshes the window; it refuses (false) while a run reads,
  // checks or writes the image.
  bool actualPage = false;
  void ApplyDefaults();
  bool NewConfiguration(bool forActivePage);

  // Edit history. RecordHistory compares the image with the last snapshot,
  // marks the changed blocks dirty and stores a new step; RecordAndProgram
  // also programs those blocks when programAfterChange is set.
  void ResetHistory();
  void RecordHistory();
  void RecordAndProgram();
  // One user action made of several changes (a bike change with its type,
  // its defaults, its constants and its commit): while a scope lives
  // RecordAndProgram only notes that a record is due; the end of the
  // outermost scope records the whole action as one step and programs it
  // once.
  class OneStep {
   public:
    explicit OneStep(CAppCore& core) : m_core(core) { ++m_core.m_stepDepth; }
    ~OneStep() { m_core.EndStep(); }
    OneStep(const OneStep&) = delete;
    OneStep& operator=(const OneStep&) = delete;

   private:
    CAppCore& m_core;
  };
  // Undo and Redo restore a snapshot exactly (no normalisation) and return
  // the page the window must make active, or -1 when it stays.
  int Undo();
  int Redo();
  CEditHistory history;
  // "Programming after change" (CheckBoxProgHned), mirrored by the window.
  bool programAfterChange = false;

  CTextSlots textSlots;
  ConfigImage image{};
  CParamSet params;
  CLiveValues live;
  // The external monitor's parameters, updated from every live frame.
  CParameterCatalogue monitorCatalogue;
  // Open the external monitor on the next tick (the settings remember that
  // it was open); cleared when the tick acts on it.
  bool monitorOpenRequest = false;

  std::array<std::uint8_t, kPayloadSize> unitInfo{};
  // Texts derived from unitInfo, UTF-8.
  std::string unitText = "Unit = --";
  std::string unitDate = "Date = --";
  std::string unitTime = "--:--";
  std::string bootLine;
  std::array<std::uint8_t, kBootRecordSize> bootRecord{};
  int bootRecordValid = 0;
  int imageMatchesUnit = 0;
  LinkMode mode = LinkMode::Idle;
  std::uint8_t command = 0;
  std::uint8_t block = 0;
  std::uint8_t portIndex = 1;
  std::uint8_t autoPortIndex = 0;
  bool portEnabled = true;
  bool silentOpen = false;
  std::uint16_t silenceTicks = kInitialSilenceTicks;
  std::uint16_t sendTicks = 0;
  std::uint16_t retries = 0;
  std::uint16_t statusCountdown = 0;
  std::uint16_t messageTicks = 0;
  std::uint8_t reconnectTicks = 0;
  bool programDone = false;
  bool verifyAfterProgram = false;
  std::uint16_t changedBlocks = 0;
  std::array<bool, kBlockCount> dirtyBlocks{};
  OneShotBytes oneShot{};
  int tickCount = 0;

  // Service mode, from the marker file at start, fixed for the run: the
  // service values and commands are shown.
  bool serviceMode = false;

  // "Tuning on", carried by every status frame. Not part of the image, so
  // the unit's auto-tuning is off whenever the program starts.
  bool tuningOn = false;

  // Printing. The stamp ("Date and time of printing:  " and `dateTime`) goes
  // into the message label on white for the usual message time, with the
  // connection label and the gauge out of the way. While printMode is set the
  // watchdog keeps LabelSpojeni hidden, so a tick during a print job does not
  // put it back on the paper.
  void ShowPrintStamp(const std::string& dateTime);
  bool printMode = false;

  // Live-data recording. StartRecording writes into `path`, or a dated file
  // in recorder.logsDir when it is empty, and refuses during playback; the
  // reason of a refusal is recorder.Error(). With autoRecord a recording
  // starts at the first frame of every connection unless one is running.
  // While playbackActive the frames come from a log: they are not recorded.
  bool StartRecording(const std::string& path = {});
  void StopRecording();
  CLiveRecorder recorder;
  // The live frames of the last minutes, for the chart while no log plays.
  CLiveHistory liveHistory;
  bool autoRecord = false;
  bool playbackActive = false;
  // Playback of a live-data log: the port is closed while it runs and opened
  // again afterwards; refused during a run. Why a start was refused, or what
  // of a damaged log was skipped, is in playbackError.
  bool StartPlayback(const std::string& path);
  void StopPlayback();
  void PlaybackStep();
  void PlaybackSeek(std::uint64_t micros);
  CLivePlayback playback;
  std::string playbackError;

  // The link's counters for the Link window; errors are stamped with linkClock().
  LinkCounters linkStats;
  std::int64_t (*linkClock)() = &SystemWallClockMs;

 private:
  bool m_portEnabledBeforePlayback = true;
  void StartRun(LinkMode newMode, std::uint8_t newCommand, int textSlot);
  void SendNext(std::uint8_t newCommand);
  void StartVerifyFromReply();
  void ShowProgress(const std::string& text);
  void ShowVersionMismatch(const std::string& text);
  void OnReadReply(int b, std::span<const std::uint8_t> payload);
  void OnVerifyReply(int b, std::span<const std::uint8_t> payload);
  void OnProgramReply(int b, std::span<const std::uint8_t> payload);
  void OnIdleReply(int b, std::span<const std::uint8_t> payload);
  bool PayloadMatchesImage(int b, std::span<const std::uint8_t> payload, bool skipByte1) const;
  int LowestDirtyBlock() const;
  void CopyUnitInfo(std::span<const std::uint8_t> payload);

  // Records blocks just received from the unit (`received`, before the
  // program changed anything).
  void RecordReceived(const ConfigImage& received);
  // The blocks a Read brought, finished or not: normalised, shown and
  // recorded as one step of the history.
  void TakeReadBlocks();
  int Restore(const std::optional<CEditHistory::Restored>& restored);
  void ProgramAfterChange();
  void EndStep();
  int m_stepDepth = 0;
  bool m_stepRecordDue = false;

  void StepConversation();
  void StepIdle();
  void RetryOrFail(int limit, int errorSlot);
  void FailRun(const std::string& text);
  void WatchConnection();
  void RecordLiveFrame(std::span<const std::uint8_t> frame);
  void TickRecording();
  void ShowRecordingFailure();
  void FinishRelease();
  void OnReleaseReply();
  // Writes a frame and counts it; the one before it still unanswered is a timeout.
  void WriteFrame(const std::uint8_t* data, std::size_t size);
  void RecordLinkError(LinkError error) { linkStats.RecordError(error, linkClock()); }

  IAppView& m_view;
  std::unique_ptr<ISerialPort> m_port;
  std::array<std::uint8_t, kReceiveBufferSize> m_receive{};
  bool m_noConnectionShown = false;
  bool m_autoRecordArmed = true;  // until this connection's first frame
  // The last block frame went out from the idle link (not from a run).
  bool m_idleRequestSent = false;
};
