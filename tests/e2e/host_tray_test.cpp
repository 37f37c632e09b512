// Korvid.exe's notification-area icon and its menu. The icon's calls reach a
// stand-in notification area (Wine runs no shell here); the mouse messages
// over the icon come as the shell reports them: WM_SYSTRAY_NOTIFY with the
// icon's id and the mouse message. The menu is a real
// popup menu in the host: it is worked with the keyboard through the
// foreground window, as a user would. Its texts cannot be seen from outside
// the host (Wine's menus belong to the process that made them); only which
// command each item carries shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "host_test_fixture_win.h"
#include "language_library_win.h"
#include "notification_area_win.h"
#include "shared_section_win.h"
#include "suite_programs_win.h"

namespace korvid::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

inline constexpr UINT WM_SYSTRAY_NOTIFY = 1036;
inline constexpr UINT kTrayIconId = 102;
inline constexpr UINT kTrayIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
inline constexpr WPARAM kConnectionAttached = 1;
inline constexpr WPARAM kConnectionRemoved = 0;
inline constexpr std::size_t kTipMaxChars = 127;

UINT TaskbarCreatedMessage() { return RegisterWindowMessageW(L"TaskbarCreated"); }

// The shown popup menu window (class "#32768") of the process, or nullptr.
HWND VisibleMenuOf(DWORD processId) {
    struct Request {
        DWORD processId;
        HWND found = nullptr;
    } request{processId};
    (void)EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* r = reinterpret_cast<Request*>(param);
            wchar_t className[16] = {};
            (void)GetClassNameW(window, className, 16);
            DWORD owner = 0;
            (void)GetWindowThreadProcessId(window, &owner);
            if (owner == r->processId && wcscmp(className, L"#32768") == 0 && IsWindowVisible(window)) {
                r->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&request));
    return request.found;
}

// A right click on the icon as the shell reports it; true once the host's
// menu is shown.
bool OpenTrayMenu(const ChildProcess& host) {
    if (!host.Post(WM_SYSTRAY_NOTIFY, kTrayIconId, WM_RBUTTONDOWN)) return false;
    return PollUntil([&] { return VisibleMenuOf(host.Id()) != nullptr; }, kMessageTimeoutMs);
}

bool MenuClosed(const ChildProcess& host) {
    return PollUntil([&] { return VisibleMenuOf(host.Id()) == nullptr; }, kMessageTimeoutMs);
}

// Key presses through the system's input, which go to the foreground window.
void PressKeys(const std::vector<WORD>& keys) {
    for (WORD key : keys) {
        INPUT input[2] = {};
        input[0].type = INPUT_KEYBOARD;
        input[0].ki.wVk = key;
        input[1] = input[0];
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ASSERT_EQ(SendInput(2, input, sizeof(INPUT)), 2u);
    }
}

std::vector<DWORD> Commands(const std::vector<TrayIconCall>& calls) {
    std::vector<DWORD> commands;
    for (const TrayIconCall& call : calls) commands.push_back(call.command);
    return commands;
}

// Every call names the host's icon; an added icon carries the callback
// message, an icon image and the tooltip.
void ExpectHostIcon(const std::vector<TrayIconCall>& calls, HWND host, const std::optional<std::wstring>& tip) {
    for (const TrayIconCall& call : calls) {
        SCOPED_TRACE("command " + std::to_string(call.command));
        EXPECT_EQ(call.window, host);
        EXPECT_EQ(call.id, kTrayIconId);
        if (call.command != NIM_ADD) continue;
        EXPECT_EQ(call.flags, kTrayIconFlags);
        EXPECT_EQ(call.callbackMessage, WM_SYSTRAY_NOTIFY);
        EXPECT_GT(call.iconWidth, 0u) << "no icon image";
        EXPECT_GT(call.iconHeight, 0u) << "no icon image";
        if (tip) {
            EXPECT_EQ(call.tip, *tip);
        } else {
            EXPECT_FALSE(call.tip.empty()) << "empty tooltip";
        }
    }
}

