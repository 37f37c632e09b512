// Where the host's files live, as plain path text (UTF-16, as Windows has it):
// the install directory taken from the executable's own path, and the data
// folder "<application data>\QIV Brennox 2\" with Config\Config.data in it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "protocol/korvid_protocol.h"

namespace korvid {

// The platform's path limit, counted with the terminator.
inline constexpr std::size_t kMaxPathChars = 260;

// Drive and directory of a full file path, ending with a backslash:
// D:\Tools\Mouse\Korvid.exe gives D:\Tools\Mouse\. A path without any
// separator gives its drive only ("" when there is none).
std::u16string DirectoryOf(const std::u16string& filePath);

// The data folder inside the application-data folder, ending with a
// backslash, or nothing when the Config.data path built from it would not fit
// the path limit (the caller then uses the install directory).
std::optional<std::u16string> DataFolderIn(const std::u16string& appDataFolder);

std::u16string ConfigFolderOf(const std::u16string& dataFolder);  // no trailing backslash
std::u16string ConfigFileOf(const std::u16string& dataFolder);

}  // namespace korvid
