#include "customizer_driver_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "base/child_window_win.h"
#include "customizer/control_ids.h"
#include "host_test_fixture_win.h"
#include "recorder_window_win.h"
#include "suite_programs_win.h"

namespace korvid::e2e {
namespace {

constexpr UINT kSendTimeoutMs = 10000;

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr) {
    DWORD_PTR answer = 0;
    if (window == nullptr ||
        SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &answer) == 0) {
        return false;
    }
    if (result != nullptr) *result = static_cast<LRESULT>(answer);
    return true;
}

}  // namespace

std::wstring BuiltCustomizer() {
#ifdef KORVID_OPTION_EXE_PATH
    return WinePath(KORVID_OPTION_EXE_PATH);
#else
    return {};
#endif
}

bool StageCustomizer(const InstallFolder& install) {
    return CopyFileW(BuiltCustomizer().c_str(), (install.InstallDir() + kCustomizerExeName).c_str(), FALSE) != 0;
}

HWND CustomizerWindow::Control(int id) const { return FindDescendant(window_, id); }

bool CustomizerWindow::SetText(int id, const std::wstring& text) const {
    return Send(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring CustomizerWindow::Text(int id) const {
    wchar_t text[1024] = {};
    LRESULT length = 0;
    if (!Send(Control(id), WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), &length)) return L"<no answer>";
    return std::wstring(text, static_cast<std::size_t>(length));
}

bool CustomizerWindow::Click(int id) const { return Send(Control(id), BM_CLICK, 0, 0); }

bool CustomizerWindow::Select(int id, int index) const {
    HWND control = Control(id);
    return Send(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0) &&
           Send(GetParent(control), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
}

bool CustomizerWindow::SelectListItem(int id, int index) const {
    HWND control = Control(id);
    return Send(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0) &&
           Send(GetParent(control), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
}

bool CustomizerWindow::Key(int id, UINT virtualKey, bool down, UINT scanCode, bool extended) const {
    LPARAM data = 1 | static_cast<LPARAM>((scanCode & 0xFF) << 16) | (extended ? LPARAM{1} << 24 : 0);
    if (!down) data |= LPARAM{3} << 30;  // previous state down, transition up
    return Send(Control(id), down ? WM_KEYDOWN : WM_KEYUP, virtualKey, data);
}

bool CustomizerWindow::ShowPage(int page) const {
    return Send(window_, WM_CUSTOMIZER_SHOW_PAGE, static_cast<WPARAM>(page), 0);
}

int CustomizerWindow::Selected(int id) const {
    LRESULT selected = -1;
    return Send(Control(id), CB_GETCURSEL, 0, 0, &selected) ? static_cast<int>(selected) : -2;
}

bool CustomizerWindow::Checked(int id) const {
    LRESULT state = 0;
    return Send(Control(id), BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

bool CustomizerWindow::Enabled(int id) const { return IsWindowEnabled(Control(id)) != 0; }

bool CustomizerWindow::Visible(int id) const { return IsWindowVisible(Control(id)) != 0; }

std::wstring CustomizerWindow::Status() const {
    HWND bar = FindWindowExW(window_, nullptr, STATUSCLASSNAMEW, nullptr);
    wchar_t text[1024] = {};
    LRESULT length = 0;
    if (!Send(bar, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), &length)) return L"<no answer>";
    return std::wstring(text, static_cast<std::size_t>(length));
}

CustomizerRun StartCustomizer(const InstallFolder& install, const std::wstring& arguments) {
    CustomizerRun run;
    run.process = ChildProcess::Start(install.InstallDir() + kCustomizerExeName, {arguments, {}});
    if (run.process == nullptr) return run;
    (void)PollUntil(
        [&] {
            HWND window = FindWindowOf(kCustomizerWindowTitle, run.process->Id());
            DWORD_PTR ignored = 0;
            if (window == nullptr ||
                SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &ignored) == 0) {
                return false;
            }
            run.window = window;
            return true;
        },
        kStartTimeoutMs);
    return run;
}

std::wstring DraftPath() { return HostDataFolder() + L"\\Draft.data"; }

void CustomizerHostTest::SetUp() {
    if (BuiltCustomizer().empty()) GTEST_SKIP() << "Option.exe is not part of this build";
    HostTest::SetUp();
    customizer_.reset();  // the real customizer carries the title here
    ASSERT_TRUE(StageCustomizer(install_));
    (void)DeleteFileW(DraftPath().c_str());
}

}  // namespace korvid::e2e
