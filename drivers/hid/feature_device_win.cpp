#include "hid/feature_device_win.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "hid/feature_report.h"
#include "hid/hid_enumeration_win.h"

namespace korvid::hid {

bool FeatureDevice::Open(UsbIds ids) {
    Close();
    // Enumerating and asking the collections may take a while; the lock is
    // taken only to install the result.
    for (const std::wstring& path : EnumerateHidInterfaces(api_)) {
        const std::optional<CollectionInfo> info = QueryCollection(api_, path);
        if (!info || info->ids != ids || !CanCarryEveryFrame(info->featureReportLength)) continue;
        DeviceHandle device = OpenCollection(api_, path, false);
        if (!device) continue;
        const std::lock_guard lock(mutex_);
        device_ = std::move(device);
        reportLength_ = info->featureReportLength;
        return true;
    }
    return false;
}

void FeatureDevice::Close() {
    const std::lock_guard lock(mutex_);
    device_.reset();
    reportLength_ = 0;
}

bool FeatureDevice::Send(const unsigned char* frame, int length) {
    if (frame == nullptr || length <= 0) return false;
    const std::lock_guard lock(mutex_);
    if (!device_) return false;
    std::optional<std::vector<std::uint8_t>> report =
        FeatureReportFromFrame(std::span(frame, static_cast<std::size_t>(length)), reportLength_);
    if (!report) return false;
    return api_.HidD_SetFeature(device_.get(), report->data(), static_cast<ULONG>(report->size())) != FALSE;
}

int FeatureDevice::Receive(unsigned char* buffer, int length) {
    if (buffer == nullptr || length <= 0) return 0;
    const std::lock_guard lock(mutex_);
    if (!device_) return 0;
    std::vector<std::uint8_t> report(reportLength_, 0);
    report[0] = buffer[0];
    if (!api_.HidD_GetFeature(device_.get(), report.data(), static_cast<ULONG>(report.size()))) return 0;
    const std::size_t copied = std::min(report.size(), static_cast<std::size_t>(length));
    std::memcpy(buffer, report.data(), copied);
    return static_cast<int>(copied);
}

}  // namespace korvid::hid
