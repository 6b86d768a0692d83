#pragma once
// The layout records of the program's windows and controls, in the byte
// format that _SetProperties reads. Constant-initialised, so they are usable
// from any static initialiser.
#include <cstdint>
#include <span>

// Main window and what it holds.
extern const std::span<const std::uint8_t> kWindow1Record;
extern const std::span<const std::uint8_t> kEditField1Record;
extern const std::span<const std::uint8_t> kTRecord;  // the translation thread control t

// About window and its six controls.
extern const std::span<const std::uint8_t> kAboutWindowRecord;
extern const std::span<const std::uint8_t> kAppIconCanvasRecord;
extern const std::span<const std::uint8_t> kStatAppNameRecord;
extern const std::span<const std::uint8_t> kStatAppVersionRecord;
extern const std::span<const std::uint8_t> kEditAppCreditsRecord;
extern const std::span<const std::uint8_t> kStatAppCopyrightRecord;
extern const std::span<const std::uint8_t> kKvIconCanvasRecord;

// Help window and its two controls.
extern const std::span<const std::uint8_t> kWinHelpRecord;
extern const std::span<const std::uint8_t> kStaticText1Record;
extern const std::span<const std::uint8_t> kPushButton1Record;
