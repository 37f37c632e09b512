// Korvid.exe following what the mouse reports: profile and DPI-stage changes
// made on the mouse, its launch-program and open-customizer buttons, and the
// mouse being removed and attached again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host_test_fixture_win.h"
#include "runtime_support_win.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

using OsdShow = std::pair<WPARAM, LPARAM>;

// A full push of the factory image: CMD_BEGIN, five DPI, five option, five
// lighting and five button frames, CMD_END, each followed by 100 ms.
constexpr std::size_t kFullPushFrames = 22;
constexpr DWORD kPushTimeoutMs = 30000;
// Longer than the time an attach waits for the device to settle.
constexpr DWORD kBeyondSettleMs = 3000;

std::vector<OsdShow> OsdShows(const RecorderWindow& osd) {
    std::vector<OsdShow> shows;
    for (const RecordedMessage& m : osd.Received(WM_OSD_SHOW)) shows.emplace_back(m.wParam, m.lParam);
    return shows;
}

std::vector<std::string> CallsFrom(const std::vector<DriverCall>& log, std::size_t from) {
    return CallTexts(std::vector<DriverCall>(log.begin() + static_cast<std::ptrdiff_t>(from), log.end()));
}

class HostEventsTest : public HostTest {
protected:
    // Waits until the host has handled everything posted to it so far: the
    // test re-selects the active profile (the image stays as it is), which
    // the host answers like any profile change, with WM_UI_PROFILE_CHANGED
    // and, with the OSD enabled, one more WM_OSD_SHOW, the last thing it
    // does for the event; then it flushes the customizer. osdShows_ must
    // already hold what the earlier events should have shown, and the
    // expectations count the answers to this one too.
    void Settle(const ChildProcess& host, int activeProfile) {
        const std::size_t shown = osdShows_.size();
        ASSERT_TRUE(host.Post(WM_DEVICE_EVENT, EVENT_PROFILE, activeProfile + 1));
        osdShows_.emplace_back(kOsdShowWParam, OsdShowLParam(activeProfile));
        ++profileNotes_;
        ASSERT_TRUE(PollUntil([&] { return osd_->Count(WM_OSD_SHOW) > shown; }, kMessageTimeoutMs))
            << "the host did not answer the profile event";
        if (customizer_) {
            ASSERT_TRUE(FlushRecorder(*customizer_));
        }
    }

    std::vector<OsdShow> osdShows_;  // expected at the on-screen display so far
    std::size_t profileNotes_ = 0;   // WM_UI_PROFILE_CHANGED expected at the customizer so far
    std::size_t stageNotes_ = 0;     // WM_UI_STAGE_CHANGED expected so far
};

