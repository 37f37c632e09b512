// What a test sets up around Korvid.exe beyond the shared harness's folders
// (tests/harness/folders_win.h): the install folder of the running test,
// under this build's test directory, and config.ini's on-screen-display
// record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "e2e_harness_win.h"

namespace korvid::e2e {

// The on-screen-display record of config.ini: 348 bytes, osdEnabled (int32)
// at offset 8; the test fills the other bytes with a pattern.
inline constexpr std::size_t kOsdRecordSize = 348;
inline constexpr std::size_t kOsdEnabledOffset = 8;

// The value of section "OSDSetting", key "config" in the encoding of the
// profile-structure functions: every byte as two uppercase hex digits, then
// the 8-bit sum of the bytes as two more.
std::string EncodeProfileStruct(std::span<const std::uint8_t> bytes);

// A config.ini holding an OSDSetting record whose osdEnabled is the value.
std::string OsdSettingsIni(std::int32_t osdEnabled);

// A fresh, empty folder for the running test, <work>\<suite>.<test>\, with
// the install folder install\ inside it. Fails the test when an older folder
// of that name cannot be removed.
InstallFolder InstallFolderForCurrentTest();

}  // namespace korvid::e2e
