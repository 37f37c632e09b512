// Config.data, which the customizer keeps up to date and korvidctl therefore
// too: "<application data>\QIV Brennox 2\Config\Config.data". It is replaced
// whole: the image goes to a temporary file in the same folder, which is then
// renamed over Config.data, so a crash leaves either the old file or the new
// one, never a torn one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/share_data.h"

namespace korvid::ctl {

// The path, with its folders created; nothing (and error set) when the
// application-data folder is unknown or too deep.
std::optional<std::wstring> ConfigDataPath(std::string& error);

// Writes the whole image; false (and error set) when any step failed, in
// which case Config.data is as it was.
bool SaveImageReplacing(const std::wstring& path, const ShareData& image, std::string& error);

// The whole file; nothing (and error set: not found, access denied, too
// large, a short read) when it cannot be opened or read whole.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::wstring& path, std::string& error);

}  // namespace korvid::ctl
