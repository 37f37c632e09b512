// The real Option.exe's Buttons, Macros, Lighting and Profiles pages, driven
// by control ID with the real Korvid.exe on the simulated mouse: a keyboard
// key captured from key messages and a macro recorded from them reach the
// mouse as exactly those bytes; a lighting mode and colour reach it in
// CMD_LIGHTING; an import with one bad line changes nothing and names it.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "config/share_data.h"
#include "customizer/control_ids.h"
#include "customizer_driver_win.h"
#include "device/button_command.h"
#include "device/lighting_command.h"
#include "device/macro_command.h"
#include "host_test_fixture_win.h"
#include "image_bytes.h"
#include "protocol/korvid_protocol.h"
#include "push_helpers_win.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

constexpr int kButtonsPage = ID_PAGE_BUTTONS - ID_PAGE_PROFILES;
constexpr int kMacrosPage = ID_PAGE_MACROS - ID_PAGE_PROFILES;
constexpr int kLightingPage = ID_PAGE_LIGHTING - ID_PAGE_PROFILES;

class CustomizerPagesTest : public CustomizerHostTest {
protected:
    // The host on the simulated mouse, once its start-up push has ended,
    // then the customizer connected to it.
    CustomizerRun StartHostThenCustomizer(std::unique_ptr<ChildProcess>& host) {
        host = StartHostAndWait();
        if (host == nullptr) return {};
        (void)WaitForPushEnds(LogPath(), 1, kStartTimeoutMs);
        return StartCustomizer(install_);
    }

    // Applies and returns the frames the host sent for it, with the section
    // the customizer wrote.
    std::vector<LoggedFrame> ApplyAndWait(const CustomizerWindow& ui, std::unique_ptr<ShareData>& section) {
        const std::size_t before = LoggedFrames(DriverLog()).size();
        EXPECT_TRUE(ui.Click(ID_APPLY));
        const std::vector<LoggedFrame> frames = WaitForPushEnds(LogPath(), 2, kMessageTimeoutMs);
        EXPECT_TRUE(PollUntil([&] { return ui.Enabled(ID_APPLY); }, kMessageTimeoutMs)) << Narrow(ui.Status());
        const auto bytes = ReadSection();
        if (bytes) section = ImageOf(*bytes);
        return FramesFrom(frames, before);
    }
};

std::vector<std::uint8_t> OnlyFrame(const std::vector<LoggedFrame>& frames, std::uint8_t command) {
    std::vector<std::uint8_t> found;
    int count = 0;
    for (const LoggedFrame& frame : frames) {
        if (frame.Command() != command) continue;
        found = frame.bytes;
        ++count;
    }
    EXPECT_EQ(count, 1) << "frames of command " << int(command);
    return found;
}

