// The real Option.exe, driven through its controls, with the real Korvid.exe
// on the simulated mouse (or without a host): what an Apply sends to the mouse
// and leaves in the section and Config.data, how a profile press on the mouse
// meets an unapplied edit, what a removal does to unapplied edits, a
// customizer started before the host, the customizer on its own, and a second
// start.
#include <gtest/gtest.h>
#include <windows.h>
// After <windows.h>:
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/share_data.h"
#include "customizer/control_ids.h"
#include "customizer/resolution.h"
#include "customizer_driver_win.h"
#include "host_test_fixture_win.h"
#include "protocol/korvid_protocol.h"
#include "push_helpers_win.h"
#include "shared_section_win.h"
#include "suite_programs_win.h"

namespace korvid::e2e {
namespace {

// The item of a resolution in the X and Y lists.
int DpiItem(int dpi) {
    const auto& dpis = OfferedDpis();
    return static_cast<int>(std::find(dpis.begin(), dpis.end(), dpi) - dpis.begin());
}

class CustomizerTest : public CustomizerHostTest {
protected:
    // The host with the simulated mouse, once its start-up push has ended.
    std::unique_ptr<ChildProcess> StartHostAfterFirstPush(
        std::vector<std::pair<std::wstring, std::wstring>> environment = {}) {
        auto host = StartHostAndWait(std::move(environment));
        if (host != nullptr) (void)WaitForPushEnds(LogPath(), 1, kStartTimeoutMs);
        return host;
    }

    std::unique_ptr<ShareData> Section() {
        const auto bytes = ReadSection();
        return bytes ? ImageOf(*bytes) : nullptr;
    }
};

TEST_F(CustomizerTest, ApplyOfADpiStageSendsExactlyTheFlaggedFramesAndKeepsConfigDataEqualToTheSection) {
    auto host = StartHostAfterFirstPush({{L"KORVID_SIM_DELAY_MS", L"100"}});
    ASSERT_NE(host, nullptr);
    const std::size_t framesBefore = LoggedFrames(DriverLog()).size();
    const CustomizerRun run = StartCustomizer(install_);
    ASSERT_NE(run.window, nullptr);
    const CustomizerWindow ui(run.window);

    ASSERT_TRUE(ui.Select(ID_EDIT_PROFILE, 1));
    ASSERT_TRUE(ui.Select(ID_STAGE_X + 2, DpiItem(3000)));
    EXPECT_EQ(ui.Selected(ID_STAGE_Y + 2), DpiItem(3000)) << "X and Y are linked by default";
    ASSERT_TRUE(ui.Click(ID_APPLY));
    // A slow mouse takes more than half a second for the three frames: the
    // buttons wait for the host's answer.
    const std::wstring applying = ui.Status();
    EXPECT_FALSE(ui.Enabled(ID_APPLY)) << std::string(applying.begin(), applying.end());
    EXPECT_FALSE(ui.Enabled(ID_OK));

    const std::vector<LoggedFrame> frames = WaitForPushEnds(LogPath(), 2, kMessageTimeoutMs);
    EXPECT_TRUE(PollUntil([&] { return ui.Enabled(ID_APPLY) && ui.Enabled(ID_OK); }, kMessageTimeoutMs))
        << "WM_UI_ENABLE_APPLY did not re-enable Apply";
    EXPECT_TRUE(Contains(ui.Status(), L"Applied")) << std::string(ui.Status().begin(), ui.Status().end());

    const auto section = ReadSection();
    ASSERT_TRUE(section.has_value());
    const auto image = ImageOf(*section);
    EXPECT_EQ(image->profiles[1].dpiX[2], 30);
    EXPECT_EQ(image->profiles[1].dpiY[2], 30);
    const std::vector<std::uint8_t> flags(section->begin() + kChangeFlagsOffset, section->end());
    std::vector<std::uint8_t> expectedFlags(kImageSize - kChangeFlagsOffset, 0);
    expectedFlags[offsetof(ShareData, dpiChanged) + 1 - kChangeFlagsOffset] = 1;
    EXPECT_EQ(flags, expectedFlags) << "only dpiChanged[1]";
    EXPECT_EQ(HexFrames(FramesFrom(frames, framesBefore)), HexFrames(ExpectedPush(*image, false)));
    EXPECT_EQ(ConfigDataDifference(*section), "");
}

TEST_F(CustomizerTest, ProfilePressOnTheMouseShowsTheNewProfileAndKeepsAnUnappliedEdit) {
    auto host = StartHostAfterFirstPush();
    ASSERT_NE(host, nullptr);
    const CustomizerRun run = StartCustomizer(install_);
    ASSERT_NE(run.window, nullptr);
    const CustomizerWindow ui(run.window);
    ASSERT_TRUE(ui.SetText(ID_POINTER_SPEED, L"3"));  // profile 1, not applied

    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_PROFILE, 3));
    EXPECT_TRUE(PollUntil([&] { return Contains(ui.Text(ID_ACTIVE_PROFILE_TEXT), L"profile 3"); }, kMessageTimeoutMs))
        << std::string(ui.Text(ID_ACTIVE_PROFILE_TEXT).begin(), ui.Text(ID_ACTIVE_PROFILE_TEXT).end());
    EXPECT_EQ(ui.Text(ID_POINTER_SPEED), L"3");
    EXPECT_TRUE(Contains(ui.Status(), L"kept"));

