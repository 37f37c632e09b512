// The least application framework the host needs, in the manner of MFC:
//   CWinApp  one application object per process, constructed before the entry
//            point runs; the entry calls InitInstance, runs the message loop
//            while it succeeded, then ExitInstance, whose result is the exit
//            code (also after a failed InitInstance).
//   CWnd     a window handle plus message-map dispatch. A derived window lists
//            its handlers in a static table (message, command id, member) and
//            overrides OnWndMsg with DispatchMessageMap; everything not in the
//            table gets DefWindowProcW. Destroying the application's main
//            window posts the quit message (0), which ends the loop.
// Everything here runs on the thread that created the window.
#pragma once

#include <windows.h>

#include <span>

namespace korvid {

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Registers a private window class (style 0, no cursor, brush or icon,
    // a name generated at run time) and creates the window. WM_CREATE reaches
    // the message map before this returns.
    bool CreateEx(DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width, int height);

protected:
    // Finds the handler of the message; false sends it to Default().
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The default processing of the message being handled.
    LRESULT Default();

    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT currentMessage_ = 0;
    WPARAM currentWParam_ = 0;
    LPARAM currentLParam_ = 0;
};

// One row of a message map. commandId is used only for WM_COMMAND rows.
template <typename T>
struct MessageMapEntry {
    UINT message;
    UINT commandId;
    LRESULT (T::*handler)(WPARAM, LPARAM);
};

template <typename T>
bool DispatchMessageMap(std::span<const MessageMapEntry<T>> map, T& window, UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT& result) {
    for (const MessageMapEntry<T>& entry : map) {
        if (entry.message != message) continue;
        if (message == WM_COMMAND && entry.commandId != LOWORD(wParam)) continue;
        result = (window.*entry.handler)(wParam, lParam);
        return true;
    }
    return false;
}

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp() = default;

    virtual bool InitInstance() { return true; }
    // A message the loop has taken, before it is translated and dispatched;
    // true when it has been handled (dialog keyboard navigation).
    virtual bool PreTranslateMessage(MSG&) { return false; }
    virtual int ExitInstance() { return quitCode_; }

    // The entry point's work: InitInstance, message loop, ExitInstance.
    int Run(HINSTANCE instance, const wchar_t* commandLine);

    HINSTANCE m_hInstance = nullptr;
    const wchar_t* m_lpCmdLine = L"";  // the arguments after the program name
    CWnd* m_pMainWnd = nullptr;

protected:
    int quitCode_ = 0;  // wParam of the quit message that ended the loop
};

CWinApp* AfxGetApp();

}  // namespace korvid
