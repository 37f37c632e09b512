// Korvid.exe making the profile bound to the program in front active: the
// check runs every two seconds while the mouse is attached, and the mouse
// follows the switch.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_test_fixture_win.h"
#include "runtime_support_win.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

using ::testing::IsEmpty;

constexpr DWORD kPushTimeoutMs = 30000;
// Two ticks of the check (2000 ms each) and a margin: bounds the wait for a
// switch.
constexpr DWORD kSwitchTimeoutMs = 10000;
// More than two ticks: the time given to a switch that must not happen.
constexpr DWORD kTwoTicksMs = 4500;

// CMD_BEGIN, CMD_ACTIVE_PROFILE for profile index 2, CMD_END with the
// profileOption (2) of the active profile.
const std::vector<std::string> kSwitchToProfile2Frames = {"3 04 00 FF", "8 05 04 02 05 00 00 00 00",
                                                          "8 0B 08 02 00 00 00 00 00"};

std::vector<std::string> Concatenated(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

using HostSwitchingTest = HostTest;

TEST_F(HostSwitchingTest, ProgramInFrontMakesItsBoundProfileActiveWhileTheMouseIsAttached) {
    ASSERT_TRUE(install_.WriteInstallFile(kSettingsFileName, OsdSettingsIni(1)));
    const std::wstring game = install_.TestDir() + L"KorvidGame.exe";
    ASSERT_TRUE(StageStandIn(game));
    auto file = ImageOf(FactoryImageBytes());
    // Profile index 2 bound by a full path in another folder and in other
    // letter case; index 4 bound to the same name: the lower index wins.
    SetText(file->profiles[2].programPath, kProgramPathChars, L"C:\\Program Files\\Korvid Games\\korvidGAME.EXE");
    SetText(file->profiles[4].programPath, kProgramPathChars, L"D:\\Other\\KorvidGame.exe");
    ASSERT_TRUE(WriteConfigData(BytesOf(*file)));

    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(PollUntil([&] { return CountFrames(DriverLog(), "0B") == 1; }, kPushTimeoutMs));
    const std::vector<std::string> fullPush = SentFrames(DriverLog());
    const auto start = ReadSection();
    ASSERT_TRUE(start.has_value());
    auto expected = ImageOf(*start);
    ASSERT_EQ(expected->activeProfile, 0);
    const std::size_t switchedFrom = DriverLog().size();

    auto program = ChildProcess::Start(game, {.arguments = L"--foreground", .environment = {}});
    ASSERT_NE(program, nullptr);
    ASSERT_TRUE(PollUntil([&] { return ForegroundProcessId() == program->Id(); }, kMessageTimeoutMs))
        << "the program did not come to the front";

    // The switch: the section, the customizer, the on-screen display, the mouse.
    ASSERT_TRUE(PollUntil([] { return SectionActiveProfile() == 2; }, kSwitchTimeoutMs)) << "no switch";
    expected->activeProfile = 2;
    EXPECT_EQ(SectionDifference(BytesOf(*expected)), "");
    EXPECT_TRUE(customizer_->WaitFor(WM_UI_PROFILE_CHANGED, kMessageTimeoutMs).has_value());
    const auto shown = osd_->WaitFor(WM_OSD_SHOW, kMessageTimeoutMs);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->wParam, kOsdShowWParam);
    EXPECT_EQ(shown->lParam, OsdShowLParam(2));
    ASSERT_TRUE(PollUntil([&] { return CountFrames(DriverLog(), "0B", switchedFrom) == 1; }, kPushTimeoutMs));
    EXPECT_EQ(SentFrames(DriverLog(), switchedFrom), kSwitchToProfile2Frames);

    // The program stays in front: no further switch.
    EXPECT_TRUE(ExpectNothingFor(kTwoTicksMs, "a further switch", [&] {
        return customizer_->Count(WM_UI_PROFILE_CHANGED) != 1 || osd_->Count(WM_OSD_SHOW) != 1 ||
               SentFrames(DriverLog(), switchedFrom) != kSwitchToProfile2Frames;
    }));
    EXPECT_EQ(ForegroundProcessId(), program->Id());
    EXPECT_EQ(customizer_->Count(WM_UI_PROFILE_CHANGED), 1u);
    EXPECT_EQ(osd_->Count(WM_OSD_SHOW), 1u);
    EXPECT_EQ(SentFrames(DriverLog(), switchedFrom), kSwitchToProfile2Frames);

    // The mouse selects profile index 0 while the program stays in front: the
    // next tick switches back, so the check was running all along.
    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_PROFILE, 1));
    EXPECT_TRUE(PollUntil([&] { return customizer_->Count(WM_UI_PROFILE_CHANGED) == 3; }, kSwitchTimeoutMs));
    EXPECT_EQ(SectionActiveProfile(), 2);
    ASSERT_TRUE(PollUntil([&] { return CountFrames(DriverLog(), "0B", switchedFrom) == 2; }, kPushTimeoutMs));
    EXPECT_EQ(SentFrames(DriverLog(), switchedFrom), Concatenated(kSwitchToProfile2Frames, kSwitchToProfile2Frames));

    // Removed: the mouse selects profile index 0 and nothing switches back.
    ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageRemoval));
    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_PROFILE, 1));
    ASSERT_TRUE(PollUntil([&] { return customizer_->Count(WM_UI_PROFILE_CHANGED) == 4; }, kMessageTimeoutMs));
    const std::size_t removedFrom = DriverLog().size();
    EXPECT_TRUE(ExpectNothingFor(kTwoTicksMs, "a switch back while the mouse is removed", [&] {
        return customizer_->Count(WM_UI_PROFILE_CHANGED) != 4 || !SentFrames(DriverLog(), removedFrom).empty();
    }));
    EXPECT_EQ(ForegroundProcessId(), program->Id());
    EXPECT_EQ(SectionActiveProfile(), 0);
    EXPECT_EQ(customizer_->Count(WM_UI_PROFILE_CHANGED), 4u);
    EXPECT_THAT(SentFrames(DriverLog(), removedFrom), IsEmpty());

    // Attached again: the full push, then the switch at the next tick.
    ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageArrival));
    EXPECT_TRUE(PollUntil([] { return SectionActiveProfile() == 2; }, kSwitchTimeoutMs)) << "no switch after attach";
    ASSERT_TRUE(PollUntil([&] { return CountFrames(DriverLog(), "05", removedFrom) == 1; }, kPushTimeoutMs));
    ASSERT_TRUE(PollUntil([&] { return CountFrames(DriverLog(), "0B", removedFrom) == 2; }, kPushTimeoutMs));
    EXPECT_EQ(SentFrames(DriverLog(), removedFrom), Concatenated(fullPush, kSwitchToProfile2Frames));
    EXPECT_EQ(customizer_->Count(WM_UI_PROFILE_CHANGED), 5u);

    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

}  // namespace
}  // namespace korvid::e2e
