// The mouse's configuration collection, open for feature reports.
//
// Threads: the host's window thread opens and closes it (start-up, attach,
// removal, shut-down) while its worker thread sends frames with Send; the
// monitor thread reopens it when the collection comes back (Reopen). The lock
// guards only which device is open; a report under way holds its own
// reference to the device, so Close never waits for it: Close cancels the
// report and the handle is closed when the report has ended. A report the
// device does not answer is cancelled after kFeatureReportTimeout, so a send
// never blocks for longer than that.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hid/collection_choice.h"
#include "hid/device_path.h"
#include "hid/hid_api_win.h"

namespace korvid::hid {

inline constexpr std::chrono::milliseconds kFeatureReportTimeout{1000};

class FeatureDevice {
public:
    explicit FeatureDevice(const HidApi& api) : api_(api) {}

    // Closes what is open, then opens the first frame candidate of `ids`
    // (collection_choice.h) that opens, for reading and writing or else
    // without access. Each candidate gets a debug line. False when none
    // opened.
    bool Open(UsbIds ids, const CollectionNames& names);
    // Opens again when the host has the device open (Open succeeded and no
    // Close since): for a configuration collection that the system removed
    // and announced again while the device stayed attached.
    void Reopen(UsbIds ids, const CollectionNames& names);
    void Close();

    // One frame as one feature report, padded to the collection's length.
    // False without an open device, for an empty frame or one longer than the
    // report, and when the device does not take it in time.
    bool Send(const unsigned char* frame, int length);

    // One feature report into buffer: buffer[0] names the report ID; the report
    // (report ID first) is copied up to `length` bytes. The number of bytes
    // copied, 0 on failure.
    int Receive(unsigned char* buffer, int length);

private:
    struct Opened;  // an open collection: handle, path, report length

    std::shared_ptr<Opened> Find(UsbIds ids, const CollectionNames& names) const;
    // Installs `device` (closing the one open) when `onlyIfWanted` is false
    // or the host still has the device open.
    void Install(std::shared_ptr<Opened> device, bool onlyIfWanted);
    bool SendReport(Opened& device, std::vector<std::uint8_t>& report);

    const HidApi& api_;
    std::mutex mutex_;  // guards the members below
    std::shared_ptr<Opened> device_;
    bool wanted_ = false;  // opened by the host and not closed since
};

}  // namespace korvid::hid
