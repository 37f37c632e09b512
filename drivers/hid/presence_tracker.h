// Whether the mouse is present, followed from the arrival and removal of its
// HID interfaces.
//
// A device has one interface per top-level collection (pointer, keyboard,
// vendor channel ...), and Windows announces each of them on its own when the
// device is plugged in or pulled out. The host must hear once per physical
// attach and once per removal, so the tracker reports a change only when the
// first interface of our IDs arrives and when the last one we know of goes.
// Used by the monitor thread only.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "hid/device_path.h"

namespace korvid::hid {

class PresenceTracker {
public:
    enum class Change { kNone, kAttached, kRemoved };

    // Starts over with the interfaces present now (all HID interfaces; those
    // of other IDs are left out). Reports nothing: the host opens the device
    // itself at start-up.
    void Reset(const std::vector<std::wstring>& presentPaths, UsbIds ids);

    // kAttached when this is the first present interface of `ids`.
    Change OnArrival(std::wstring_view path, UsbIds ids);
    // kRemoved when this was the last present interface we knew of. Paths we
    // never counted (other devices, or a removal we heard twice) change nothing.
    Change OnRemoval(std::wstring_view path);

    bool present() const { return !keys_.empty(); }

private:
    std::set<std::wstring> keys_;  // InterfaceKey of each present interface of ours
};

}  // namespace korvid::hid
