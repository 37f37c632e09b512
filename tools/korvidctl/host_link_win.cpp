#include "host_link_win.h"

#include <cstring>
#include <memory>

#include "config/image_repair.h"
#include "console_win.h"
#include "protocol/korvid_protocol.h"

namespace korvid::ctl {
namespace {

std::string HostWindowName() { return "the host window \"" + ToUtf8(kHostWindowTitle) + "\""; }

}  // namespace

HWND FindHostWindowOrReport() {
    HWND host = FindWindowW(nullptr, kHostWindowTitle);
    if (host == nullptr) Err("no host running: missing " + HostWindowName());
    return host;
}

HostLink HostLink::Find(bool needWindow) {
    HostLink link;
    link.needWindow_ = needWindow;
    link.window_ = FindWindowW(nullptr, kHostWindowTitle);
    link.mutex_.reset(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kSectionMutexName));
    link.mapping_.reset(OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, kSectionName));
    if (link.mapping_) {
        link.view_.reset(MapViewOfFile(link.mapping_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kImageSize));
    }
    return link;
}

std::string HostLink::Missing() const {
    std::string missing;
    const auto add = [&](const std::string& what) { missing += (missing.empty() ? "" : ", ") + what; };
    if (needWindow_ && window_ == nullptr) add(HostWindowName());
    if (!mutex_) add("the section mutex \"" + ToUtf8(kSectionMutexName) + "\"");
    if (!mapping_) {
        add("the shared section \"" + ToUtf8(kSectionName) + "\"");
    } else if (!view_) {
        add("a view of the shared section \"" + ToUtf8(kSectionName) + "\" (smaller than an image?)");
    }
    return missing;
}

bool HostLink::WithImage(const std::function<bool(ShareData& image)>& use, std::string& error) {
    // An abandoned mutex is ours all the same; what we read is repaired.
    const MutexGuard lock(mutex_.get(), kMutexTimeoutMs);
    if (!lock.acquired()) {
        error = lock.timedOut() ? "the section mutex was not released within 30 s"
                                : SystemErrorMessage("waiting for the section mutex", kSectionMutexName, lock.error());
        return false;
    }
    auto image = std::make_unique<ShareData>();
    std::memcpy(image.get(), view_.get(), kImageSize);
    (void)RepairImage(*image);  // the image is used as repaired; nothing to report
    if (use(*image)) std::memcpy(view_.get(), image.get(), kImageSize);
    return true;
}

}  // namespace korvid::ctl