TEST_F(CustomizerPagesTest, CapturedKeyAndRecordedMacroReachTheMouseAsExactlyThoseBytes) {
    std::unique_ptr<ChildProcess> host;
    const CustomizerRun run = StartHostThenCustomizer(host);
    ASSERT_NE(host, nullptr);
    ASSERT_NE(run.window, nullptr);
    const CustomizerWindow ui(run.window);

    // Button 4 (slot 3): Ctrl+A from the key capture box.
    ASSERT_TRUE(ui.ShowPage(kButtonsPage));
    ASSERT_TRUE(ui.SelectListItem(ID_BUTTON_LIST, 3));
    ASSERT_TRUE(ui.Select(ID_BUTTON_FUNCTION, 0));  // "Keyboard key" leads the list
    ASSERT_TRUE(ui.Key(ID_BUTTON_KEY, VK_CONTROL, true, 0x1D));
    ASSERT_TRUE(ui.Key(ID_BUTTON_KEY, 'A', true, 0x1E));
    ASSERT_TRUE(ui.Key(ID_BUTTON_KEY, 'A', false, 0x1E));
    ASSERT_TRUE(ui.Key(ID_BUTTON_KEY, VK_CONTROL, false, 0x1D));
    EXPECT_EQ(ui.Text(ID_BUTTON_KEY), L"Ctrl+A");
    // A key without a USB keyboard code is refused and changes nothing.
    ASSERT_TRUE(ui.Key(ID_BUTTON_KEY, VK_VOLUME_MUTE, true, 0x20, true));
    EXPECT_TRUE(Contains(ui.Status(), L"no USB keyboard code")) << Narrow(ui.Status());
    EXPECT_EQ(ui.Text(ID_BUTTON_KEY), L"Ctrl+A");

    // Button 5 (slot 4): a macro, recorded from key messages.
    ASSERT_TRUE(ui.SelectListItem(ID_BUTTON_LIST, 4));
    ASSERT_TRUE(ui.Select(ID_BUTTON_FUNCTION, 1));  // "Macro"
    ASSERT_TRUE(ui.ShowPage(kMacrosPage));
    ASSERT_TRUE(ui.SetText(ID_MACRO_NAME, L"combo"));
    ASSERT_TRUE(ui.Click(ID_MACRO_RECORD));
    const struct {
        UINT key;
        bool down;
        UINT scan;
    } kKeys[] = {
        {'B', true, 0x30},  {'B', true, 0x30},  // auto-repeat: one step
        {'B', false, 0x30}, {VK_SHIFT, true, 0x36}, {'C', true, 0x2E}, {'C', false, 0x2E}, {VK_SHIFT, false, 0x36},
    };
    for (const auto& k : kKeys) {
        ASSERT_TRUE(ui.Key(ID_MACRO_RECORDER, k.key, k.down, k.scan));
        Sleep(60);
    }
    ASSERT_TRUE(ui.Click(ID_MACRO_RECORD));  // stop
    EXPECT_TRUE(Contains(ui.Status(), L"Recorded 6 steps")) << Narrow(ui.Status());

    std::unique_ptr<ShareData> section;
    const std::vector<LoggedFrame> frames = ApplyAndWait(ui, section);
    ASSERT_NE(section, nullptr);
    const ButtonData& key = section->profiles[0].buttons[3];
    EXPECT_EQ(key.function, kFunctionKey);
    EXPECT_EQ(key.keyModifiers, 0x01);
    EXPECT_EQ(key.keyCode, 0x04);
    const ButtonData& macro = section->profiles[0].buttons[4];
    ASSERT_EQ(macro.function, kFunctionMacro);
    ASSERT_EQ(macro.eventCount, 6);
    const std::uint8_t keys[] = {0x05, 0x05, 0xE5, 0x06, 0x06, 0xE5};  // B, Right Shift, C
    const std::uint8_t states[] = {1, 0, 1, 1, 0, 0};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(macro.events[i].key, keys[i]);
        EXPECT_EQ(macro.events[i].state, states[i]);
        if (i < 5) {
            EXPECT_GE(macro.events[i].delay, 30) << "the pause after the step, as recorded";
        }
    }
    EXPECT_EQ(macro.events[5].delay, 0);

    // The frames: exactly what the push of this image sends; the button and
    // macro bytes as the person made them.
    EXPECT_EQ(HexFrames(frames), HexFrames(ExpectedPush(*section, false)));
    const std::vector<std::uint8_t> buttons = OnlyFrame(frames, CMD_BUTTONS);
    ASSERT_EQ(buttons.size(), kButtonsLength);
    EXPECT_EQ(buttons[ButtonsLayout::kProfile], 0);
    const std::vector<std::uint8_t> slot3(buttons.begin() + ButtonsLayout::Slot(3),
                                          buttons.begin() + ButtonsLayout::Slot(4));
    const std::vector<std::uint8_t> slot4(buttons.begin() + ButtonsLayout::Slot(4),
                                          buttons.begin() + ButtonsLayout::Slot(5));
    EXPECT_EQ(slot3, (std::vector<std::uint8_t>{0x05, 0x01, 0x04}));
    EXPECT_EQ(slot4, (std::vector<std::uint8_t>{0x10, 0x00, 0x01})) << "macro number 1";
    const std::vector<std::uint8_t> upload = OnlyFrame(frames, CMD_MACRO);
    ASSERT_EQ(upload.size(), kMacroLength);
    EXPECT_EQ(upload[MacroLayout::kNumber], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&upload[MacroLayout::kName])), "combo");
    // A pause of 256 ms or more (a slow Wine) takes a long entry: walk them.
    std::size_t at = MacroLayout::kEntries;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(upload[at + MacroEntryLayout::kKey], keys[i]) << i;
        EXPECT_EQ((upload[at + MacroEntryLayout::kLead] & kMacroReleaseBit) == 0, states[i] == 1) << i;
        at += EncodeMacroStep(macro.events[i]).size;
    }
    EXPECT_EQ(upload[MacroLayout::kUnitCount], (at - MacroLayout::kEntries) / MacroLayout::kUnitBytes);
}

