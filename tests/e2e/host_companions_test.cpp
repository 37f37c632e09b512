// Korvid.exe and the suite's other programs: the on-screen display and the
// two applets started at every start-up, and the customizer opened or brought
// forward from the notification-area icon, the menu command, the mouse's
// button and a second start with the argument "1".
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_test_fixture_win.h"
#include "suite_programs_win.h"

namespace korvid::e2e {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

inline constexpr UINT WM_SYSTRAY_NOTIFY = 1036;
inline constexpr WPARAM kTrayIconId = 102;
inline constexpr WPARAM EVENT_OPEN_CUSTOMIZER = 0xA000;

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<std::wstring> CompanionPaths(const std::wstring& folder) {
    std::vector<std::wstring> paths;
    for (const wchar_t* companion : kCompanionExes) paths.push_back(folder + companion);
    return paths;
}

std::vector<StandInStart> Without(const std::vector<StandInStart>& starts, const std::wstring& path) {
    std::vector<StandInStart> others;
    for (const StandInStart& start : starts)
        if (start.path != path) others.push_back(start);
    return others;
}

// Every start launches the on-screen display and the two applets from the
// install folder, with the mouse or without it; the customizer comes only
// with the argument "1" and only when the mouse opened. The stand-ins record
// their starts from their own processes, each after its own start-up, so the
// log shows which programs were started but not reliably in which order
// (under Wine the lines have come in reverse).
TEST_F(HostProgramsTest, EveryStartLaunchesTheCompanionsAndTheCustomizerOnlyWhenAskedWithTheMouse) {
    const struct {
        const char* name;
        const wchar_t* openResults;  // KORVID_SIM_OPEN, or nullptr: the mouse opens
        const wchar_t* arguments;
        bool customizer;
    } kCases[] = {
        {"mouse present", nullptr, L"", false},
        {"mouse absent", L"0", L"", false},
        {"mouse present, argument 1", nullptr, L"1", true},
        {"mouse absent, argument 1", L"0", L"1", false},
    };
    customizer_.reset();
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::size_t index = static_cast<std::size_t>(&c - kCases);
        const std::wstring log = ProgramLog((L"case" + std::to_wstring(index) + L".programs.log").c_str());
        std::vector<std::pair<std::wstring, std::wstring>> environment = {{L"KORVID_SIM_LOG", CaseLogPath(index)},
                                                                          LogTo(log)};
        if (c.openResults != nullptr) environment.emplace_back(L"KORVID_SIM_OPEN", c.openResults);

        auto host = StartHostAndWait(environment, c.arguments);
        ASSERT_NE(host, nullptr);
        const auto starts =
            Without(WaitForStandInStarts(log, c.customizer ? 4 : 3, kMessageTimeoutMs), InstalledCustomizer());
        EXPECT_THAT(StartedPaths(starts), UnorderedElementsAreArray(CompanionPaths(install_.InstallDir())));
        for (const StandInStart& start : starts) EXPECT_EQ(start.arguments, L"") << "arguments of " << start.path;
        // The companions come last in the start-up: a customizer it launched
        // before them is running now.
        if (c.customizer) {
            EXPECT_THAT(CustomizersStartedBy(*host), ElementsAre(InstalledCustomizer()));
        } else {
            EXPECT_THAT(CustomizersStartedBy(*host), IsEmpty());
        }

        EXPECT_EQ(host->EndWith(WM_COMMAND, ID_TRAY_EXIT, 0, kExitTimeoutMs), kExitOk);
        EXPECT_TRUE(CloseStandInCustomizers(kExitTimeoutMs));
    }
}

