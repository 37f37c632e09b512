#include "hid/presence_tracker.h"

namespace korvid::hid {

void PresenceTracker::Reset(const std::vector<std::wstring>& presentPaths, UsbIds ids) {
    keys_.clear();
    for (const std::wstring& path : presentPaths) {
        if (PathHasIds(path, ids)) keys_.insert(InterfaceKey(path));
    }
}

PresenceTracker::Change PresenceTracker::OnArrival(std::wstring_view path, UsbIds ids) {
    if (!PathHasIds(path, ids)) return Change::kNone;
    const bool wasPresent = present();
    const bool added = keys_.insert(InterfaceKey(path)).second;
    return added && !wasPresent ? Change::kAttached : Change::kNone;
}

PresenceTracker::Change PresenceTracker::OnRemoval(std::wstring_view path) {
    if (keys_.erase(InterfaceKey(path)) == 0) return Change::kNone;
    return present() ? Change::kNone : Change::kRemoved;
}

}  // namespace korvid::hid