TEST_F(HostEventsTest, ProfileAndStageEventsFollowTheMouseAndNotifyTheCompanions) {
    ASSERT_TRUE(install_.WriteInstallFile(kSettingsFileName, OsdSettingsIni(1)));
    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    const auto start = ReadSection();
    ASSERT_TRUE(start.has_value());
    // The factory image with the user's pointer settings in profile 0.
    auto expected = ImageOf(*start);

    constexpr int kSame = -1;
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        int activeProfile;  // afterwards, or kSame
        int stage;          // currentStage of the active profile afterwards, or kSame
    } kCases[] = {
        {"profile 3", WM_DEVICE_EVENT, EVENT_PROFILE, 3, 2, kSame},
        {"profile 3 again while it is active", WM_DEVICE_EVENT, EVENT_PROFILE, 3, 2, kSame},
        {"stage 8", WM_DEVICE_EVENT, EVENT_DPI_STAGE, 8, kSame, 7},
        {"profile 0", WM_DEVICE_EVENT, EVENT_PROFILE, 0, kSame, kSame},
        {"profile 6", WM_DEVICE_EVENT, EVENT_PROFILE, 6, kSame, kSame},
        {"stage 0", WM_DEVICE_EVENT, EVENT_DPI_STAGE, 0, kSame, kSame},
        {"stage 9", WM_DEVICE_EVENT, EVENT_DPI_STAGE, 9, kSame, kSame},
        {"profile 5, high word of lParam set", WM_DEVICE_EVENT, EVENT_PROFILE, 0x10005, 4, kSame},
        {"stage 3, high word of lParam set", WM_DEVICE_EVENT, EVENT_DPI_STAGE, 0x7FFF0003, kSame, 2},
        {"profile 0x103: more than the low byte counts", WM_DEVICE_EVENT, EVENT_PROFILE, 0x103, kSame, kSame},
        {"profile 2, wParam 0x13000", WM_DEVICE_EVENT, 0x13000, 2, 1, kSame},
        {"unknown class 0x4000", WM_DEVICE_EVENT, 0x4000, 1, kSame, kSame},
        {"connection class, argument 0: not a removal", WM_DEVICE_EVENT, EVENT_CONNECTION, 0, kSame, kSame},
        {"connection class, argument 3", WM_DEVICE_EVENT, EVENT_CONNECTION, 3, kSame, kSame},
        {"WM_DEVICE_CONNECTION wParam 5: not a removal", WM_DEVICE_CONNECTION, 5, 0, kSame, kSame},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(host->Post(c.message, c.wParam, c.lParam));
        if (c.activeProfile != kSame) {
            expected->activeProfile = c.activeProfile;
            osdShows_.emplace_back(kOsdShowWParam, OsdShowLParam(c.activeProfile));
            ++profileNotes_;
        }
        if (c.stage != kSame) {
            expected->profiles[expected->activeProfile].currentStage = c.stage;
            ++stageNotes_;
        }
        Settle(*host, expected->activeProfile);

        EXPECT_EQ(SectionDifference(BytesOf(*expected)), "");
        EXPECT_EQ(customizer_->Count(WM_UI_PROFILE_CHANGED), profileNotes_);
        EXPECT_EQ(customizer_->Count(WM_UI_STAGE_CHANGED), stageNotes_);
        EXPECT_EQ(customizer_->Count(WM_CLOSE), 0u);
        EXPECT_EQ(OsdShows(*osd_), osdShows_);
    }
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

// osdEnabled of config.ini decides whether the on-screen display hears of a
// profile change; the customizer always does.
TEST_F(HostEventsTest, ProfileEventTellsTheOnScreenDisplayOnlyWhenEnabled) {
    // Wine fills the record before it finds the checksum wrong.
    std::string wrongChecksum = OsdSettingsIni(1);
    char& lastDigit = wrongChecksum[wrongChecksum.size() - 3];  // before "\r\n"
    lastDigit = lastDigit == '0' ? '1' : '0';
    const struct {
        const char* name;
        std::optional<std::string> configIni;  // nothing: no config.ini
        std::vector<OsdShow> shows;
    } kCases[] = {
        {"osdEnabled 1", OsdSettingsIni(1), {{kOsdShowWParam, OsdShowLParam(2)}}},
        {"osdEnabled 2", OsdSettingsIni(2), {}},
        {"osdEnabled 0", OsdSettingsIni(0), {}},
        {"no config.ini", std::nullopt, {}},
        {"osdEnabled 1 with a wrong checksum", wrongChecksum, {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::wstring ini = install_.InstallDir() + kSettingsFileName;
        (void)DeleteFileW(ini.c_str());  // may not exist
        if (c.configIni) {
            ASSERT_TRUE(install_.WriteInstallFile(kSettingsFileName, *c.configIni));
        }
        ReopenCustomizer();
        osd_.reset();
        osd_ = std::make_unique<RecorderWindow>(kOsdWindowTitle);

        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", CaseLogPath(static_cast<std::size_t>(&c - kCases))}});
        ASSERT_NE(host, nullptr);
        ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_PROFILE, 3));
        // A stage event behind it (stage 2 is the current one) is answered
        // only once the host has done with the profile event.
        ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_DPI_STAGE, 2));
        ASSERT_TRUE(customizer_->WaitFor(WM_UI_STAGE_CHANGED, kMessageTimeoutMs).has_value());
        EXPECT_EQ(customizer_->Count(WM_UI_PROFILE_CHANGED), 1u);
        ASSERT_TRUE(FlushRecorder(*osd_));
        EXPECT_EQ(OsdShows(*osd_), c.shows);
        EXPECT_EQ(SectionActiveProfile(), 2);
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
    }
}

