// Option.exe: the customizer. One instance per session: a second start brings
// the first one's window forward and ends with 0. It never creates the host's
// section mutex (the host's start-up fails when that name is taken); its own
// single-instance mutex has a name of its own.
//
//   Option.exe [--page N]   N = 1..8: open on that page (Profiles, DPI,
//                           Pointer, Program, Device, Buttons, Macros,
//                           Lighting); a second start with --page turns the
//                           first one's window to it.
//   Option.exe --import FILE [--ok]
//                           open with FILE (korvidctl export text) imported
//                           as unapplied edits, as the Import button does;
//                           with --ok, then press OK (apply, and close once
//                           the host confirms). A refused file applies
//                           nothing and shows why.
#include <windows.h>
// After <windows.h>:
#include <shellapi.h>

#include <cwchar>
#include <memory>

#include "base/framework_win.h"
#include "base/unique_resource_win.h"
#include "base/wide_text_win.h"
#include "config/data_folder.h"
#include "customizer/customizer_wnd_win.h"
#include "protocol/korvid_protocol.h"

namespace korvid {
namespace {

// How long a second instance looks for the first one's window (it may still
// be building it).
constexpr int kFindAttempts = 50;
constexpr DWORD kFindPauseMs = 100;

std::wstring InstallDir() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return ToWide(DirectoryOf(ToU16(path)));
}

// The page of "--page N" (0-based), or -1.
int PageArgument(const wchar_t* commandLine) {
    const wchar_t* option = std::wcsstr(commandLine, L"--page ");
    if (option == nullptr) return -1;
    const long page = std::wcstol(option + 7, nullptr, 10);
    return page >= 1 && page <= kPageCount ? static_cast<int>(page - 1) : -1;
}

struct ImportRequest {
    std::wstring path;  // empty: none
    bool ok = false;
};

// "--import FILE [--ok]", by the shell's rules for quoting.
ImportRequest ImportArgument(const wchar_t* commandLine) {
    ImportRequest request;
    if (commandLine == nullptr || *commandLine == L'\0') return request;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    if (arguments == nullptr) return request;
    for (int i = 0; i < count; ++i) {
        if (std::wcscmp(arguments[i], L"--import") == 0 && i + 1 < count) request.path = arguments[++i];
        if (std::wcscmp(arguments[i], L"--ok") == 0) request.ok = true;
    }
    (void)LocalFree(arguments);
    return request;
}

// The first instance's window (its title, owned by another process).
HWND OtherCustomizerWindow() {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, nullptr, kCustomizerWindowTitle)) != nullptr) {
        DWORD process = 0;
        (void)GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId()) return window;
    }
    return nullptr;
}

class CCustomizerApp : public CWinApp {
public:
    bool InitInstance() override {
        CreatedObject instance = CreateNamedMutex(kCustomizerInstanceMutexName);
        if (instance.alreadyExisted) {
            BringOtherForward(PageArgument(m_lpCmdLine));
            quitCode_ = 0;
            return false;
        }
        instanceMutex_ = std::move(instance.handle);
        window_ = std::make_unique<CCustomizerWnd>(InstallDir());
        m_pMainWnd = window_.get();
        if (!window_->Create(SW_SHOWNORMAL, PageArgument(m_lpCmdLine))) {
            quitCode_ = 1;
            return false;
        }
        const ImportRequest import = ImportArgument(m_lpCmdLine);
        if (!import.path.empty()) window_->ImportAtStart(import.path, import.ok);
        return true;
    }

    bool PreTranslateMessage(MSG& msg) override { return window_ != nullptr && window_->PreTranslate(msg); }

private:
    static void BringOtherForward(int page) {
        for (int attempt = 0; attempt < kFindAttempts; ++attempt) {
            if (HWND other = OtherCustomizerWindow()) {
                if (IsIconic(other)) (void)ShowWindow(other, SW_RESTORE);
                (void)SetForegroundWindow(other);
                if (page >= 0) (void)PostMessageW(other, WM_CUSTOMIZER_SHOW_PAGE, static_cast<WPARAM>(page), 0);
                return;
            }
            Sleep(kFindPauseMs);
        }
    }

    UniqueHandle instanceMutex_;
    std::unique_ptr<CCustomizerWnd> window_;
};

CCustomizerApp theApp;

}  // namespace
}  // namespace korvid

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    return korvid::AfxGetApp()->Run(instance, commandLine);
}