TEST_F(CustomizerPagesTest, LightingModeAndColoursReachTheMouseInOneLightingFrame) {
    std::unique_ptr<ChildProcess> host;
    const CustomizerRun run = StartHostThenCustomizer(host);
    ASSERT_NE(host, nullptr);
    ASSERT_NE(run.window, nullptr);
    const CustomizerWindow ui(run.window);
    ASSERT_TRUE(ui.ShowPage(kLightingPage));
    ASSERT_TRUE(ui.Select(ID_EDIT_PROFILE, 2));
    ASSERT_TRUE(ui.Select(ID_LIGHT_MODE_A, 3));
    ASSERT_TRUE(ui.Select(ID_LIGHT_MODE_B, 5));  // off
    ASSERT_TRUE(ui.SetText(ID_LIGHT_COLOR_B, L"#102030"));
    ASSERT_TRUE(ui.SetText(ID_LIGHT_PARAM_A2, L"300"));  // refused: stays 10
    EXPECT_TRUE(Contains(ui.Status(), L"Not taken")) << Narrow(ui.Status());
    ASSERT_TRUE(ui.Click(ID_LIGHT_SLOT_ENABLED + 2));  // colour 3 off

    std::unique_ptr<ShareData> section;
    const std::vector<LoggedFrame> frames = ApplyAndWait(ui, section);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(HexFrames(frames), HexFrames(ExpectedPush(*section, false)));
    const std::vector<std::uint8_t> lighting = OnlyFrame(frames, CMD_LIGHTING);
    ASSERT_EQ(lighting.size(), kLightingLength);
    using L = LightingLayout;
    EXPECT_EQ(lighting[L::kProfile], 2);
    EXPECT_EQ((std::vector<std::uint8_t>{lighting[L::kModeA], lighting[L::kModeA + 1]}),
              (std::vector<std::uint8_t>{0x01, 0x03}));
    EXPECT_EQ((std::vector<std::uint8_t>{lighting[L::kModeB], lighting[L::kModeB + 1]}),
              (std::vector<std::uint8_t>{0x00, 0x00}));
    EXPECT_EQ(lighting[L::kParamA2], 10);
    EXPECT_EQ(lighting[L::kSlotMask], 0xFB);
    EXPECT_EQ((std::vector<std::uint8_t>(lighting.begin() + L::kColorB, lighting.begin() + L::kColorB + 3)),
              (std::vector<std::uint8_t>{0x30, 0x20, 0x10}))
        << "#102030 is stored as 0x00302010 and sent blue, green, red";
}

TEST_F(CustomizerPagesTest, ImportWithOneBadLineChangesNothingAndNamesTheLineThenTheMendedFileIsTaken) {
    ASSERT_TRUE(WriteConfigData(FactoryImageBytes()));
    const CustomizerRun run = StartCustomizer(install_);  // no host: Config.data is edited directly
    ASSERT_NE(run.window, nullptr);
    const CustomizerWindow ui(run.window);
    const std::wstring file = install_.TestDir() + L"profiles.txt";
    const auto write = [&](const char* text) {
        std::ofstream out(std::string(file.begin(), file.end()), std::ios::binary | std::ios::trunc);
        out << text;
    };
    write(
        "# two good lines and a bad one\r\nprofiles[0].pointerSpeed=3\r\nprofiles[0].lightModeA=256\r\n"
        "profiles[1].profileName=Imported\r\n");
    ASSERT_TRUE(ui.SetText(ID_CONFIG_FILE, file));
    ASSERT_TRUE(ui.Click(ID_IMPORT));
    EXPECT_TRUE(Contains(ui.Text(ID_IMPORT_REPORT), L"line 3: profiles[0].lightModeA: \"256\" is out of range"))
        << Narrow(ui.Text(ID_IMPORT_REPORT));
    EXPECT_TRUE(Contains(ui.Status(), L"Nothing was imported")) << Narrow(ui.Status());
    EXPECT_EQ(ui.Text(ID_POINTER_SPEED), L"6");
    EXPECT_EQ(ui.Text(ID_PROFILE_NAME), L"Default1");
    ASSERT_TRUE(ui.Select(ID_EDIT_PROFILE, 1));
    EXPECT_EQ(ui.Text(ID_PROFILE_NAME), L"Default2");

    write("profiles[0].pointerSpeed=3\nprofiles[0].lightModeA=4\nprofiles[1].profileName=Imported\n");
    ASSERT_TRUE(ui.Click(ID_IMPORT));
    EXPECT_EQ(ui.Text(ID_IMPORT_REPORT), L"");
    EXPECT_TRUE(Contains(ui.Status(), L"3 fields changed")) << Narrow(ui.Status());
    EXPECT_EQ(ui.Text(ID_PROFILE_NAME), L"Imported");
    ASSERT_TRUE(ui.Click(ID_APPLY));
    auto expected = ImageOf(FactoryImageBytes());
    expected->profiles[0].pointerSpeed = 3;
    expected->profiles[0].lightModeA = 4;
    std::copy_n(u"Imported", 9, expected->profiles[1].profileName);
    expected->lightingChanged[0] = 1;
    EXPECT_TRUE(PollUntil([&] { return ConfigDataDifference(BytesOf(*expected)).empty(); }, kMessageTimeoutMs))
        << ConfigDataDifference(BytesOf(*expected));
}

}  // namespace
}  // namespace korvid::e2e
