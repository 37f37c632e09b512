#include "host_test_fixture_win.h"

#include <algorithm>
#include <cstdio>

#include "device/device_ids.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

// How long SetUp waits for a host of the previous test to be gone.
constexpr DWORD kLeftoverHostWaitMs = 5000;

// A failure the harness reports fails the running test.
void FailTest(const std::string& failure) { ADD_FAILURE() << failure; }
const FailureReporter kInstalled = SetFailureReporter(&FailTest);

}  // namespace

std::string ConfigDataDifference(std::span<const std::uint8_t> expected, std::span<const ByteRange> ignored) {
    const auto bytes = ReadFileBytes(ConfigDataPath());
    if (!bytes) return "Config.data cannot be read";
    return DescribeDifference(*bytes, expected, ignored);
}

std::string SectionDifference(std::span<const std::uint8_t> expected, std::span<const ByteRange> ignored) {
    const auto bytes = ReadSection();
    if (!bytes) return "the section cannot be read";
    return DescribeDifference(*bytes, expected, ignored);
}

std::vector<std::string> DeviceOpenCalls(HWND hostWindow, int openResult) {
    char vidPid[64];
    (void)std::snprintf(vidPid, sizeof vidPid, "Set_VIDPID 0x%04X 0x%04X -> 1", unsigned{kMouseVendorId},
                        unsigned{kMouseProductId});
    const auto window = static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(hostWindow));
    return {vidPid,
            "Open_DevMonitor " + std::to_string(window) + " " + std::to_string(WM_DEVICE_EVENT) + " " +
                std::to_string(WM_DEVICE_CONNECTION) + " -> 1",
            "Open_FeatureDevice -> " + std::to_string(openResult)};
}

void HostTest::SetUp() {
    if (BuiltHost().empty()) GTEST_SKIP() << "Korvid.exe is not part of this build yet";
    // A host left over from elsewhere would make every start a second one.
    (void)PollUntil([] { return !NamedMutexExists(kSingleInstanceMutexName); }, kLeftoverHostWaitMs);
    ASSERT_FALSE(NamedMutexExists(kSingleInstanceMutexName)) << "another Korvid host is running";
    ASSERT_FALSE(SectionExists()) << "another process holds the shared section";
    ASSERT_TRUE(ClearHostDataFolder()) << "the data folder cannot be cleared";
    install_ = InstallFolderForCurrentTest();
    ASSERT_TRUE(install_.StageHost());
    ASSERT_TRUE(install_.StageDriver(Driver::kSim));
    customizer_ = std::make_unique<RecorderWindow>(kCustomizerWindowTitle);
    osd_ = std::make_unique<RecorderWindow>(kOsdWindowTitle);
}

std::unique_ptr<ChildProcess> HostTest::StartHost(std::vector<std::pair<std::wstring, std::wstring>> environment,
                                                  std::wstring arguments) {
    const bool ownLog = std::any_of(environment.begin(), environment.end(),
                                    [](const auto& variable) { return variable.first == L"KORVID_SIM_LOG"; });
    if (!ownLog) environment.emplace_back(L"KORVID_SIM_LOG", LogPath());
    return ChildProcess::Start(install_.HostExe(),
                               {.arguments = std::move(arguments), .environment = std::move(environment)});
}

std::unique_ptr<ChildProcess> HostTest::StartHostAndWait(std::vector<std::pair<std::wstring, std::wstring>> environment,
                                                         std::wstring arguments) {
    auto host = StartHost(std::move(environment), std::move(arguments));
    if (host == nullptr) return nullptr;
    if (WaitForHostWindow(*host) == nullptr) {
        const auto code = host->WaitForExit(0);
        ADD_FAILURE() << "the host window did not appear"
                      << (code ? " (the host ended with exit code " + std::to_string(*code) + ")" : std::string());
        return nullptr;
    }
    return host;
}

}  // namespace korvid::e2e
