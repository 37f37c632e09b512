#include "runtime/foreground_switch_win.h"

#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include "base/unique_resource_win.h"
#include "runtime/program_match.h"

namespace korvid {
namespace {

bool EqualsIgnoringCase(const char16_t* processName, const char16_t* boundName) {
    return lstrcmpiW(reinterpret_cast<const wchar_t*>(processName), reinterpret_cast<const wchar_t*>(boundName)) == 0;
}

// The executable file name of the process, as the snapshot reports it.
bool ProcessExecutableName(DWORD processId, wchar_t (&name)[MAX_PATH]) {
    const UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID != processId) continue;
        lstrcpynW(name, entry.szExeFile, MAX_PATH);
        return true;
    }
    return false;
}

}  // namespace

std::optional<int> ProfileForForegroundProgram(const WorkingCopy& working) {
    HWND foreground = GetForegroundWindow();
    if (foreground == nullptr) return std::nullopt;
    DWORD processId = 0;
    (void)GetWindowThreadProcessId(foreground, &processId);
    wchar_t name[MAX_PATH] = {};
    if (!ProcessExecutableName(processId, name)) return std::nullopt;
    return working.Read([&](const ShareData& image) {
        return ProfileToActivate(image, reinterpret_cast<const char16_t*>(name), &EqualsIgnoringCase);
    });
}

}  // namespace korvid
