// The programs Korvid.exe starts, as the tests see them: copies of the
// stand-in program (korvid_test_program) staged under the names the host
// starts, the log in which every start leaves a line, and the processes and
// windows they leave behind.
//   - A stand-in appends "<its own full path>|<arguments>" to the file named
//     by KORVID_TEST_PROGRAM_LOG in its environment, which it inherits from
//     the host; the path is the one Windows gives the started program.
//   - The Option.exe stand-in then shows a window titled like the customizer
//     until WM_CLOSE (at most a minute); the others end at once.
//   - A launched Option.exe is therefore still running when the launch has
//     returned: its process (a child of the launcher) can be counted at once,
//     which tells "started" from "not started" without waiting. The others
//     end too soon for that; their starts are read from the log.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host_test_fixture_win.h"
#include "programs/stand_in_win.h"
#include "protocol/korvid_protocol.h"

namespace korvid::e2e {

// In the order the host starts them, relative to its install folder.
inline constexpr const wchar_t* kCompanionExes[] = {kOsdExeName, kAppletExeNames[0], kAppletExeNames[1]};

// Copies the stand-in to folder + relativePath (folder ends with a
// backslash), creating the subfolders the path names.
bool StageStandInAt(const std::wstring& folder, const std::wstring& relativePath);
// Option.exe and the three companions.
bool StageSuiteStandIns(const std::wstring& folder);

struct StandInStart {
    std::wstring path;
    std::wstring arguments;
    // The file name after the last backslash.
    std::wstring FileName() const;
};

// Every start in the log, in the order of the lines; nothing when the log
// does not exist.
std::vector<StandInStart> ReadStandInStarts(const std::wstring& log);
// Waits until the log holds at least count starts or the time is up, and
// returns what it holds then.
std::vector<StandInStart> WaitForStandInStarts(const std::wstring& log, std::size_t count, DWORD timeoutMs);
std::vector<std::wstring> StartedPaths(const std::vector<StandInStart>& starts);

// The full paths of the running processes with this file name (any case)
// that the process parentId created.
std::vector<std::wstring> ChildProcessPaths(DWORD parentId, const wchar_t* fileName);

// The top-level windows with the customizer's title that belong to other
// processes than this one (the Option.exe stand-ins).
std::vector<HWND> StandInCustomizerWindows();
// Waits until a stand-in's customizer window exists; nullptr after the time.
HWND WaitForStandInCustomizer(DWORD timeoutMs);
// Closes every stand-in's customizer window and waits until they are gone;
// false when one is still there after the time.
bool CloseStandInCustomizers(DWORD timeoutMs);

// Sends the message and returns once the window's handler has returned;
// false when it has not within the time (or the send failed).
bool SendAndAwaitHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs);

// HostTest with the stand-ins of all four programs in the install folder.
// The Option.exe stand-ins a test leaves running are closed at its end, so
// the next test starts without a customizer window.
class HostProgramsTest : public HostTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A log for the stand-ins' starts, in the test's folder.
    std::wstring ProgramLog(const wchar_t* name = L"programs.log") const { return install_.LogPath(name); }
    // The variable that makes the started stand-ins write to that log.
    static std::pair<std::wstring, std::wstring> LogTo(const std::wstring& log) { return {kStandInLogVariable, log}; }
    // The stand-in customizers the host started that are still running.
    std::vector<std::wstring> CustomizersStartedBy(const ChildProcess& process) const {
        return ChildProcessPaths(process.Id(), kCustomizerExeName);
    }
    std::wstring InstalledCustomizer() const { return install_.InstallDir() + kCustomizerExeName; }
};

}  // namespace korvid::e2e
