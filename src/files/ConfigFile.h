#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/BikeDefaults.h"
#include "image/ConfigImage.h"
#include "base/TextSlots.h"

// What the identification lines (section VERSIONS) say about the unit the
// image was last read from. Texts are UTF-8, as the Bike page shows them;
// the file gets them in the unit's own code page, control characters blanked.
struct ConfigFileIdentity {
  bool imageMatchesUnit = false;  // no change since the last complete read
  std::string unitDate;           // LabelVerze2
  std::string unitTime;           // LabelVerze3
  std::string unitText;           // LabelVerze1
  bool bootRecordValid = false;
  std::string bootLine;                      // LabelVerze4
  std::span<const std::uint8_t> bootRecord;  // the unit's 24-byte boot record
};

// The whole file for `image`, CR LF line ends, byte for byte as other
// copies of the program write it.
std::string WriteConfigFile(const ConfigImage& image, const ConfigFileIdentity& identity);

// The two version messages, by the text slot that holds each.
enum class ConfigMessage : int {
  kOlderVersion = kSlotOlderFileVersion,
  kUnmatchedVersion = kSlotUnmatchedFileVersion,
};

// A section whose values ended early: a value that is no number (read again
// as the next keyword) or the end of the file. What it did read stays.
struct ConfigProblem {
  enum class Kind : std::uint8_t { kNoNumber, kFileEnds };
  std::string section;
  int line = 0;  // 1-based line of the token that ended it
  Kind kind = Kind::kNoNumber;
  std::string token;  // kNoNumber: the text found where a value belongs
};

struct ConfigReadContext {
  ConfigImage image{};  // the image before the open
  // Actual-page mode when !wholeImage: only the sections of that page and,
  // on the injection and servo pages, of the sheet shown.
  DefaultsScope scope = kWholeImage;
};

struct ConfigReadResult {
  int version = 0;                      // of the key accepted; 0: no key accepted, nothing applied
  bool noKey = false;                   // not one key in the file: no configuration file at all
  std::vector<ConfigMessage> messages;  // in the order they arose
  std::vector<ConfigProblem> problems;
  bool refused = false;  // actual page on a coupled injection map: nothing read
  ConfigImage image{};   // the image after the open (the context's when nothing applied)
};

// Reads a configuration file. Takes CR LF and LF alike; never throws.
ConfigReadResult ReadConfigFile(std::string_view bytes, const ConfigReadContext& context);

// The line shown for a problem, in `language`: where, and what is wrong.
std::string ConfigProblemText(const ConfigProblem& problem, int language);