// The icon is there exactly while the mouse is attached: added at start-up
// or at an attach, deleted at a removal, deleted once more at the end. A
// restarted shell ("TaskbarCreated") gets it back while the mouse is
// attached, and otherwise changes nothing.
TEST_F(HostProgramsTest, TheIconIsShownWhileTheMouseIsAttachedAndComesBackAfterAShellRestart) {
    enum class Step { kStarted, kShellRestarted, kConnectionMessageArrival, kConnectionMessageRemoval, kEnded };
    const struct {
        const char* name;
        const wchar_t* openResults;                              // KORVID_SIM_OPEN, or nullptr: the mouse opens
        std::vector<std::pair<Step, std::vector<DWORD>>> steps;  // and the calls each one adds
    } kCases[] = {
        {"mouse present at start-up",
         nullptr,
         {{Step::kStarted, {NIM_ADD}},
          {Step::kShellRestarted, {NIM_ADD}},
          {Step::kConnectionMessageRemoval, {NIM_DELETE}},
          {Step::kShellRestarted, {}},
          {Step::kConnectionMessageArrival, {NIM_ADD}},
          {Step::kEnded, {NIM_DELETE}}}},
        {"mouse absent at start-up",
         L"0",
         {{Step::kStarted, {}},
          {Step::kShellRestarted, {}},
          {Step::kConnectionMessageArrival, {NIM_ADD}},
          {Step::kShellRestarted, {NIM_ADD}},
          {Step::kEnded, {NIM_DELETE}}}},
    };
    ASSERT_TRUE(StageBuiltLanguageLibrary(install_.InstallDir()));
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        FakeNotificationArea tray;
        ASSERT_NE(tray.Handle(), nullptr);
        std::vector<std::pair<std::wstring, std::wstring>> environment = {
            {L"KORVID_SIM_LOG", CaseLogPath(static_cast<std::size_t>(&c - kCases))}};
        if (c.openResults != nullptr) environment.emplace_back(L"KORVID_SIM_OPEN", c.openResults);

        std::unique_ptr<ChildProcess> host;
        std::vector<DWORD> expected;
        for (const auto& [step, added] : c.steps) {
            SCOPED_TRACE("step " + std::to_string(static_cast<int>(step)) + " after " +
                         std::to_string(expected.size()) + " calls");
            expected.insert(expected.end(), added.begin(), added.end());
            switch (step) {
                case Step::kStarted:
                    host = StartHostAndWait(environment);
                    ASSERT_NE(host, nullptr);
                    // The host answers while it waits for the notification
                    // area inside its start-up: the call may still be on its way.
                    (void)tray.WaitForCalls(expected.size(), kMessageTimeoutMs);
                    break;
                case Step::kShellRestarted:
                    ASSERT_TRUE(SendAndAwaitHandler(host->Window(), TaskbarCreatedMessage(), 0, 0, kMessageTimeoutMs));
                    EXPECT_TRUE(SectionExists());
                    break;
                case Step::kConnectionMessageArrival:
                    ASSERT_TRUE(SendAndAwaitHandler(host->Window(), WM_DEVICE_CONNECTION, kConnectionAttached, 0,
                                                    kMessageTimeoutMs));
                    // The icon comes once the device has settled (a timer).
                    (void)tray.WaitForCalls(expected.size(), kMessageTimeoutMs);
                    break;
                case Step::kConnectionMessageRemoval:
                    ASSERT_TRUE(SendAndAwaitHandler(host->Window(), WM_DEVICE_CONNECTION, kConnectionRemoved, 0,
                                                    kMessageTimeoutMs));
                    break;
                case Step::kEnded:
                    EXPECT_EQ(host->EndWith(WM_COMMAND, ID_TRAY_EXIT, 0, kExitTimeoutMs), kExitOk);
                    break;
            }
            EXPECT_EQ(Commands(tray.Calls()), expected);
        }
        ExpectHostIcon(tray.Calls(), host->Window(), BuiltLanguageText(kTextTooltip));
        EXPECT_THAT(CustomizersStartedBy(*host), IsEmpty());
    }
}

