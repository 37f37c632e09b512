#include "hid/feature_device_win.h"

#include <winioctl.h>
// after winioctl.h
extern "C" {
#include <hidclass.h>
}

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <span>
#include <utility>

#include "base/unique_resource_win.h"
#include "hid/feature_report.h"
#include "hid/hid_enumeration_win.h"

namespace korvid::hid {

struct FeatureDevice::Opened {
    DeviceHandle handle;
    std::wstring path;
    std::size_t reportLength = 0;
    std::atomic<bool> refusalReported{false};  // only the first refused report gets a debug line
};

namespace {

// A manual-reset event for one overlapped call, closed on every path.
class CallEvent {
public:
    CallEvent() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    HANDLE get() const { return event_.get(); }

private:
    UniqueHandle event_;
};

}  // namespace

bool FeatureDevice::Open(UsbIds ids, const CollectionNames& names) {
    Close();
    // Enumerating and asking the collections may take a while; the lock is
    // taken only to install the result.
    std::shared_ptr<Opened> device = Find(ids, names);
    if (!device) return false;
    Install(std::move(device), false);
    return true;
}

void FeatureDevice::Reopen(UsbIds ids, const CollectionNames& names) {
    {
        const std::lock_guard lock(mutex_);
        if (!wanted_) return;
    }
    DebugLine(api_, L"the configuration collection came back; opening it again");
    if (std::shared_ptr<Opened> device = Find(ids, names)) Install(std::move(device), true);
}

std::shared_ptr<FeatureDevice::Opened> FeatureDevice::Find(UsbIds ids, const CollectionNames& names) const {
    const std::vector<CollectionDeclaration> collections = DeclaredCollections(api_, ids);
    const CollectionChoice choice = ChooseCollections(collections, ids, names);
    for (std::size_t i = 0; i < collections.size(); ++i) {
        if (std::find(choice.frameCandidates.begin(), choice.frameCandidates.end(), i) !=
            choice.frameCandidates.end()) {
            continue;  // told below, when it is tried
        }
        DebugCollection(api_, collections[i], choice.frameVerdicts[i]);
    }
    for (const std::size_t index : choice.frameCandidates) {
        const CollectionDeclaration& c = collections[index];
        FeatureOpen open = OpenForFeatureReports(api_, c.path);
        if (!open.handle) {
            DebugCollection(api_, c, L"frames: skipped, CreateFileW failed with error " + ErrorText(open.error));
            continue;
        }
        std::wstring how = L"read/write";
        if (open.zeroAccess) {
            how = L"without access (read/write refused with error " + ErrorText(open.readWriteError) + L")";
        }
        DebugCollection(api_, c, L"frames: taken, opened " + how);
        auto device = std::make_shared<Opened>();
        device->handle = std::move(open.handle);
        device->path = c.path;
        device->reportLength = c.featureReportLength;
        return device;
    }
    DebugLine(api_, L"no collection for frames is present");
    return nullptr;
}

void FeatureDevice::Install(std::shared_ptr<Opened> device, bool onlyIfWanted) {
    std::shared_ptr<Opened> old;
    {
        const std::lock_guard lock(mutex_);
        if (onlyIfWanted && !wanted_) return;
        old = std::exchange(device_, std::move(device));
        wanted_ = true;
    }
    // A report under way on the old handle ends now; the handle is closed
    // when its last user lets go.
    if (old) (void)api_.CancelIoEx(old->handle.get(), nullptr);  // fails when nothing is under way
}

void FeatureDevice::Close() {
    std::shared_ptr<Opened> old;
    {
        const std::lock_guard lock(mutex_);
        old = std::exchange(device_, nullptr);
        wanted_ = false;
    }
    if (old) (void)api_.CancelIoEx(old->handle.get(), nullptr);  // fails when nothing is under way
}

bool FeatureDevice::Send(const unsigned char* frame, int length) {
    if (frame == nullptr || length <= 0) return false;
    std::shared_ptr<Opened> device;
    {
        const std::lock_guard lock(mutex_);
        device = device_;
    }
    if (!device) return false;
    std::optional<std::vector<std::uint8_t>> report =
        FeatureReportFromFrame(std::span(frame, static_cast<std::size_t>(length)), device->reportLength);
    if (!report) return false;
    return SendReport(*device, *report);
}

bool FeatureDevice::SendReport(Opened& device, std::vector<std::uint8_t>& report) {
    const CallEvent event;
    DWORD error = 0;
    if (event.get() == nullptr) {
        error = GetLastError();
    } else {
        OVERLAPPED overlapped{};
        overlapped.hEvent = event.get();
        DWORD returned = 0;
        if (!api_.DeviceIoControl(device.handle.get(), IOCTL_HID_SET_FEATURE, report.data(),
                                  static_cast<DWORD>(report.size()), nullptr, 0, &returned, &overlapped)) {
            error = GetLastError();
            if (error == ERROR_IO_PENDING) {
                const DWORD waited =
                    WaitForSingleObject(event.get(), static_cast<DWORD>(kFeatureReportTimeout.count()));
                // Not answered in time (or closed meanwhile): cancel, then wait
                // for the cancellation before the buffer goes.
                if (waited != WAIT_OBJECT_0) (void)api_.CancelIoEx(device.handle.get(), &overlapped);
                error =
                    api_.GetOverlappedResult(device.handle.get(), &overlapped, &returned, TRUE) ? 0 : GetLastError();
                if (waited == WAIT_TIMEOUT && error == ERROR_OPERATION_ABORTED) error = WAIT_TIMEOUT;
            }
        }
    }
    if (error == 0) return true;
    if (!device.refusalReported.exchange(true)) {
        const std::string id = ReportIdsText(std::span(report.data(), 1));
        DebugLine(api_, device.path + L": SetFeature of report " + std::wstring(id.begin(), id.end()) +
                            L" failed with error " + ErrorText(error) + L"; later failures are not reported");
    }
    return false;
}

int FeatureDevice::Receive(unsigned char* buffer, int length) {
    if (buffer == nullptr || length <= 0) return 0;
    std::shared_ptr<Opened> device;
    {
        const std::lock_guard lock(mutex_);
        device = device_;
    }
    if (!device) return 0;
    std::vector<std::uint8_t> report(device->reportLength, 0);
    report[0] = buffer[0];
    if (!api_.HidD_GetFeature(device->handle.get(), report.data(), static_cast<ULONG>(report.size()))) return 0;
    const std::size_t copied = std::min(report.size(), static_cast<std::size_t>(length));
    std::memcpy(buffer, report.data(), copied);
    return static_cast<int>(copied);
}

}  // namespace korvid::hid
