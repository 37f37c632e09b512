#include "customizer/host_connection_win.h"

#include <cstring>
#include <memory>

#include "config/image_repair.h"
#include "protocol/korvid_protocol.h"

namespace korvid {

bool HostConnection::Open() {
    Close();
    window_ = FindWindowW(nullptr, kHostWindowTitle);
    if (window_ == nullptr) return false;
    mutex_.reset(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kSectionMutexName));
    mapping_.reset(OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, kSectionName));
    if (mapping_) view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kImageSize));
    if (!Connected()) Close();
    return Connected();
}

void HostConnection::Close() {
    view_.reset();
    mapping_.reset();
    mutex_.reset();
    window_ = nullptr;
}

HWND HostConnection::HostWindow() const { return FindWindowW(nullptr, kHostWindowTitle); }

SectionResult HostConnection::Read(ShareData& image) {
    const SectionResult result = Exchange([&](ShareData& section) {
        image = section;
        return false;  // a read leaves the section as it was
    });
    return result == SectionResult::kStepFailed ? SectionResult::kDone : result;
}

SectionResult HostConnection::Exchange(const std::function<bool(ShareData& image)>& step) {
    if (!Connected()) return SectionResult::kNoHost;
    const MutexGuard guard(mutex_.get(), kSectionWaitMs);
    if (!guard.acquired()) return guard.timedOut() ? SectionResult::kTimedOut : SectionResult::kNoHost;
    auto image = std::make_unique<ShareData>();
    std::memcpy(image.get(), view_.get(), kImageSize);
    (void)RepairImage(*image);  // any process may write the section: what it held is used as repaired
    if (!step(*image)) return SectionResult::kStepFailed;
    std::memcpy(view_.get(), image.get(), kImageSize);
    return SectionResult::kDone;
}

}  // namespace korvid
