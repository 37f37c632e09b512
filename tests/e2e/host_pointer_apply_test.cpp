// When Korvid.exe applies a profile's Windows pointer settings, and what it
// compares them with: a change made while a push runs, a reload that must
// apply nothing, an automatic switch, and an apply-all while the mouse is
// away. The double-click time stands for every group: it is the one value
// Wine writes to the registry as given (double-click step s is 900 - 70 s ms).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_test_fixture_win.h"
#include "pointer_registry_win.h"
#include "push_helpers_win.h"
#include "runtime_support_win.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr DWORD kPushTimeoutMs = 30000;
constexpr DWORD kSwitchTimeoutMs = 10000;
// Long enough for a push that was wrongly requested to have begun.
constexpr DWORD kQuietMs = 1000;

constexpr const RegistryName& kDoubleClick = kPointerValues[0];
constexpr const RegistryName& kWheelLines = kPointerValues[5];

bool WriteRegistryText(const RegistryName& name, const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return Store(name, StoredValue{REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))});
}

std::wstring RegistryText(const RegistryName& name) {
    const auto stored = ReadStored(name);
    if (!stored || stored->type != REG_SZ) return L"<not a text>";
    std::wstring text(reinterpret_cast<const wchar_t*>(stored->data.data()), stored->data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

class HostPointerApplyTest : public HostTestKeepingPointerSettings {
protected:
    void SetUp() override {
        HostTestKeepingPointerSettings::SetUp();
        // The user's double-click time is step 5, 5 lines per wheel notch.
        ASSERT_TRUE(WriteRegistryText(kDoubleClick, L"550"));
        ASSERT_TRUE(WriteRegistryText(kWheelLines, L"5"));
    }

    // Returns once the host has handled everything posted before: a stage
    // event (which touches no pointer setting) is answered in order.
    void Settle(const ChildProcess& host) {
        const std::size_t answered = customizer_->Count(WM_UI_STAGE_CHANGED);
        ASSERT_TRUE(host.Post(WM_DEVICE_EVENT, EVENT_DPI_STAGE, 2));
        ASSERT_TRUE(PollUntil([&] { return customizer_->Count(WM_UI_STAGE_CHANGED) > answered; }, kMessageTimeoutMs))
            << "the host did not answer";
    }

    // The customizer's side: the section with one change, then the message.
    template <typename Change>
    void CustomizerSends(const ChildProcess& host, UINT message, Change change) {
        const auto section = ReadSection();
        ASSERT_TRUE(section.has_value());
        auto image = ImageOf(*section);
        change(*image);
        ASSERT_TRUE(WriteSection(BytesOf(*image)));
        ASSERT_TRUE(host.Post(message));
    }
};

// The customizer changes the double-click time while the start-up push runs
// and changes it back after the push: both changes reach Windows. (The push
// must take the working copy as it stands at its end as the settings last
// pushed; with its own snapshot, the change back compared equal.)
TEST_F(HostPointerApplyTest, AChangeDuringAPushAndBackAreBothApplied) {
    // Each frame takes 100 ms more: the start-up push lasts about 4 s.
    auto host = StartHostAndWait({{L"KORVID_SIM_DELAY_MS", L"100"}});
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(WaitForFirstFrame(LogPath(), kPushTimeoutMs));

    CustomizerSends(*host, WM_HOST_RELOAD_POINTER, [](ShareData& s) { s.profiles[0].doubleClickSpeed = 3; });
    Settle(*host);
    EXPECT_EQ(RegistryText(kDoubleClick), L"690");
    ASSERT_EQ(CountFrames(DriverLog(), "0B"), 0u) << "the push ended before the change: the case proves nothing";

    (void)WaitForPushesDone(LogPath(), 1, kPushTimeoutMs);
    CustomizerSends(*host, WM_HOST_RELOAD_POINTER, [](ShareData& s) { s.profiles[0].doubleClickSpeed = 5; });
    Settle(*host);
    EXPECT_EQ(RegistryText(kDoubleClick), L"550") << "the change back was not applied";
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

// WM_HOST_RELOAD takes the customizer's image and does nothing else: no
// pointer setting, no frame. The image is in effect all the same: switching
// to the changed profile by its program applies what differs from the push.
TEST_F(HostPointerApplyTest, ReloadAppliesNothingAndAnAutomaticSwitchAppliesTheNewProfile) {
    const std::wstring game = install_.TestDir() + L"KorvidGame.exe";
    ASSERT_TRUE(StageStandIn(game));
    auto file = ImageOf(FactoryImageBytes());
    SetText(file->profiles[2].programPath, kProgramPathChars, L"C:\\Games\\KorvidGame.exe");
    ASSERT_TRUE(WriteConfigData(BytesOf(*file)));
    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    // A reload during the push would count as pushed at its end.
    (void)WaitForPushesDone(LogPath(), 1, kPushTimeoutMs);
    const std::size_t framesBefore = LoggedFrames(DriverLog()).size();

    // The active profile's double-click time and wheel lines change, and
    // profile 2's double-click time.
    CustomizerSends(*host, WM_HOST_RELOAD, [](ShareData& s) {
        s.profiles[0].doubleClickSpeed = 8;
        s.profiles[0].wheelScrollLines = 12;
        s.profiles[2].doubleClickSpeed = 9;
    });
    Settle(*host);
    EXPECT_TRUE(ExpectNothingFor(kQuietMs, "a pointer setting applied or a frame sent after WM_HOST_RELOAD", [&] {
        return RegistryText(kDoubleClick) != L"550" || RegistryText(kWheelLines) != L"5" ||
               !FramesFrom(LoggedFrames(DriverLog()), framesBefore).empty();
    }));

    auto program = ChildProcess::Start(game, {L"--foreground", {}});
    ASSERT_NE(program, nullptr);
    ASSERT_TRUE(PollUntil([] { return SectionActiveProfile() == 2; }, kSwitchTimeoutMs)) << "no switch";
    Settle(*host);
    EXPECT_EQ(RegistryText(kDoubleClick), L"270") << "profile 2's double-click time";
    EXPECT_EQ(RegistryText(kWheelLines), L"5") << "profile 2's wheel lines are as pushed";
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

// Apply-all while the mouse is away still takes the customizer's image and
// applies its pointer settings; only the push is left out. The next attach
// pushes that image.
TEST_F(HostPointerApplyTest, ApplyAllWithoutTheMouseTakesTheImageAndTheAttachPushesIt) {
    // The device does not open at start-up; it does at the attach.
    auto host = StartHostAndWait({{L"KORVID_SIM_OPEN", L"0,1"}});
    ASSERT_NE(host, nullptr);
    CustomizerSends(*host, WM_HOST_APPLY_ALL, [](ShareData& s) {
        s.profiles[0].doubleClickSpeed = 2;
        s.profiles[1].dpiX[0] = 40;
        s.dpiChanged[1] = 1;
    });
    ASSERT_TRUE(customizer_->WaitFor(WM_UI_ENABLE_APPLY, kMessageTimeoutMs).has_value()) << "not answered";
    EXPECT_EQ(RegistryText(kDoubleClick), L"760") << "the pointer settings were not applied";
    EXPECT_THAT(HexFrames(LoggedFrames(DriverLog())), IsEmpty());
    const auto written = ReadSection();
    ASSERT_TRUE(written.has_value());

    ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageArrival));
    const auto frames = WaitForPushEnds(LogPath(), 1, kPushTimeoutMs);
    EXPECT_THAT(HexFrames(frames), ElementsAreArray(HexFrames(ExpectedPush(*ImageOf(*written), true))));
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames[2].bytes[8], 93) << "profile 1's first X stage is not the customizer's (index 40)";
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

}  // namespace
}  // namespace korvid::e2e
