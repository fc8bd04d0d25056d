#pragma once

#include <cstdint>
#include <span>

#include "image/ReferenceTables.h"

// The larger bike tables: advance, injection reference, position and servo
// tables. Their shapes and which bikes share one are fixed; the values are
// our own base tunes. Every function takes a bike type 0-63.

// Degrees; 150 values (ten throttle rows of 15) for the bikes whose advance
// follows the throttle, else 15.
std::span<const std::int32_t> AdvanceTable(int bike);
// References of positions A and B, then 15 positions A, 15 positions B (degrees).
std::span<const std::int32_t> PositionTable(int bike);
// Word 0, 15 speed points in rpm, then 150 values (ten rows of 15) or 15
// (one row), percent or mV.
std::span<const std::int32_t> IntakeServoTable(int bike);
std::span<const std::int32_t> ExhaustServoTable(int bike);
// Reference tables 1 (maps 1, 4) and 2 (maps 2, 3) and the IAP reference table.
const InjectionReference& ReferenceOf(int bike);

// Which table of a kind a bike uses, so that the sharing can be checked.
enum class TuneTableKind { kAdvance, kPosition, kIntakeServo, kExhaustServo, kReference1, kReference2, kIapReference };
// Equal identities mean the same table.
const void* TuneTableIdentity(TuneTableKind kind, int bike);
