// The real FerroxOSD.exe, started by the real host with the simulated
// driver: the mouse's profile button shows the profile and the display goes
// away again without taking the foreground; a second start ends at once; with
// osdEnabled 0 nothing shows. These tests stage the real program over the
// stand-in the other host tests use.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>

#include "host_test_fixture_win.h"
#include "runtime_support_win.h"

namespace korvid::e2e {
namespace {

// The display's full-opacity and fade times with the factory look, plus room
// for a slow Wine.
constexpr DWORD kShowAndFadeTimeoutMs = 15000;

class OsdDisplayTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        if (HasFatalFailure()) return;
#ifndef KORVID_OSD_EXE_PATH
        GTEST_SKIP() << "FerroxOSD.exe is not part of this build";
#else
        osd_.reset();  // the real display carries the title now
        osdExe_ = install_.InstallDir() + kOsdExeName;
        ASSERT_TRUE(CopyFileW(WinePath(KORVID_OSD_EXE_PATH).c_str(), osdExe_.c_str(), FALSE));
#endif
    }

    // The display's window once the host has started it.
    static HWND WaitForOsdWindow() {
        HWND window = nullptr;
        (void)PollUntil([&] { return (window = FindWindowW(nullptr, kOsdWindowTitle)) != nullptr; }, kStartTimeoutMs);
        return window;
    }

    // The profile index the display shows, or nothing while it is hidden.
    static std::optional<int> ShownProfile(HWND osd) {
        if (!IsWindowVisible(osd)) return std::nullopt;
        const auto shown = reinterpret_cast<INT_PTR>(GetPropW(osd, kOsdShownProfileProp));
        if (shown == 0) return std::nullopt;
        return static_cast<int>(shown - 1);
    }

    // A visible window of the test's own, in front: the game.
    void PutGameInFront() {
        game_ = std::make_unique<RecorderWindow>(L"Korvid OSD test: the game");
        ASSERT_NE(game_->Handle(), nullptr);
        (void)ShowWindow(game_->Handle(), SW_SHOWNORMAL);
        (void)SetForegroundWindow(game_->Handle());
        (void)PollUntil([&] { return GetForegroundWindow() == game_->Handle(); }, kMessageTimeoutMs);
    }

    void TearDown() override {
        // The display outlives the host: end it with the test.
        (void)CloseWindowsTitled(kOsdWindowTitle);
        game_.reset();
        HostTest::TearDown();
    }

    std::wstring osdExe_;
    std::unique_ptr<RecorderWindow> game_;
};

TEST_F(OsdDisplayTest, ProfileButtonShowsTheProfileWithoutTakingTheForegroundThenHides) {
    ASSERT_TRUE(install_.WriteInstallFile(kSettingsFileName, OsdSettingsIni(1)));
    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    HWND osd = WaitForOsdWindow();
    ASSERT_NE(osd, nullptr) << "the host did not start FerroxOSD.exe";
    EXPECT_FALSE(IsWindowVisible(osd)) << "shown before it was told";
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(osd, GWL_EXSTYLE));
    constexpr DWORD kExpected = WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_LAYERED;
    EXPECT_EQ(exStyle & kExpected, kExpected);

    PutGameInFront();
    const HWND front = GetForegroundWindow();
    const struct {
        const char* name;
        LPARAM button;  // EVENT_PROFILE's argument, 1..5
        int shown;      // profile index
    } kCases[] = {{"profile 3", 3, 2}, {"profile 5", 5, 4}, {"profile 1", 1, 0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_PROFILE, c.button));
        EXPECT_TRUE(PollUntil([&] { return ShownProfile(osd) == c.shown; }, kMessageTimeoutMs))
            << "the display did not show the profile";
        EXPECT_EQ(GetForegroundWindow(), front) << "the display took the foreground";
        EXPECT_NE(GetActiveWindow(), osd);
        EXPECT_TRUE(PollUntil([&] { return !IsWindowVisible(osd); }, kShowAndFadeTimeoutMs))
            << "the display did not go away";
        EXPECT_EQ(GetForegroundWindow(), front);
    }

    // A new profile while it shows replaces the one shown.
    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_PROFILE, 2));
    ASSERT_TRUE(PollUntil([&] { return ShownProfile(osd) == 1; }, kMessageTimeoutMs));
    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_PROFILE, 4));
    EXPECT_TRUE(PollUntil([&] { return ShownProfile(osd) == 3; }, kMessageTimeoutMs));
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

// Messages the host never sends are ignored: nothing shows.
TEST_F(OsdDisplayTest, OtherWParamsAndProfilesOutOfRangeShowNothing) {
    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    HWND osd = WaitForOsdWindow();
    ASSERT_NE(osd, nullptr);
    const struct {
        WPARAM wParam;
        LPARAM lParam;
    } kIgnored[] = {{0, OsdShowLParam(1)},
                    {41, OsdShowLParam(1)},
                    {kOsdShowWParam, OsdShowLParam(5)},
                    {kOsdShowWParam, OsdShowLParam(-1)}};
    for (const auto& m : kIgnored) ASSERT_TRUE(PostMessageW(osd, WM_OSD_SHOW, m.wParam, m.lParam));
    EXPECT_TRUE(ExpectNothingFor(1500, "the display showing for a message it must ignore",
                                 [&] { return IsWindowVisible(osd) != FALSE; }));
    // The same window still answers a good one.
    ASSERT_TRUE(PostMessageW(osd, WM_OSD_SHOW, kOsdShowWParam, OsdShowLParam(4)));
    EXPECT_TRUE(PollUntil([&] { return ShownProfile(osd) == 4; }, kMessageTimeoutMs));
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

TEST_F(OsdDisplayTest, SecondStartEndsAtOnceAndLeavesTheFirstAlone) {
    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    HWND osd = WaitForOsdWindow();
    ASSERT_NE(osd, nullptr);
    auto second = ChildProcess::Start(osdExe_);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->WaitForExit(kMessageTimeoutMs), std::optional<DWORD>(0));
    EXPECT_EQ(FindWindowW(nullptr, kOsdWindowTitle), osd);
    EXPECT_EQ(FindWindowExW(nullptr, osd, nullptr, kOsdWindowTitle), nullptr) << "a second display window";
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

// osdEnabled 0: the host does not tell the display, which stays hidden while
// the host answers the button (the customizer hears of the change).
TEST_F(OsdDisplayTest, OsdDisabledShowsNothing) {
    ASSERT_TRUE(install_.WriteInstallFile(kSettingsFileName, OsdSettingsIni(0)));
    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    HWND osd = WaitForOsdWindow();
    ASSERT_NE(osd, nullptr);
    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_PROFILE, 3));
    ASSERT_TRUE(customizer_->WaitFor(WM_UI_PROFILE_CHANGED, kMessageTimeoutMs).has_value());
    EXPECT_TRUE(
        ExpectNothingFor(1500, "the display showing with osdEnabled 0", [&] { return IsWindowVisible(osd) != FALSE; }));
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

}  // namespace
}  // namespace korvid::e2e
