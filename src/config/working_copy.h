// The host's working copy of the configuration, shared by the window thread
// (reloads from the section, device events, profile switches, pointer
// settings) and the worker thread (pushes). Every access goes through Read or
// Write, which hold the lock only for the callback: callers copy or change a
// few fields, or copy the whole image, and never send frames or wait on
// anything while holding it. The image is 83,684 bytes, so the object lives on
// the heap of its owner, never on a stack.
#pragma once

#include <mutex>
#include <utility>

#include "config/share_data.h"

namespace korvid {

class WorkingCopy {
public:
    template <typename F>
    decltype(auto) Read(F&& f) const {
        std::lock_guard lock(mutex_);
        return std::forward<F>(f)(static_cast<const ShareData&>(image_));
    }
    template <typename F>
    decltype(auto) Write(F&& f) {
        std::lock_guard lock(mutex_);
        return std::forward<F>(f)(image_);
    }
    void CopyTo(ShareData& out) const {
        Read([&](const ShareData& image) { out = image; });
    }

private:
    mutable std::mutex mutex_;
    ShareData image_{};
};

}  // namespace korvid
