// The fixture of the tests that start Korvid.exe. Each test gets its own
// install folder (Korvid.exe and, unless it says otherwise, the simulated
// hiddriver.dll), its own driver log, an empty data folder, and recorder
// windows titled like the customizer and the on-screen display. The tests run
// one at a time (the host is single-instance); SetUp fails at once when a host
// from elsewhere is still running.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "e2e_harness_win.h"
#include "image_bytes.h"
#include "protocol/korvid_protocol.h"
#include "recorder_window_win.h"
#include "staging_win.h"

namespace korvid::e2e {

inline constexpr DWORD kExitOk = 0;

// Bounds of the waits (not expectations about speed: Wine can be slow).
inline constexpr DWORD kStartTimeoutMs = 30000;
inline constexpr DWORD kMessageTimeoutMs = 10000;
inline constexpr DWORD kExitTimeoutMs = 30000;

// "" when Config.data holds exactly these bytes (outside the ignored ranges),
// otherwise what differs.
std::string ConfigDataDifference(std::span<const std::uint8_t> expected, std::span<const ByteRange> ignored = {});
// The same for the image in the shared section.
std::string SectionDifference(std::span<const std::uint8_t> expected, std::span<const ByteRange> ignored = {});

// The calls that open the device at start-up, as the simulated driver logs
// them: the mouse's IDs, the host window with the two message numbers, and
// Open_FeatureDevice with the given result.
std::vector<std::string> DeviceOpenCalls(HWND hostWindow, int openResult);

class HostTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Starts the staged host with its driver log at LogPath() (unless the
    // variables name another KORVID_SIM_LOG) plus the given
    // variables and argument. Check the result with ASSERT_NE(..., nullptr).
    std::unique_ptr<ChildProcess> StartHost(std::vector<std::pair<std::wstring, std::wstring>> environment = {},
                                            std::wstring arguments = {});
    // The same, then waits for the host window; nullptr (and a failed test)
    // when it does not appear.
    std::unique_ptr<ChildProcess> StartHostAndWait(std::vector<std::pair<std::wstring, std::wstring>> environment = {},
                                                   std::wstring arguments = {});

    // The host's window once its start-up has finished; nullptr after the time.
    static HWND WaitForHostWindow(ChildProcess& host, DWORD timeoutMs = kStartTimeoutMs) {
        return host.WaitForWindow(kHostWindowTitle, timeoutMs);
    }

    std::wstring LogPath() const { return install_.LogPath(); }
    // A separate driver log for one case of a table ("case<index>.log").
    std::wstring CaseLogPath(std::size_t index) const {
        return install_.LogPath((L"case" + std::to_wstring(index) + L".log").c_str());
    }
    // A fresh customizer window, for a case that counts what it receives.
    void ReopenCustomizer() {
        customizer_.reset();
        customizer_ = std::make_unique<RecorderWindow>(kCustomizerWindowTitle);
    }
    std::vector<DriverCall> DriverLog() const { return ReadDriverLog(LogPath()); }

    InstallFolder install_;
    std::unique_ptr<RecorderWindow> customizer_;
    std::unique_ptr<RecorderWindow> osd_;
};

}  // namespace korvid::e2e
