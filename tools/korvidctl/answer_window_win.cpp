#include "answer_window_win.h"

#include <algorithm>

#include "protocol/korvid_protocol.h"

namespace korvid::ctl {
namespace {

constexpr wchar_t kClassName[] = L"KorvidctlAnswerWindow";
// How often the wait looks whether the host window still exists.
constexpr DWORD kHostCheckMs = 200;

// What the window procedure saw; one answer window per process.
bool enableApplySeen = false;
bool closeSeen = false;

}  // namespace

LRESULT CALLBACK AnswerWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_UI_ENABLE_APPLY) {
        enableApplySeen = true;
        return 0;
    }
    if (message == WM_CLOSE) {
        closeSeen = true;  // recorded; the window stays until korvidctl is done
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateCustomizerTitledWindow(const wchar_t* className, WNDPROC windowProc) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    (void)RegisterClassExW(&windowClass);  // a failure shows as a failed CreateWindowExW
    return CreateWindowExW(WS_EX_TOOLWINDOW, className, kCustomizerWindowTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           instance, nullptr);
}

AnswerWindow::AnswerWindow() {
    enableApplySeen = false;
    closeSeen = false;
    window_ = CreateCustomizerTitledWindow(kClassName, &AnswerWindow::WindowProc);
}

AnswerWindow::~AnswerWindow() {
    if (window_ != nullptr) (void)DestroyWindow(window_);  // nothing to do about a failure
}

Answer AnswerWindow::Wait(HWND host, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (enableApplySeen) return Answer::kEnableApply;
        if (closeSeen) return Answer::kClosed;
        if (!IsWindow(host)) return Answer::kHostGone;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return Answer::kTimedOut;
        const DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kHostCheckMs));
        (void)MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_ALLINPUT);  // woken by a message or the time
    }
}

}  // namespace korvid::ctl
