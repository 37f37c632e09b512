// The other programs of the suite, found relative to the install folder: the
// customizer (Option.exe, found by its window title), the on-screen display
// and the two applets. The host keeps no handle to any of them.
#pragma once

#include <windows.h>

#include <string>

namespace korvid {

HWND FindCustomizerWindow();
HWND FindOsdWindow();

// Posts to the customizer when its window exists; false when it does not.
bool PostToCustomizer(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Tells the customizer that its OK/Apply buttons may be enabled again
// (WM_UI_ENABLE_APPLY), then writes doneLine to the debugger output.
void EnableCustomizerApply(const wchar_t* doneLine);

// Brings the customizer's window to the front, or launches folder\Option.exe
// when it has none. folder ends with a backslash.
void BringUpOrLaunchCustomizer(const std::wstring& folder);

// The on-screen display and the applets, started and forgotten.
void StartCompanionPrograms(const std::wstring& installDir);

// Drive and directory of this process's executable, ending with a backslash.
std::wstring ExecutableDirectory();

}  // namespace korvid