// A launch button opens its program only when its slot of the active profile
// holds function 17, and only for slot numbers 1 to 15.
TEST_F(HostEventsTest, LaunchButtonOpensTheProgramOfItsSlotInTheActiveProfile) {
    ASSERT_TRUE(install_.WriteInstallFile(kSettingsFileName, OsdSettingsIni(1)));
    auto image = ImageOf(FactoryImageBytes());
    const struct {
        int profile;
        int slot;
        std::uint8_t function;
        const wchar_t* program;
    } kButtons[] = {
        {0, 0, 17, L"LaunchA.exe"},   // slot number 1
        {0, 1, 5, L"LaunchB.exe"},    // slot number 2: a keyboard key, with a path left over
        {0, 15, 17, L"LaunchC.exe"},  // slot number 16: never launched from the mouse
        {1, 0, 17, L"LaunchD.exe"},   // slot number 1 of profile index 1
    };
    for (const auto& b : kButtons) {
        const std::wstring program = install_.TestDir() + b.program;
        ASSERT_TRUE(StageStandIn(program));
        ButtonData& button = image->profiles[b.profile].buttons[b.slot];
        button.function = b.function;
        SetText(button.launchPath, kLaunchPathChars, program);
    }
    ASSERT_TRUE(WriteConfigData(BytesOf(*image)));
    const std::wstring programLog = install_.LogPath(L"programs.log");
    auto host = StartHostAndWait({{kStandInLogVariable, programLog}});
    ASSERT_NE(host, nullptr);

    const struct {
        const char* name;
        WPARAM wParam;
        LPARAM lParam;
        int activeProfile;  // afterwards
        std::vector<std::wstring> started;
    } kCases[] = {
        {"slot 2: not function 17", EVENT_LAUNCH_PROGRAM, 2, 0, {}},
        {"slot 16", EVENT_LAUNCH_PROGRAM, 16, 0, {}},
        {"slot 0", EVENT_LAUNCH_PROGRAM, 0, 0, {}},
        {"slot 1, high word of lParam set", EVENT_LAUNCH_PROGRAM, 0x20001, 0, {L"LaunchA.exe"}},
        {"profile 2 made active", EVENT_PROFILE, 2, 1, {L"LaunchA.exe"}},
        {"slot 1 of the new active profile", EVENT_LAUNCH_PROGRAM, 1, 1, {L"LaunchA.exe", L"LaunchD.exe"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, c.wParam, c.lParam));
        if (c.wParam == EVENT_PROFILE) osdShows_.emplace_back(kOsdShowWParam, OsdShowLParam(c.activeProfile));
        Settle(*host, c.activeProfile);
        // The shell has started the program; its record follows when it runs.
        (void)PollUntil([&] { return ReadStandInStarts(programLog).size() >= c.started.size(); }, kMessageTimeoutMs);
        EXPECT_EQ(StartedFileNames(programLog), c.started);
    }
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);

    // Long after: no program that should not run has started late.
    const auto starts = ReadStandInStarts(programLog);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(lstrcmpiW(starts[0].path.c_str(), (install_.TestDir() + L"LaunchA.exe").c_str()), 0) << starts[0].path;
    EXPECT_EQ(lstrcmpiW(starts[1].path.c_str(), (install_.TestDir() + L"LaunchD.exe").c_str()), 0) << starts[1].path;
    EXPECT_EQ(starts[0].arguments, L"");
    EXPECT_EQ(starts[1].arguments, L"");
}

