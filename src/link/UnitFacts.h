#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What the program knows of the unit it talks to: the version it was made
// for, the ports it looks on, and the layout of the unit's identity record.

constexpr int kPortCount = 21;      // automatic mode scans COM1..COM21
constexpr int kAutoPortIndex = 20;  // port menu item "Com Auto"

// The unit version this program is made for; a unit of another version is
// shown with a mismatch message.
constexpr int kUnitVersion = 83;
constexpr int kUnitSubversion = 0;

// The unit's identity record (payload of every block-0 reply).
constexpr std::size_t kUnitInfoVersion = 10;
constexpr std::size_t kUnitInfoSubversion = 11;
constexpr std::size_t kUnitInfoName = 16;  // 30 bytes, used when not empty
constexpr std::size_t kUnitInfoNameSize = 30;
constexpr std::size_t kUnitInfoBootLength = 49;
constexpr std::size_t kUnitInfoBootRecord = 50;
constexpr std::size_t kBootRecordSize = 24;
constexpr std::uint8_t kBootRecordValid = 0xA5;  // last byte of a valid record

// "  PC-83, IGN-<unitVersion>": this program's unit version beside the one
// the unit reports, as the Monitor page and the mismatch message show them.
std::string UnitVersionsText(int unitVersion);
