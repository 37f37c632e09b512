// The window through which korvidctl answers as the customizer does: a
// hidden top-level window titled exactly like the customizer's main window,
// "QIV Brennox 2 Gaming mouse", so the host finds it by title and posts
// WM_UI_ENABLE_APPLY to it when the push that korvidctl asked for has ended.
// The host also posts WM_CLOSE to that title when the mouse is removed or the
// host shuts down; the window records it instead of closing.
//
// Created, waited on and destroyed on korvidctl's main thread.
#pragma once

#include <windows.h>

namespace korvid::ctl {

// A hidden top-level window of its own class titled like the customizer's
// main window (FindWindowW does not see message-only windows); nullptr when
// it cannot be created.
HWND CreateCustomizerTitledWindow(const wchar_t* className, WNDPROC windowProc);

enum class Answer {
    kEnableApply,  // WM_UI_ENABLE_APPLY arrived
    kClosed,       // WM_CLOSE arrived: the mouse is gone or the host is ending
    kHostGone,     // the host window disappeared
    kTimedOut,
};

class AnswerWindow {
public:
    AnswerWindow();
    ~AnswerWindow();
    AnswerWindow(const AnswerWindow&) = delete;
    AnswerWindow& operator=(const AnswerWindow&) = delete;

    bool Created() const { return window_ != nullptr; }

    // Pumps this thread's messages until an answer, for at most timeoutMs.
    Answer Wait(HWND host, DWORD timeoutMs);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};

}  // namespace korvid::ctl