// Argument 1 brings an open customizer to the front, or starts Option.exe
// from the install folder when none is open; argument 2 does neither.
TEST_F(HostEventsTest, OpenCustomizerButtonBringsUpOrStartsTheCustomizer) {
    ASSERT_TRUE(install_.WriteInstallFile(kSettingsFileName, OsdSettingsIni(1)));
    ASSERT_TRUE(StageStandIn(install_.InstallDir() + kCustomizerExeName));
    const std::wstring programLog = install_.LogPath(L"programs.log");
    auto host = StartHostAndWait({{kStandInLogVariable, programLog}});
    ASSERT_NE(host, nullptr);
    const HWND customizer = customizer_->Handle();
    ASSERT_NE(GetForegroundWindow(), customizer);

    // The host answers the button by posting a command to itself: two rounds
    // of settling cover that second message.
    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_OPEN_CUSTOMIZER, 2));
    Settle(*host, 0);
    Settle(*host, 0);
    EXPECT_NE(GetForegroundWindow(), customizer) << "argument 2 brought the customizer up";
    EXPECT_EQ(customizer_->Count(WM_ACTIVATE), 0u);

    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_OPEN_CUSTOMIZER, 1));
    EXPECT_TRUE(PollUntil([&] { return GetForegroundWindow() == customizer; }, kMessageTimeoutMs))
        << "the open customizer was not brought to the front";

    customizer_.reset();
    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_OPEN_CUSTOMIZER, 2));
    Settle(*host, 0);
    Settle(*host, 0);
    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_OPEN_CUSTOMIZER, 1));
    EXPECT_TRUE(PollUntil([&] { return !ReadStandInStarts(programLog).empty(); }, kMessageTimeoutMs))
        << "Option.exe was not started";
    // The stand-in named Option.exe opens a window with the customizer's title.
    EXPECT_TRUE(PollUntil([&] { return WindowsTitled(kCustomizerWindowTitle).size() == 1; }, kMessageTimeoutMs));

    // The host closes the customizer when it ends.
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
    EXPECT_TRUE(PollUntil([&] { return WindowsTitled(kCustomizerWindowTitle).empty(); }, kMessageTimeoutMs))
        << "the started customizer was not closed";
    EXPECT_TRUE(CloseWindowsTitled(kCustomizerWindowTitle));

    const auto starts = ReadStandInStarts(programLog);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].FileName(), kCustomizerExeName);
    // The install folder, however the host joins it with the name.
    std::wstring folder = starts[0].path.substr(0, starts[0].path.size() - starts[0].FileName().size());
    while (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] == L'\\') folder.pop_back();
    EXPECT_EQ(lstrcmpiW(folder.c_str(), install_.InstallDir().c_str()), 0) << starts[0].path;
}

