// What the library addresses: the vendor and product IDs set by Set_VIDPID,
// and the collections named in config.ini's [Device] section. Written by the
// host's window thread, read there (opening the device) and by the monitor
// thread (matching arrivals); the lock keeps each value whole.
#pragma once

#include <mutex>
#include <optional>

#include "hid/collection_choice.h"
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

    void SetNames(CollectionNames names) {
        const std::lock_guard lock(mutex_);
        names_ = std::move(names);
    }
    CollectionNames names() const {
        const std::lock_guard lock(mutex_);
        return names_;
    }

private:
    mutable std::mutex mutex_;
    std::optional<UsbIds> ids_;
    CollectionNames names_;
};

}  // namespace korvid::hid