// A companion that is not installed is passed over: the others are still
// started, and the host runs and ends as always.
TEST_F(HostProgramsTest, MissingCompanionsChangeNothing) {
    const struct {
        const char* name;
        std::vector<const wchar_t*> installed;
    } kCases[] = {
        {"none installed", {}},
        {"only the first applet", {kCompanionExes[1]}},
        {"only the last applet", {kCompanionExes[2]}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        std::vector<std::wstring> expected;
        for (const wchar_t* companion : kCompanionExes) {
            const std::wstring path = install_.InstallDir() + companion;
            (void)DeleteFileW(path.c_str());  // may be gone already
            ASSERT_FALSE(FileExists(path));
        }
        for (const wchar_t* companion : c.installed) {
            ASSERT_TRUE(StageStandInAt(install_.InstallDir(), companion));
            expected.push_back(install_.InstallDir() + companion);
        }
        const std::size_t index = static_cast<std::size_t>(&c - kCases);
        const std::wstring log = ProgramLog((L"case" + std::to_wstring(index) + L".programs.log").c_str());

        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", CaseLogPath(index)}, LogTo(log)});
        ASSERT_NE(host, nullptr);
        EXPECT_THAT(StartedPaths(WaitForStandInStarts(log, expected.size(), kMessageTimeoutMs)),
                    UnorderedElementsAreArray(expected));
        EXPECT_TRUE(SendAndAwaitHandler(host->Window(), WM_NULL, 0, 0, kMessageTimeoutMs))
            << "the host does not answer";
        EXPECT_EQ(host->EndWith(WM_COMMAND, ID_TRAY_EXIT, 0, kExitTimeoutMs), kExitOk);
    }
}

// Without a customizer window, each way of asking for the customizer
// launches Option.exe from the install folder, once; the other mouse
// messages over the icon do nothing. Every case runs to its end inside the
// host's handler (the device event through a WM_COMMAND the host posts to
// itself), and a launched stand-in runs until it is closed, so the running
// stand-ins count the launches.
TEST_F(HostProgramsTest, WithoutACustomizerWindowTheIconTheMenuAndTheMouseButtonLaunchIt) {
    const struct {
        const char* name;
        Message message;
        std::size_t launches;
    } kCases[] = {
        {"left button down", {WM_SYSTRAY_NOTIFY, kTrayIconId, WM_LBUTTONDOWN}, 1},
        {"left button double click", {WM_SYSTRAY_NOTIFY, kTrayIconId, WM_LBUTTONDBLCLK}, 1},
        {"menu command Open settings", {WM_COMMAND, ID_TRAY_CUSTOMIZER, 0}, 1},
        {"mouse button that opens the customizer", {WM_DEVICE_EVENT, EVENT_OPEN_CUSTOMIZER, 1}, 1},
        {"left button up", {WM_SYSTRAY_NOTIFY, kTrayIconId, WM_LBUTTONUP}, 0},
        {"right button up", {WM_SYSTRAY_NOTIFY, kTrayIconId, WM_RBUTTONUP}, 0},
        {"mouse move", {WM_SYSTRAY_NOTIFY, kTrayIconId, WM_MOUSEMOVE}, 0},
        {"middle button down", {WM_SYSTRAY_NOTIFY, kTrayIconId, WM_MBUTTONDOWN}, 0},
    };
    customizer_.reset();
    auto host = StartHostAndWait({LogTo(ProgramLog())});
    ASSERT_NE(host, nullptr);
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(SendAndAwaitHandler(host->Window(), c.message.message, c.message.wParam, c.message.lParam,
                                        kMessageTimeoutMs))
            << "the handler did not return";
        if (c.message.message == WM_DEVICE_EVENT) {
            // The launch follows in the WM_COMMAND the handler posted.
            (void)PollUntil([&] { return CustomizersStartedBy(*host).size() >= c.launches; }, kMessageTimeoutMs);
        }
        const auto launched = CustomizersStartedBy(*host);
        EXPECT_EQ(launched.size(), c.launches);
        EXPECT_THAT(launched, Each(InstalledCustomizer()));
        if (c.launches > 0) {
            EXPECT_NE(WaitForStandInCustomizer(kMessageTimeoutMs), nullptr) << "no customizer window";
        }

        ASSERT_TRUE(CloseStandInCustomizers(kExitTimeoutMs));
        ASSERT_TRUE(PollUntil([&] { return CustomizersStartedBy(*host).empty(); }, kExitTimeoutMs));
    }
    // The log names the program Windows started, with no arguments.
    const auto starts = ReadStandInStarts(ProgramLog());
    std::vector<StandInStart> customizers;
    for (const StandInStart& start : starts)
        if (start.path == InstalledCustomizer()) customizers.push_back(start);
    EXPECT_EQ(customizers.size(), 4u);
    for (const StandInStart& start : customizers) EXPECT_EQ(start.arguments, L"");
    EXPECT_EQ(host->EndWith(WM_COMMAND, ID_TRAY_EXIT, 0, kExitTimeoutMs), kExitOk);
}

