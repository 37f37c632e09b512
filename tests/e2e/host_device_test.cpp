// Korvid.exe with every kind of driver library, the customizer's apply-all
// message, and the ways the host is ended.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "host_test_fixture_win.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

// Time for the initial push and an apply-all push on the worker.
constexpr DWORD kPushesTurnMs = 500;

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// Whatever hiddriver.dll offers, the host starts, publishes the section,
// answers the customizer and ends cleanly. Without a device, apply-all is
// answered at once; with one it goes to the worker, which answers later.
TEST_F(HostTest, RunsAndEndsCleanlyWithEveryDriverLibrary) {
    const struct {
        const char* name;
        Driver driver;
        const wchar_t* openResults;  // KORVID_SIM_OPEN, or nullptr
        bool deviceOpens;
    } kCases[] = {
        {"simulated mouse present", Driver::kSim, nullptr, true},
        {"simulated mouse absent", Driver::kSim, L"0", false},
        {"no hiddriver.dll", Driver::kNone, nullptr, false},
        {"no Open_FeatureDevice and SetFeature", Driver::kNoFeature, nullptr, false},
        {"no SetFeature", Driver::kNoSet, nullptr, true},
        {"real HID library, no mouse present", Driver::kHid, nullptr, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(install_.StageDriver(c.driver));
        ReopenCustomizer();
        const std::wstring log = CaseLogPath(static_cast<std::size_t>(&c - kCases));
        std::vector<std::pair<std::wstring, std::wstring>> environment = {{L"KORVID_SIM_LOG", log}};
        if (c.openResults != nullptr) environment.emplace_back(L"KORVID_SIM_OPEN", c.openResults);

        auto host = StartHostAndWait(environment);
        ASSERT_NE(host, nullptr);
        EXPECT_TRUE(SectionExists());
        ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL, 7, 0));
        if (!c.deviceOpens) {
            const auto answer = customizer_->WaitFor(WM_UI_ENABLE_APPLY, kMessageTimeoutMs);
            ASSERT_TRUE(answer.has_value()) << "WM_HOST_APPLY_ALL without a device was not answered";
            EXPECT_EQ(answer->wParam, 0u);
            EXPECT_EQ(answer->lParam, 0);
        } else {
            // Give the initial push (200 ms after start-up) and the apply-all
            // push their turn on the worker before the host is ended.
            EXPECT_TRUE(ExpectNothingFor(kPushesTurnMs, "the host ending by itself",
                                         [&] { return host->WaitForExit(0).has_value(); }));
        }
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
        EXPECT_TRUE(customizer_->WaitFor(WM_CLOSE, kMessageTimeoutMs).has_value());

        if (c.driver == Driver::kSim) {
            const auto calls = CallTexts(ReadDriverLog(log));
            ASSERT_GE(calls.size(), 5u);
            EXPECT_THAT(std::vector(calls.begin(), calls.begin() + 3),
                        ElementsAreArray(DeviceOpenCalls(host->Window(), c.deviceOpens ? 1 : 0)));
            EXPECT_THAT(std::vector(calls.end() - 2, calls.end()),
                        ElementsAre("Close_DevMonitor -> 1", "Close_FeatureDevice -> 1"));
        }
        if (c.driver == Driver::kNone) {
            EXPECT_FALSE(FileExists(log)) << "a driver log without a driver library";
        }
    }
}

// WM_CLOSE from another program and the tray menu's Exit command end the host
// alike: exit code 0, the customizer closed, the device closed, the named
// objects gone, and nothing saved even though the working copy changed.
TEST_F(HostTest, CloseAndExitCommandEndTheHostWithoutSaving) {
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
    } kCases[] = {
        {"WM_CLOSE", WM_CLOSE, 0},
        {"tray Exit command", WM_COMMAND, ID_TRAY_EXIT},
    };
    const auto factory = FactoryImageBytes();
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ReopenCustomizer();
        ASSERT_TRUE(ClearHostDataFolder());
        ASSERT_TRUE(WriteConfigData(factory));
        const auto fileTime = LastWriteTime(ConfigDataPath());
        const std::wstring log = CaseLogPath(static_cast<std::size_t>(&c - kCases));

        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", log}});
        ASSERT_NE(host, nullptr);
        // The customizer hands over a changed image: a host that saved at
        // exit would write it.
        auto changed = factory;
        changed[ProfileOffset(1)] = 'X';
        ASSERT_TRUE(WriteSection(changed));
        ASSERT_TRUE(host->Post(WM_HOST_RELOAD));

        EXPECT_EQ(host->EndWith(c.message, c.wParam, 0, kExitTimeoutMs), kExitOk);
        EXPECT_TRUE(customizer_->WaitFor(WM_CLOSE, kMessageTimeoutMs).has_value()) << "the customizer was not closed";
        const auto calls = CallTexts(ReadDriverLog(log));
        ASSERT_GE(calls.size(), 2u);
        EXPECT_THAT(std::vector(calls.end() - 2, calls.end()),
                    ElementsAre("Close_DevMonitor -> 1", "Close_FeatureDevice -> 1"));
        EXPECT_FALSE(NamedMutexExists(kSingleInstanceMutexName));
        EXPECT_FALSE(NamedMutexExists(kSectionMutexName));
        EXPECT_FALSE(SectionExists());
        EXPECT_EQ(ConfigDataDifference(factory), "");
        EXPECT_EQ(LastWriteTime(ConfigDataPath()), fileTime);
    }
}

}  // namespace
}  // namespace korvid::e2e
