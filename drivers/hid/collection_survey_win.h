// What "korvidctl hid" shows: the present HID collections, what each declares,
// whether Windows lets a program open it, and which of them the library would
// use for frames and for events. The same choice (collection_choice.h) and
// the same opens as the library; nothing is ever sent to a device.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "hid/collection_choice.h"
#include "hid/device_path.h"
#include "hid/hid_api_win.h"

namespace korvid::hid {

struct SurveyedCollection {
    CollectionDeclaration declaration;
    DWORD readWriteError = 0;   // 0: opened for reading and writing
    DWORD zeroAccessError = 0;  // 0: opened without access
    std::string frameVerdict;   // from ChooseCollections
    std::string eventVerdict;
};

struct CollectionSurvey {
    std::vector<SurveyedCollection> collections;
    std::optional<std::size_t> frames;  // the one the library would open for frames
    bool framesWithoutAccess = false;   // ... through a handle without access
    std::optional<std::size_t> events;  // the one it would read events from
};

// The collections of `ids`, or of every HID device when `all`; the choice is
// made for `ids` and `names` in either case.
CollectionSurvey SurveyCollections(const HidApi& api, UsbIds ids, const CollectionNames& names, bool all);

}  // namespace korvid::hid