// With the customizer's window minimised, every way of asking for it restores
// it and makes it the foreground window instead of launching another. A left
// button press then makes the host window the foreground window; a double
// click (press, then double click) hands the foreground back to the
// customizer, which shows that the second message ran OnCustomizer again.
TEST_F(HostProgramsTest, AMinimisedCustomizerIsRestoredAndBroughtForwardNotLaunched) {
    enum class Foreground { kCustomizer, kHost };
    const struct {
        const char* name;
        std::vector<Message> messages;
        Foreground foreground;
    } kCases[] = {
        {"left button down", {{WM_SYSTRAY_NOTIFY, kTrayIconId, WM_LBUTTONDOWN}}, Foreground::kHost},
        {"left button double click alone",
         {{WM_SYSTRAY_NOTIFY, kTrayIconId, WM_LBUTTONDBLCLK}},
         Foreground::kCustomizer},
        {"double click: down, then double click",
         {{WM_SYSTRAY_NOTIFY, kTrayIconId, WM_LBUTTONDOWN}, {WM_SYSTRAY_NOTIFY, kTrayIconId, WM_LBUTTONDBLCLK}},
         Foreground::kCustomizer},
        {"menu command Open settings", {{WM_COMMAND, ID_TRAY_CUSTOMIZER, 0}}, Foreground::kCustomizer},
        {"mouse button that opens the customizer",
         {{WM_DEVICE_EVENT, EVENT_OPEN_CUSTOMIZER, 1}},
         Foreground::kCustomizer},
    };
    auto host = StartHostAndWait({LogTo(ProgramLog())});
    ASSERT_NE(host, nullptr);
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ReopenCustomizer();
        HWND customizer = customizer_->Handle();
        (void)ShowWindow(customizer, SW_MINIMIZE);  // returns the previous visibility
        ASSERT_TRUE(IsIconic(customizer));
        ASSERT_NE(GetForegroundWindow(), customizer);

        for (const Message& m : c.messages)
            ASSERT_TRUE(SendAndAwaitHandler(host->Window(), m.message, m.wParam, m.lParam, kMessageTimeoutMs));
        HWND expected = c.foreground == Foreground::kCustomizer ? customizer : host->Window();
        // The device event's work follows in a posted WM_COMMAND.
        EXPECT_TRUE(
            PollUntil([&] { return !IsIconic(customizer) && GetForegroundWindow() == expected; }, kMessageTimeoutMs))
            << "iconic " << IsIconic(customizer) << ", foreground " << GetForegroundWindow() << ", customizer "
            << customizer << ", host " << host->Window();
        EXPECT_THAT(CustomizersStartedBy(*host), IsEmpty());
    }
    EXPECT_EQ(host->EndWith(WM_COMMAND, ID_TRAY_EXIT, 0, kExitTimeoutMs), kExitOk);
}

