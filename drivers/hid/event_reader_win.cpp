#include "hid/event_reader_win.h"

#include <algorithm>

#include "hid/device_path.h"
#include "hid/hid_enumeration_win.h"

namespace korvid::hid {

bool EventReader::Start(const std::wstring& path, std::size_t inputReportLength) {
    Stop();
    error_ = ERROR_INVALID_PARAMETER;
    if (inputReportLength == 0) return false;
    completion_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    error_ = GetLastError();
    if (!completion_) return false;
    device_ = OpenCollection(api_, path, true);
    error_ = device_ ? 0 : GetLastError();
    buffer_.assign(inputReportLength, 0);
    key_ = InterfaceKey(path);
    if (!device_ || !StartRead()) {
        device_.reset();  // no read in flight
        Stop();
        return false;
    }
    return true;
}

bool EventReader::StartRead() {
    (void)ResetEvent(completion_.get());  // cannot fail for an event we own
    overlapped_ = {};
    overlapped_.hEvent = completion_.get();
    // A read that completes at once signals the event as well.
    if (api_.ReadFile(device_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), nullptr, &overlapped_)) {
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) return true;
    error_ = error;
    return false;
}

std::optional<std::vector<std::uint8_t>> EventReader::TakeReport() {
    if (!running()) return std::nullopt;
    error_ = 0;
    DWORD transferred = 0;
    if (!api_.GetOverlappedResult(device_.get(), &overlapped_, &transferred, FALSE)) {
        // ERROR_IO_INCOMPLETE cannot happen after the event was signalled.
        error_ = GetLastError();
        device_.reset();
        Stop();
        return std::nullopt;
    }
    std::vector<std::uint8_t> report(buffer_.begin(),
                                     buffer_.begin() + std::min<std::size_t>(transferred, buffer_.size()));
    if (!StartRead()) {
        device_.reset();
        Stop();
    }
    return report;
}

void EventReader::Stop() {
    if (device_) {
        // Completed or not, the read is over once GetOverlappedResult has
        // waited for it; CancelIoEx fails when there is nothing to cancel.
        (void)api_.CancelIoEx(device_.get(), &overlapped_);
        DWORD transferred = 0;
        (void)api_.GetOverlappedResult(device_.get(), &overlapped_, &transferred, TRUE);
        device_.reset();
    }
    completion_.reset();
    buffer_.clear();
    key_.clear();
}

}  // namespace korvid::hid