    // Applying the edit does not undo the mouse's switch.
    ASSERT_TRUE(ui.Click(ID_APPLY));
    EXPECT_TRUE(
        PollUntil([&] { return ui.Enabled(ID_APPLY) && Contains(ui.Status(), L"Applied"); }, kMessageTimeoutMs));
    const auto image = Section();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->activeProfile, 2);
    EXPECT_EQ(image->profiles[0].pointerSpeed, 3);
}

TEST_F(CustomizerTest, RemovalClosesTheCustomizerAndItsEditsAreOfferedAtTheNextStart) {
    auto host = StartHostAfterFirstPush();
    ASSERT_NE(host, nullptr);
    {
        const CustomizerRun run = StartCustomizer(install_);
        ASSERT_NE(run.window, nullptr);
        const CustomizerWindow ui(run.window);
        ASSERT_TRUE(ui.SetText(ID_POINTER_SPEED, L"4"));
        ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageRemoval, 0));
        EXPECT_EQ(run.process->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
    }
    EXPECT_TRUE(FileExists(DraftPath()));

    const CustomizerRun again = StartCustomizer(install_);
    ASSERT_NE(again.window, nullptr);
    const CustomizerWindow ui(again.window);
    EXPECT_TRUE(ui.Visible(ID_RESTORE_DRAFT));
    EXPECT_EQ(ui.Text(ID_POINTER_SPEED), L"6") << "the draft waits until it is restored";
    ASSERT_TRUE(ui.Click(ID_RESTORE_DRAFT));
    EXPECT_EQ(ui.Text(ID_POINTER_SPEED), L"4");
    EXPECT_FALSE(ui.Visible(ID_RESTORE_DRAFT));
    EXPECT_FALSE(FileExists(DraftPath()));
}

TEST_F(CustomizerTest, CustomizerStartedFirstLetsTheHostStartAndConnectsToIt) {
    const CustomizerRun run = StartCustomizer(install_);
    ASSERT_NE(run.window, nullptr);
    const CustomizerWindow ui(run.window);
    EXPECT_TRUE(ui.Visible(ID_START_HOST));
    EXPECT_FALSE(NamedMutexExists(kSectionMutexName)) << "the customizer must never create the section mutex";
    ASSERT_TRUE(ui.Select(ID_STAGE_X + 0, DpiItem(1600)));  // an edit before the host runs

    auto host = StartHostAfterFirstPush();
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(PollUntil([&] { return !ui.Visible(ID_START_HOST); }, kMessageTimeoutMs));
    EXPECT_EQ(ui.Selected(ID_STAGE_X + 0), DpiItem(1600)) << "the edit survives the connection";

    ASSERT_TRUE(ui.Click(ID_APPLY));
    (void)WaitForPushEnds(LogPath(), 2, kMessageTimeoutMs);
    EXPECT_TRUE(PollUntil([&] { return ui.Enabled(ID_APPLY); }, kMessageTimeoutMs));
    const auto image = Section();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->profiles[0].dpiX[0], 16);
    EXPECT_EQ(image->dpiChanged[0], 1);
}

