// The host's named objects as korvidctl sees them: the host window, the
// section mutex and the shared section. korvidctl only opens them, never
// creates them: a customizer-side program that created the mutex first would
// stop the next host from starting.
//
// Every wait here is bounded; korvidctl is a client and must never hang on a
// host that holds the mutex forever.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/unique_resource_win.h"
#include "config/share_data.h"
#include "protocol/korvid_protocol.h"

namespace korvid::ctl {

inline constexpr DWORD kMutexTimeoutMs = 30000;

// The host window, found by its title; null, after "no host running: missing
// the host window ..." on stderr, when there is none.
HWND FindHostWindowOrReport();

class HostLink {
public:
    // Opens what exists; needWindow says whether the host window is required.
    static HostLink Find(bool needWindow);

    // "" when everything needed is there; otherwise which objects are missing,
    // by name, for the message of exit code 2.
    std::string Missing() const;

    HWND Window() const { return window_; }

    // Runs use(image) with the section mutex held: the image is a copy of the
    // section, repaired; when use returns true the image is written back
    // before the mutex is released. False when the mutex was not obtained in
    // time (error says why).
    bool WithImage(const std::function<bool(ShareData& image)>& use, std::string& error);

private:
    bool needWindow_ = false;
    HWND window_ = nullptr;
    UniqueHandle mutex_;
    UniqueHandle mapping_;
    UniqueMappedView view_;
};

}  // namespace korvid::ctl
