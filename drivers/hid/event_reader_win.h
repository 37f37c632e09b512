// Reads input reports from the mouse's event collection with overlapped I/O,
// one read pending at a time, so that the monitor thread can wait for a
// report and for window messages at once (MsgWaitForMultipleObjectsEx).
// Owned and used by the monitor thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/unique_resource_win.h"
#include "hid/hid_api_win.h"

namespace korvid::hid {

class EventReader {
public:
    explicit EventReader(const HidApi& api) : api_(api) {}
    ~EventReader() { Stop(); }
    EventReader(const EventReader&) = delete;
    EventReader& operator=(const EventReader&) = delete;

    // Opens the collection and starts the first read. False (and not running)
    // when it cannot be opened or read.
    bool Start(const std::wstring& path, std::size_t inputReportLength);
    // Cancels the pending read and waits for the cancellation before the
    // buffer and the handle go away.
    void Stop();

    bool running() const { return static_cast<bool>(device_); }
    // InterfaceKey of the collection being read; empty when not running.
    const std::wstring& key() const { return key_; }
    // Signalled when the pending read has completed; null when not running.
    HANDLE completion() const { return running() ? completion_.get() : nullptr; }

    // After completion() was signalled: the report that was read (empty when
    // the read returned nothing), and the next read started. Nothing when the
    // read failed; the reader has then stopped and error() tells why.
    std::optional<std::vector<std::uint8_t>> TakeReport();
    // The system error of the last failed start or read; 0 when none failed.
    DWORD error() const { return error_; }

private:
    bool StartRead();

    const HidApi& api_;
    // While the device is open, a read is in flight or has completed and not
    // been taken; a failed read closes it at once.
    DeviceHandle device_;
    UniqueHandle completion_;  // manual-reset event
    OVERLAPPED overlapped_{};
    std::vector<std::uint8_t> buffer_;
    std::wstring key_;
    DWORD error_ = 0;
};

}  // namespace korvid::hid
