// Config.data in the user's data folder: read once at start-up, written only
// when the host has to create the factory configuration.
#pragma once

#include <string>

#include "config/working_copy.h"

namespace korvid {

// "<application data>\QIV Brennox 2\", creating the folders on the way, or the
// install directory when the application-data folder is unknown or too deep.
std::wstring ResolveDataFolder(const std::wstring& installDir);

// Fills the working copy from Config.data, or with the factory defaults (which
// are then saved). A short file keeps its bytes over the defaults and is not
// rewritten; every image is repaired before use. Always succeeds.
bool LoadConfiguration(WorkingCopy& image, const std::wstring& installDir);

// Replaces Config.data with the image as a whole, or leaves it as it was.
void SaveConfiguration(const ShareData& image, const std::wstring& installDir);

}  // namespace korvid
