#include "base/framework_win.h"

#include <cwchar>

namespace korvid {
namespace {

CWinApp* theApp = nullptr;
thread_local CWnd* windowBeingCreated = nullptr;

}  // namespace

CWinApp* AfxGetApp() { return theApp; }

CWinApp::CWinApp() { theApp = this; }

int CWinApp::Run(HINSTANCE instance, const wchar_t* commandLine) {
    m_hInstance = instance;
    m_lpCmdLine = commandLine != nullptr ? commandLine : L"";
    if (InitInstance()) {
        MSG msg;
        BOOL got;
        while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
            if (got == -1) break;
            if (PreTranslateMessage(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (got == 0) quitCode_ = static_cast<int>(msg.wParam);
    }
    return ExitInstance();
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width, int height) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    wchar_t className[64];
    (void)std::swprintf(className, 64, L"KorvidWnd:%p", static_cast<void*>(this));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &CWnd::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (RegisterClassExW(&wc) == 0) return false;

    windowBeingCreated = this;
    HWND hwnd =
        CreateWindowExW(exStyle, className, title, style, x, y, width, height, nullptr, nullptr, instance, nullptr);
    windowBeingCreated = nullptr;
    return hwnd != nullptr;
}

bool CWnd::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CWnd::Default() { return DefWindowProcW(m_hWnd, currentMessage_, currentWParam_, currentLParam_); }

LRESULT CALLBACK CWnd::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* wnd = reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (wnd == nullptr && windowBeingCreated != nullptr) {
        wnd = windowBeingCreated;
        wnd->m_hWnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(wnd));
    }
    if (wnd == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);

    const UINT savedMessage = wnd->currentMessage_;
    const WPARAM savedWParam = wnd->currentWParam_;
    const LPARAM savedLParam = wnd->currentLParam_;
    wnd->currentMessage_ = message;
    wnd->currentWParam_ = wParam;
    wnd->currentLParam_ = lParam;
    LRESULT result = 0;
    if (!wnd->OnWndMsg(message, wParam, lParam, result)) result = DefWindowProcW(hwnd, message, wParam, lParam);
    wnd->currentMessage_ = savedMessage;
    wnd->currentWParam_ = savedWParam;
    wnd->currentLParam_ = savedLParam;

    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        wnd->m_hWnd = nullptr;
        if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == wnd) PostQuitMessage(0);
    }
    return result;
}

}  // namespace korvid
