// Config.data in the user's data folder: read once at start-up, written only
// when the host has to create the factory configuration.
#pragma once

#include <string>

#include "config/working_copy.h"

namespace korvid {

// "<application data>\QIV Brennox 2\", creating the folders on the way, or the
// install directory when the application-data folder is unknown or too deep.
std::wstring ResolveDataFolder(const std::wstring& installDir);

// Reads the user's current Windows pointer settings into a profile.
using PointerSettingsCapture = void (*)(ProfileData& profile);

// Fills the working copy from Config.data, or with the factory defaults (which
// are then saved). A short file keeps its bytes over the defaults and is not
// rewritten; every image is repaired before use. Then capture fills the
// active profile's pointer settings, so loading changes none of the user's.
// Always succeeds.
bool LoadConfiguration(WorkingCopy& image, const std::wstring& installDir, PointerSettingsCapture capture);

// Replaces Config.data with the image as a whole, or leaves it as it was.
void SaveConfiguration(const ShareData& image, const std::wstring& installDir);

}  // namespace korvid
