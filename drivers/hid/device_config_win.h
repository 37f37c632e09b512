// The [Device] keys of config.ini that name the collections to use, for a
// mouse whose descriptor the choosing rule (collection_choice.h) misreads:
//
//   [Device]
//   FrameCollection=MI_01&Col02
//   EventCollection=MI_01&Col02
//
// Read by hiddriver.dll from the config.ini beside it (the install folder)
// when the host calls Set_VIDPID, and by "korvidctl hid".
#pragma once

#include <windows.h>

#include <string>

#include "hid/collection_choice.h"

namespace korvid::hid {

// The names in the file; empty ones for missing keys or a missing file.
CollectionNames ReadCollectionNames(const std::wstring& configPath);

// The module this code is linked into (hiddriver.dll, or a program).
HMODULE ThisModule();

// "<folder of the module>\config.ini"; empty when the module's path is unknown.
std::wstring ConfigPathBeside(HMODULE module);

}  // namespace korvid::hid
