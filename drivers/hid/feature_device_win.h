// The mouse's configuration collection, open for feature reports.
//
// Threads: the host's window thread opens and closes it (start-up, attach,
// removal, shut-down) while its worker thread sends frames with Send. Every
// member function takes the lock, so a frame is never written to a handle
// that is being replaced or closed; Close waits for a Send under way.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

#include "hid/device_path.h"
#include "hid/hid_api_win.h"

namespace korvid::hid {

class FeatureDevice {
public:
    explicit FeatureDevice(const HidApi& api) : api_(api) {}

    // Closes what is open, then opens the first present collection of `ids`
    // whose feature reports can carry every frame. Collections that cannot be
    // opened (gone since the enumeration, or held by another program) are
    // passed over. False when none was found.
    bool Open(UsbIds ids);
    void Close();

    // One frame as one feature report, padded to the collection's length.
    // False without an open device, for an empty frame or one longer than the
    // report, and when the device does not take it.
    bool Send(const unsigned char* frame, int length);

    // One feature report into buffer: buffer[0] names the report ID; the report
    // (report ID first) is copied up to `length` bytes. The number of bytes
    // copied, 0 on failure.
    int Receive(unsigned char* buffer, int length);

private:
    const HidApi& api_;
    std::mutex mutex_;  // guards the two members below
    DeviceHandle device_;
    std::size_t reportLength_ = 0;
};

}  // namespace korvid::hid
