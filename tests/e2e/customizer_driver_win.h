// Driving the real Option.exe from a test, as a person would through its
// controls, but by control ID (customizer/control_ids.h) with cross-process
// messages: WM_SETTEXT into an edit (its EN_CHANGE follows), BM_CLICK on a
// button, CB_SETCURSEL plus CBN_SELCHANGE on a combo box. Every send is
// bounded; a window that does not answer fails the call, not the test run.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "e2e_harness_win.h"
#include "host_test_fixture_win.h"
#include "staging_win.h"

namespace korvid::e2e {

// The built Option.exe; empty while the build has none.
std::wstring BuiltCustomizer();
// Copies it into the install folder as Option.exe.
bool StageCustomizer(const InstallFolder& install);

class CustomizerWindow {
public:
    explicit CustomizerWindow(HWND window) : window_(window) {}

    HWND Window() const { return window_; }
    // The descendant with this control ID, or nullptr.
    HWND Control(int id) const;

    bool SetText(int id, const std::wstring& text) const;
    std::wstring Text(int id) const;
    bool Click(int id) const;
    bool Select(int id, int index) const;
    // The same for a list box (LB_SETCURSEL plus LBN_SELCHANGE).
    bool SelectListItem(int id, int index) const;
    // A key message straight to the control, as a keyboard with the focus
    // there would send it: WM_KEYDOWN or WM_KEYUP with the scan code and the
    // extended-key bit in lParam.
    bool Key(int id, UINT virtualKey, bool down, UINT scanCode = 0, bool extended = false) const;
    // Shows page index (0-based), as Ctrl+Tab would.
    bool ShowPage(int page) const;
    int Selected(int id) const;
    bool Checked(int id) const;
    bool Enabled(int id) const;
    bool Visible(int id) const;
    // The status bar's sentence.
    std::wstring Status() const;

private:
    HWND window_;
};

// Starts Option.exe from the install folder (arguments after the name) and
// waits until its window answers; nullptr process when it could not start.
struct CustomizerRun {
    std::unique_ptr<ChildProcess> process;
    HWND window = nullptr;
};
CustomizerRun StartCustomizer(const InstallFolder& install, const std::wstring& arguments = {});

// Whether a status text holds a part, and the text for a failure message.
inline bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }
inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// "<data folder>\Draft.data".
std::wstring DraftPath();

// The host tests' fixture with the real Option.exe staged in the install
// folder (the tests skip themselves without it) and no Draft.data left over.
class CustomizerHostTest : public HostTest {
protected:
    void SetUp() override;
};

}  // namespace korvid::e2e
