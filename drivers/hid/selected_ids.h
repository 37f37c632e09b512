// The vendor and product IDs the library addresses, as set by Set_VIDPID.
// Written by the host's window thread, read there (opening the device) and by
// the monitor thread (matching arrivals); the lock keeps the pair whole.
#pragma once

#include <mutex>
#include <optional>

#include "hid/device_path.h"

namespace korvid::hid {

class SelectedIds {
public:
    void Set(UsbIds ids) {
        const std::lock_guard lock(mutex_);
        ids_ = ids;
    }
    // Nothing until Set was called: no device is addressed before that.
    std::optional<UsbIds> Get() const {
        const std::lock_guard lock(mutex_);
        return ids_;
    }

private:
    mutable std::mutex mutex_;
    std::optional<UsbIds> ids_;
};

}  // namespace korvid::hid