// A second start passes "1" on as "open the customizer": it brings up the
// customizer's window or launches Option.exe from its own folder (here
// another folder than the running host's, with its own stand-in). Any other
// argument does nothing visible. The second start always ends with 0 and the
// running host stays as it was.
TEST_F(HostProgramsTest, ASecondStartWithArgumentOneOpensTheCustomizerFromItsOwnFolder) {
    enum class Expect { kNothing, kLaunchFromOwnFolder, kBringUp };
    const struct {
        const char* name;
        const wchar_t* arguments;
        bool customizerWindow;  // a minimised customizer window exists
        Expect expect;
    } kCases[] = {
        {"1, no customizer", L"1", false, Expect::kLaunchFromOwnFolder},
        {"10, no customizer", L"10", false, Expect::kLaunchFromOwnFolder},
        {"1, customizer minimised", L"1", true, Expect::kBringUp},
        {"01, no customizer", L"01", false, Expect::kNothing},
        {"-1, no customizer", L"-1", false, Expect::kNothing},
        {"no argument, no customizer", L"", false, Expect::kNothing},
        {"01, customizer minimised", L"01", true, Expect::kNothing},
        {"no argument, customizer minimised", L"", true, Expect::kNothing},
    };
    const std::wstring secondFolder = install_.TestDir() + L"second\\";
    ASSERT_TRUE(StageStandInAt(secondFolder, kCustomizerExeName));
    ASSERT_TRUE(CopyFileW(BuiltHost().c_str(), (secondFolder + kHostExeName).c_str(), FALSE));

    auto first = StartHostAndWait({LogTo(ProgramLog())});
    ASSERT_NE(first, nullptr);
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        HWND customizer = nullptr;
        if (c.customizerWindow) {
            ReopenCustomizer();
            customizer = customizer_->Handle();
            (void)ShowWindow(customizer, SW_MINIMIZE);  // returns the previous visibility
            ASSERT_TRUE(IsIconic(customizer));
        } else {
            customizer_.reset();
        }
        const std::wstring log =
            ProgramLog((L"second" + std::to_wstring(static_cast<std::size_t>(&c - kCases)) + L".log").c_str());

        auto second = ChildProcess::Start(secondFolder + kHostExeName, {c.arguments, {LogTo(log)}});
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(second->WaitForExit(kExitTimeoutMs), kExitOk);

        // The second start has ended: whatever it launched is running now.
        const auto launched = ChildProcessPaths(second->Id(), kCustomizerExeName);
        if (c.expect == Expect::kLaunchFromOwnFolder) {
            EXPECT_THAT(launched, ElementsAre(secondFolder + kCustomizerExeName));
            EXPECT_THAT(StartedPaths(WaitForStandInStarts(log, 1, kMessageTimeoutMs)),
                        ElementsAre(secondFolder + kCustomizerExeName));
            EXPECT_NE(WaitForStandInCustomizer(kMessageTimeoutMs), nullptr) << "no customizer window";
        } else {
            EXPECT_THAT(launched, IsEmpty());
        }
        if (c.expect == Expect::kBringUp) {
            EXPECT_TRUE(PollUntil([&] { return !IsIconic(customizer) && GetForegroundWindow() == customizer; },
                                  kMessageTimeoutMs))
                << "iconic " << IsIconic(customizer) << ", foreground " << GetForegroundWindow();
        } else if (c.customizerWindow) {
            EXPECT_TRUE(IsIconic(customizer)) << "the customizer was restored";
        }
        EXPECT_THAT(CustomizersStartedBy(*first), IsEmpty());
        EXPECT_FALSE(first->WaitForExit(0).has_value()) << "the running host ended";
        EXPECT_EQ(WindowsTitled(kHostWindowTitle).size(), 1u);
        ASSERT_TRUE(CloseStandInCustomizers(kExitTimeoutMs));
    }
    EXPECT_EQ(first->EndWith(WM_COMMAND, ID_TRAY_EXIT, 0, kExitTimeoutMs), kExitOk);
}

}  // namespace
}  // namespace korvid::e2e