TEST_F(CustomizerTest, WithoutAHostConfigDataIsEditedAndReplacedWholeWithABackup) {
    const std::vector<std::uint8_t> factory = FactoryImageBytes();
    ASSERT_TRUE(WriteConfigData(factory));
    const CustomizerRun run = StartCustomizer(install_);
    ASSERT_NE(run.window, nullptr);
    const CustomizerWindow ui(run.window);
    EXPECT_TRUE(Contains(ui.Status(), L"not running"));

    ASSERT_TRUE(ui.Select(ID_EDIT_PROFILE, 1));
    ASSERT_TRUE(ui.SetText(ID_POINTER_SPEED, L"12"));
    EXPECT_TRUE(Contains(ui.Status(), L"Not taken")) << "refused where it is typed";
    ASSERT_TRUE(ui.SetText(ID_POINTER_SPEED, L"2"));
    ASSERT_TRUE(ui.SetText(ID_OPTION07, L"300"));  // refused: option07 stays 2
    ASSERT_TRUE(ui.Click(ID_APPLY));

    auto edited = ImageOf(factory);
    edited->profiles[1].pointerSpeed = 2;
    EXPECT_TRUE(PollUntil([&] { return ConfigDataDifference(BytesOf(*edited)).empty(); }, kMessageTimeoutMs))
        << ConfigDataDifference(BytesOf(*edited));
    EXPECT_EQ(ReadFileBytes(ConfigDataPath() + L".bak"), std::optional(factory)) << "the previous file is kept";
    EXPECT_FALSE(NamedMutexExists(kSectionMutexName));
    // Nothing else is left in the folder (no temporary file).
    WIN32_FIND_DATAW found;
    int files = 0;
    HANDLE search = FindFirstFileW((HostDataFolder() + L"\\Config\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) ++files;
    } while (FindNextFileW(search, &found));
    (void)FindClose(search);
    EXPECT_EQ(files, 2);
}

TEST_F(CustomizerTest, OpenCustomizerButtonOnTheMouseStartsItConnected) {
    auto host = StartHostAfterFirstPush();
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_OPEN_CUSTOMIZER, 1));
    HWND window = nullptr;
    ASSERT_TRUE(
        PollUntil([&] { return (window = FindWindowOf(kCustomizerWindowTitle, 0)) != nullptr; }, kStartTimeoutMs));
    const CustomizerWindow ui(window);
    EXPECT_TRUE(PollUntil([&] { return Contains(ui.Status(), L"Connected"); }, kMessageTimeoutMs))
        << std::string(ui.Status().begin(), ui.Status().end());
    EXPECT_FALSE(ui.Visible(ID_START_HOST));
    // The host closes it when it ends.
    EXPECT_EQ(host->Close(kExitTimeoutMs), std::optional<DWORD>(kExitOk));
    EXPECT_TRUE(
        PollUntil([&] { return static_cast<int>(WindowsTitled(kCustomizerWindowTitle).size()) == 0; }, kExitTimeoutMs));
}

TEST_F(CustomizerTest, SecondStartTurnsTheFirstWindowToItsPageAndEnds) {
    const CustomizerRun first = StartCustomizer(install_);
    ASSERT_NE(first.window, nullptr);
    const CustomizerWindow ui(first.window);

    auto second = ChildProcess::Start(install_.InstallDir() + kCustomizerExeName, {L"--page 3", {}});
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(0));
    EXPECT_EQ(static_cast<int>(WindowsTitled(kCustomizerWindowTitle).size()), 1);
    EXPECT_TRUE(PollUntil(
        [&] {
            DWORD_PTR page = 0;
            return SendMessageTimeoutW(ui.Control(ID_TABS), TCM_GETCURSEL, 0, 0, SMTO_NORMAL, 5000, &page) != 0 &&
                   page == 2;
        },
        kMessageTimeoutMs));
}

}  // namespace
}  // namespace korvid::e2e
