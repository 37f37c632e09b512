// The driver library's state and its seven operations, on a table of system
// calls. hiddriver_exports_win.cpp exports one instance built on the real
// system calls as the entry points of drivers/hiddriver.h; the tests under
// Wine build their own on a fake device list.
//
// Threads (see hiddriver.h): the host's window thread calls everything but
// SetFeature, which its worker thread calls, possibly at the same time; the
// monitor runs on a thread of its own. The IDs, the feature device and the
// monitor each keep their state under their own lock or on their own thread;
// nothing is shared without one.
//
// Results: nonzero for success, as the entry points return them. No
// exception leaves an operation: it becomes the operation's failure result
// and a debug line.
#pragma once

#include "hid/device_monitor_win.h"
#include "hid/feature_device_win.h"
#include "hid/hid_api_win.h"
#include "hid/selected_ids.h"

namespace korvid::hid {

class HidLibrary {
public:
    explicit HidLibrary(const HidApi& api)
        : api_(api),
          feature_(api),
          monitor_(api, ids_, [this](UsbIds ids, const CollectionNames& names) { feature_.Reopen(ids, names); }) {}
    ~HidLibrary() {
        (void)CloseDevMonitor();
        (void)CloseFeatureDevice();
    }
    HidLibrary(const HidLibrary&) = delete;
    HidLibrary& operator=(const HidLibrary&) = delete;

    // Selects the device every other call addresses. Before the first call
    // nothing is addressed: opening fails, and the monitor reports nothing.
    int SetVidPid(unsigned short vendorId, unsigned short productId);
    // The collections config.ini's [Device] section names, if any
    // (device_config_win.h); used from the next open or arrival on.
    void SetCollectionNames(CollectionNames names) { ids_.SetNames(std::move(names)); }

    // Starts the monitor thread (stopping one that runs); 0 when it could not
    // start. Posts go to `window`; none when it is null.
    int OpenDevMonitor(HWND window, UINT eventMsg, UINT connectionMsg);
    // Returns when the monitor thread has ended.
    int CloseDevMonitor();

    int OpenFeatureDevice();
    int CloseFeatureDevice();
    int SetFeature(const unsigned char* frame, int length);
    int GetFeature(unsigned char* buffer, int length);

    HWND monitorWindow() const { return monitor_.window(); }

private:
    const HidApi& api_;
    SelectedIds ids_;
    FeatureDevice feature_;
    DeviceMonitor monitor_;  // last: stopped before the IDs it reads go away
};

}  // namespace korvid::hid