// The tooltip is string 1002 of lan.dll, cut to 127 characters; without
// lan.dll, or without the string, it is the host's own text, never empty.
// Whatever lan.dll holds, the host runs and its menu works: the menu's Exit
// item ends it with exit code 0.
TEST_F(HostProgramsTest, TheTooltipComesFromLanDllOrFallsBackAndTheMenuWorksEitherWay) {
    const std::wstring longTip = std::wstring(100, L'a') + std::wstring(100, L'b');
    const struct {
        const char* name;
        std::optional<LanguageTexts> library;  // nothing: no lan.dll
        std::optional<std::wstring> tip;       // nothing: any text but an empty one
    } kCases[] = {
        {"own texts", LanguageTexts{L"Open it", L"Leave", L"Maus \u00e9t\u00e9 \u2713"}, L"Maus \u00e9t\u00e9 \u2713"},
        {"tooltip of 200 characters", LanguageTexts{L"Open it", L"Leave", longTip}, longTip.substr(0, kTipMaxChars)},
        {"no tooltip string", LanguageTexts{L"Open it", L"Leave", std::nullopt}, std::nullopt},
        {"no menu strings", LanguageTexts{std::nullopt, std::nullopt, L"Only a tip"}, L"Only a tip"},
        {"no lan.dll", std::nullopt, std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::wstring library = install_.InstallDir() + kLanguageLibraryName;
        (void)DeleteFileW(library.c_str());  // may not exist
        if (c.library) {
            ASSERT_TRUE(StageLanguageLibrary(install_.InstallDir(), *c.library));
        }
        FakeNotificationArea tray;
        ASSERT_NE(tray.Handle(), nullptr);

        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", CaseLogPath(static_cast<std::size_t>(&c - kCases))}});
        ASSERT_NE(host, nullptr);
        const auto calls = tray.WaitForCalls(1, kMessageTimeoutMs);  // see above: it may still be on its way
        ASSERT_THAT(Commands(calls), ElementsAre(static_cast<DWORD>(NIM_ADD)));
        ExpectHostIcon(calls, host->Window(), c.tip);

        ASSERT_TRUE(OpenTrayMenu(*host)) << "no menu";
        PressKeys({VK_DOWN, VK_DOWN, VK_RETURN});  // the second item
        EXPECT_EQ(host->WaitForExit(kExitTimeoutMs), kExitOk) << "the menu's second item did not end the host";
    }
}

// The right button opens the menu with the host as the foreground window,
// so that the keyboard and a click elsewhere reach it. The first item opens
// the customizer, the second ends the host, dismissing it does nothing. Under
// Wine's null driver the menu stays open until it gets input: TrackPopupMenu
// does not return meanwhile, but the host window goes on handling its
// messages inside the menu's loop, so a WM_CLOSE still ends the host.
TEST_F(HostProgramsTest, TheMenuOpensTheCustomizerEndsTheHostOrIsDismissed) {
    enum class Outcome { kNothing, kCustomizerLaunched, kHostEnded };
    const struct {
        const char* name;
        std::vector<WORD> keys;
        bool closeWhileOpen;  // WM_CLOSE from another program instead of keys
        Outcome outcome;
    } kCases[] = {
        {"first item", {VK_DOWN, VK_RETURN}, false, Outcome::kCustomizerLaunched},
        {"second item", {VK_DOWN, VK_DOWN, VK_RETURN}, false, Outcome::kHostEnded},
        {"dismissed with Escape", {VK_ESCAPE}, false, Outcome::kNothing},
        {"WM_CLOSE while the menu is open", {}, true, Outcome::kHostEnded},
    };
    customizer_.reset();
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", CaseLogPath(static_cast<std::size_t>(&c - kCases))}});
        ASSERT_NE(host, nullptr);
        ASSERT_TRUE(OpenTrayMenu(*host)) << "no menu";
        ASSERT_EQ(GetForegroundWindow(), host->Window()) << "the host did not take the foreground for its menu";

        if (c.closeWhileOpen) {
            EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
        } else {
            PressKeys(c.keys);
        }
        switch (c.outcome) {
            case Outcome::kHostEnded:
                EXPECT_EQ(host->WaitForExit(kExitTimeoutMs), kExitOk);
                break;
            case Outcome::kCustomizerLaunched:
                EXPECT_TRUE(PollUntil([&] { return !CustomizersStartedBy(*host).empty(); }, kMessageTimeoutMs));
                EXPECT_THAT(CustomizersStartedBy(*host), ElementsAre(InstalledCustomizer()));
                EXPECT_TRUE(MenuClosed(*host));
                break;
            case Outcome::kNothing:
                ASSERT_TRUE(MenuClosed(*host));
                // A command chosen by mistake would be queued by now, ahead of
                // this one: a single launch shows there was none.
                ASSERT_TRUE(host->Post(WM_COMMAND, ID_TRAY_CUSTOMIZER, 0));
                EXPECT_TRUE(PollUntil([&] { return !CustomizersStartedBy(*host).empty(); }, kMessageTimeoutMs));
                EXPECT_THAT(CustomizersStartedBy(*host), ElementsAre(InstalledCustomizer()));
                break;
        }
        if (c.outcome != Outcome::kHostEnded) {
            EXPECT_TRUE(SendAndAwaitHandler(host->Window(), WM_NULL, 0, 0, kMessageTimeoutMs))
                << "the host does not answer";
            EXPECT_EQ(host->EndWith(WM_COMMAND, ID_TRAY_EXIT, 0, kExitTimeoutMs), kExitOk);
        }
        ASSERT_TRUE(CloseStandInCustomizers(kExitTimeoutMs));
    }
}

}  // namespace
}  // namespace korvid::e2e
