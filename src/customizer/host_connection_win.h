// The customizer's side of the exchange with the host: the host window, the
// section mutex and the shared section, opened (never created: a customizer
// that created the mutex would stop the next host from starting) and used
// only with a bounded wait, on the window thread.
//
//   Open()       finds all three; Connected() says whether they are there.
//   Read()       a copy of the section taken under the mutex, repaired.
//   Exchange()   under the mutex: the section's image (repaired) goes to the
//                caller's step, which may change it and save Config.data;
//                only when the step returns true is the image written back.
// A wait that runs out leaves the section alone and reports kTimedOut, so the
// window keeps the person's edits and says so.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "base/unique_resource_win.h"
#include "config/share_data.h"

namespace korvid {

// How long the window thread waits for the section mutex at most; the host
// holds it only for whole-image copies.
inline constexpr DWORD kSectionWaitMs = 2000;

enum class SectionResult { kDone, kTimedOut, kNoHost, kStepFailed };

class HostConnection {
public:
    // Opens the host window, the mutex and the section if all three exist;
    // otherwise the connection stays closed.
    bool Open();
    void Close();
    bool Connected() const { return window_ != nullptr && mutex_ && view_; }
    // The host window, looked up anew (the host may have ended).
    HWND HostWindow() const;

    SectionResult Read(ShareData& image);
    SectionResult Exchange(const std::function<bool(ShareData& image)>& step);

private:
    HWND window_ = nullptr;
    UniqueHandle mutex_;
    UniqueHandle mapping_;
    UniqueMappedView view_;
};

}  // namespace korvid
