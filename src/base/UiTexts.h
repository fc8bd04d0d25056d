#pragma once

#include <span>

#include "base/Lang.h"

// Texts of the main window's controls, by the controls' object names. The
// window applies them by name, so a control gets its text by being named
// and listed here.
struct NamedText {
  const char* name;
  CLngStr text;
};

// A control whose caption is a text slot, optionally framed: the live
// labels show `prefix` + slot + `suffix` (a placeholder such as " - ---")
// until the unit link writes values into them.
struct SlotCaption {
  const char* name;
  int slot;
  const char* prefix;
  const char* suffix;
};

// The items of a radio group, in item order.
struct RadioGroupText {
  const char* name;
  std::span<const CLngStr> items;
};

std::span<const NamedText> MenuCaptions();     // menu items and the three link buttons
std::span<const NamedText> Hints();            // "short|long"; without "|" both are the same
std::span<const NamedText> ControlCaptions();  // tab sheets, group boxes, labels, check boxes, buttons
std::span<const SlotCaption> SlotCaptions();   // controls that show a slot's text, plain or framed
std::span<const RadioGroupText> RadioGroupItems();

// Named controls whose text is not a language text: unit data, live values in
// fixed formats, texts written by their page. The language walk leaves them alone.
std::span<const char* const> LanguageNeutralControls();

// Names of the live channels (CSV columns, chart lanes) that no Monitor page
// text gives, by the channels' name keys.
std::span<const NamedText> LiveCsvNames();
// A recording ended by a failed write; %1 the file and the system's reason.
extern const CLngStr kRecordingStoppedText;
// The banner that stands in for the connection labels during playback (%1 the file),
// the status bar while recording (%1 duration, %2 size), the log dialogs' filter,
// and a log that cannot be played (%1 the reason).
extern const CLngStr kPlaybackBannerText;
extern const CLngStr kRecordingStatusText;
extern const CLngStr kLogFileFilter;
extern const CLngStr kLogOpenFailedText;
// What the log reader found wrong (see LiveLogMessage): %1 the version
// found, %2 the version this program reads, %1 the count of skipped records;
// atByte puts %2, the byte offset, behind %1, the fault.
struct LiveLogTexts {
  CLngStr notALog;
  CLngStr headerCut;
  CLngStr noSuchVersion;
  CLngStr newerVersion;
  CLngStr headerFields;
  CLngStr headerDamaged;
  CLngStr lastCut;
  CLngStr damaged;
  CLngStr atByte;
  CLngStr cannotOpen;  // %1 the file
  CLngStr linkBusy;    // playback refused while the unit is being read or written
};
extern const LiveLogTexts kLiveLogTexts;
// A log that was played or exported with damage: %1 the file, %2 what the reader found.
extern const CLngStr kLogDamagedText;

// Caption of the external monitor window.
extern const CLngStr kExternalMonitorCaption;
// A monitor set file whose window size is below the smallest one.
extern const CLngStr kMonitorSetSizeInvalidText;
// Headings of the built-in monitor set "Set3".
extern const CLngStr kSet3InjectionAHeading;
extern const CLngStr kSet3InjectionBHeading;
extern const CLngStr kSet3AdvanceHeading;
// Caption of the About window, set each time it is activated.
extern const CLngStr kAboutCaption;
// Caption of the time chart window, with a log and with live data.
extern const CLngStr kTimeChartCaption;
extern const CLngStr kTimeChartLiveCaption;
// A page that could not be printed; %1 the printer or the PDF file.
extern const CLngStr kPrintFailedText;
// The Link window's caption (its last-error texts are beside LinkStats).
extern const CLngStr kLinkStatsCaption;

// Started without a display (%1 the program's name): what runs without one.
extern const CLngStr kNoDisplayText;
// A log handed in from outside while a recording runs (%1 the log).
extern const CLngStr kLogNotWhileRecordingText;

// Texts that are the same in every language.
inline constexpr const char* kPortMenuItemPrefix = "Com ";  // "Com 1" .. "Com 20"
inline constexpr const char* kPortMenuAuto = "Com Auto";
// The Tools menu's step items.
inline constexpr const char* kMenuPlusCaption = "+";
inline constexpr const char* kMenuMinusCaption = "-";
// The coupling menu's all-equal item.
inline constexpr const char* kMenuJet123StejnyCaption = "1=2=3=4";

// The Language menu's items, in language-index order.
inline constexpr const char* kLanguageMenuItems[kLanguageCount] = {"MenuEnglish", "MenuGerman", "MenuFrench",
                                                                   "MenuCzech"};
inline constexpr const char* kPortLabelPrefix = "COM= ";  // "COM= COM3"

// The About window's texts that are the same in every language.
inline constexpr const char* kAboutDesignCaption = "Ventrix Power";
inline constexpr const char* kAboutWebAddress = "www.ventrix.example";
inline constexpr const char* kAboutVersionPrefix = "Version - ";  // followed by the file format version
inline constexpr const char* kAboutExitCaption = "OK";

// A configuration file that cannot be opened as it is. The message names the
// file (%1 in the first line), lists what is wrong, one line each, at most a
// few and then "and %1 more", and tells that the tune shown is unchanged. A
// file read in part offers to open what could be read anyway.
extern const CLngStr kFileProblemsText;     // %1 the file
extern const CLngStr kNotTuneFileText;      // %1 the file
extern const CLngStr kMoreFileProblemsText;  // %1 how many more
extern const CLngStr kValueNotNumberText;    // %1 the text where a value belongs
extern const CLngStr kFileEndsText;
extern const CLngStr kTuneUnchangedText;
extern const CLngStr kOpenAnywayQuestion;
extern const CLngStr kOpenAnywayButton;
extern const CLngStr kDoNotOpenButton;
// A typed value the range held back (%1 typed, %2 in force).
extern const CLngStr kValueLimitedText;
// "Paste table" refused: labels that fit nowhere (%1 the copied table's
// axes, %2 this map's), or sizes this map cannot take (%1 copied, %2 here).
extern const CLngStr kPasteForeignText;
extern const CLngStr kPasteSizeRefusedText;
// Help without a program that shows PDF files; %1 the manual's full path.
extern const CLngStr kNoPdfViewerText;
// A recording started (%1 the log file); the record button's hint when
// idle, and while recording (%1 the log file).
extern const CLngStr kRecordingStartedText;
extern const CLngStr kRecordButtonStartHint;
extern const CLngStr kRecordButtonStopHint;