// Removal and attach, twice each: the removal closes the device and the
// customizer and stops pushes; the attach opens the device after it has
// settled and pushes everything once. Repeated messages do nothing.
TEST_F(HostEventsTest, AttachPushesEverythingOnceAndRemovalStopsPushesAndClosesTheCustomizer) {
    // A host that opened the customizer on attach would start this.
    ASSERT_TRUE(StageStandIn(install_.InstallDir() + kCustomizerExeName));
    const std::wstring programLog = install_.LogPath(L"programs.log");
    auto host = StartHostAndWait({{kStandInLogVariable, programLog}});
    ASSERT_NE(host, nullptr);

    // An attach while the mouse is attached since start-up does nothing. It
    // arrives when the start-up push begins, which lasts over two seconds.
    ASSERT_TRUE(PollUntil([&] { return CountCalls(DriverLog(), "SetFeature") > 0; }, kMessageTimeoutMs));
    ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageArrival));
    ASSERT_TRUE(PollUntil([&] { return CountFrames(DriverLog(), "0B") == 1; }, kPushTimeoutMs));
    const std::vector<DriverCall> startUp = DriverLog();
    const std::vector<std::string> fullPush = SentFrames(startUp);
    ASSERT_EQ(fullPush.size(), kFullPushFrames);
    EXPECT_EQ(fullPush.front(), "3 04 00 FF");
    EXPECT_EQ(CountCalls(startUp, "Open_FeatureDevice"), 1u);

    for (int cycle = 1; cycle <= 2; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        ReopenCustomizer();
        const std::size_t removedAt = DriverLog().size();
        ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageRemoval));
        ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageRemoval));
        // While removed, apply-all is answered at once and nothing is pushed.
        ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL));
        ASSERT_TRUE(customizer_->WaitFor(WM_UI_ENABLE_APPLY, kMessageTimeoutMs).has_value());
        EXPECT_EQ(customizer_->Count(WM_CLOSE), 1u) << "the customizer was not closed once";
        EXPECT_THAT(CallsFrom(DriverLog(), removedAt), ElementsAre("Close_FeatureDevice -> 1"));

        // The attach waits for the device to settle; apply-all right behind
        // it still finds the mouse removed: answered at once, nothing pushed.
        ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageArrival));
        ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL));
        ASSERT_TRUE(PollUntil([&] { return customizer_->Count(WM_UI_ENABLE_APPLY) == 2; }, kMessageTimeoutMs));
        ASSERT_TRUE(
            PollUntil([&] { return CountCalls(DriverLog(), "Open_FeatureDevice", removedAt) > 0; }, kMessageTimeoutMs));
        // Once more while the push runs (over two seconds): nothing.
        ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageArrival));
        ASSERT_TRUE(PollUntil([&] { return CountFrames(DriverLog(), "0B", removedAt) > 0; }, kPushTimeoutMs));

        std::vector<std::string> expected = {"Close_FeatureDevice -> 1", "Open_FeatureDevice -> 1"};
        for (const std::string& frame : fullPush) expected.push_back("SetFeature " + frame + " -> 1");
        EXPECT_THAT(CallsFrom(DriverLog(), removedAt), ElementsAreArray(expected));
        EXPECT_EQ(customizer_->Count(WM_UI_ENABLE_APPLY), 2u);
        EXPECT_EQ(customizer_->Count(WM_CLOSE), 1u);
    }
    EXPECT_THAT(StartedFileNames(programLog), IsEmpty()) << "the customizer was started";
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

// An attach waits for the device to settle; a removal in the meantime
// cancels it: the device stays closed and nothing is pushed.
TEST_F(HostEventsTest, RemovalWhileAnAttachSettlesCancelsTheAttach) {
    const struct {
        const char* name;
        const wchar_t* openResults;  // KORVID_SIM_OPEN: the device at start-up
        bool removeFirst;
    } kCases[] = {
        {"removed after start-up", L"1", true},
        {"never opened at start-up", L"0,1", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ReopenCustomizer();
        const std::wstring log = CaseLogPath(static_cast<std::size_t>(&c - kCases));
        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", log}, {L"KORVID_SIM_OPEN", c.openResults}});
        ASSERT_NE(host, nullptr);
        if (c.removeFirst) {
            ASSERT_TRUE(PollUntil([&] { return CountFrames(ReadDriverLog(log), "0B") == 1; }, kPushTimeoutMs));
            ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageRemoval));
        }
        const std::size_t before = ReadDriverLog(log).size();
        ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageArrival));
        ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageRemoval));

        EXPECT_FALSE(PollUntil([&] { return CountCalls(ReadDriverLog(log), "Open_FeatureDevice", before) > 0; },
                               kBeyondSettleMs))
            << "the device was opened after it had been removed again";
        // Still removed: apply-all is answered at once and nothing is pushed.
        const std::size_t answered = customizer_->Count(WM_UI_ENABLE_APPLY);
        ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL));
        EXPECT_TRUE(PollUntil([&] { return customizer_->Count(WM_UI_ENABLE_APPLY) > answered; }, kMessageTimeoutMs));
        EXPECT_EQ(CountCalls(ReadDriverLog(log), "SetFeature", before), 0u);
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
    }
}

}  // namespace
}  // namespace korvid::e2e
