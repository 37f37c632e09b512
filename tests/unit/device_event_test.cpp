#include "runtime/device_event.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "config/factory_defaults.h"
#include "unit_support.h"

namespace korvid {
namespace {

void SetLaunchButton(ButtonData& button, const std::u16string& path) {
    button.function = kFunctionLaunch;
    std::memcpy(button.launchPath, path.c_str(), (path.size() + 1) * sizeof(char16_t));
}

TEST(DeviceEvent, CodeFromDeviceMessage) {
    const struct {
        const char* name;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        EventCode code;
    } kCases[] = {
        {"profile 3", 0x3000, 3, 0x30000003},
        {"high word of lParam ignored", 0x3000, 0x00010003, 0x30000003},
        {"high bits of wParam ignored", 0x12343000, 3, 0x30000003},
        {"negative lParam keeps its low word", 0xB000, -1, 0xB000FFFF},
        {"connection class as an ordinary event", 0x7F00, 2, 0x7F000002},
        {"all zero", 0, 0, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const EventCode code = EventCodeFromMessage(c.wParam, c.lParam);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(EventClassOf(code), c.code >> 16);
        EXPECT_EQ(EventArgumentOf(code), c.code & 0xFFFF);
    }
}

TEST(DeviceEvent, CodeFromConnectionMessage) {
    const struct {
        std::uintptr_t wParam;
        EventCode code;
    } kCases[] = {
        {1, 0x7F000001},          {0, 0x7F000002},       {2, 0x7F000000},
        {0xFFFFFFFF, 0x7F000000}, {0x10001, 0x7F000000},  // only exactly 1 is an attach
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.wParam);
        EXPECT_EQ(EventCodeFromConnection(c.wParam), c.code);
    }
}

TEST(DeviceEvent, Decision) {
    const struct {
        const char* name;
        EventCode code;
        int deviceState;
        DeviceAction action;
        int index;
    } kCases[] = {
        {"profile 1", 0x30000001, kDeviceAttached, DeviceAction::kSetProfile, 0},
        {"profile 3", 0x30000003, kDeviceAttached, DeviceAction::kSetProfile, 2},
        {"profile 5", 0x30000005, kDeviceAttached, DeviceAction::kSetProfile, 4},
        {"profile 0", 0x30000000, kDeviceAttached, DeviceAction::kNone, 0},
        {"profile 6", 0x30000006, kDeviceAttached, DeviceAction::kNone, 0},
        {"profile followed whatever deviceState", 0x30000002, kDeviceRemoved, DeviceAction::kSetProfile, 1},
        {"stage 1", 0xB0000001, kDeviceAttached, DeviceAction::kSetStage, 0},
        {"stage 8", 0xB0000008, kDeviceAttached, DeviceAction::kSetStage, 7},
        {"stage 0", 0xB0000000, kDeviceAttached, DeviceAction::kNone, 0},
        {"stage 9", 0xB0000009, kDeviceAttached, DeviceAction::kNone, 0},
        {"open customizer 1", 0xA0000001, kDeviceAttached, DeviceAction::kOpenCustomizer, 0},
        {"open customizer 0", 0xA0000000, kDeviceAttached, DeviceAction::kNone, 0},
        {"open customizer 2", 0xA0000002, kDeviceAttached, DeviceAction::kNone, 0},
        {"attach after failed open", 0x7F000001, kDeviceNeverOpened, DeviceAction::kAttach, 0},
        {"attach after removal", 0x7F000001, kDeviceRemoved, DeviceAction::kAttach, 0},
        {"attach while attached", 0x7F000001, kDeviceAttached, DeviceAction::kNone, 0},
        {"removal after failed open", 0x7F000002, kDeviceNeverOpened, DeviceAction::kRemove, 0},
        {"removal while attached", 0x7F000002, kDeviceAttached, DeviceAction::kRemove, 0},
        {"removal while removed", 0x7F000002, kDeviceRemoved, DeviceAction::kNone, 0},
        {"connection argument 0", 0x7F000000, kDeviceRemoved, DeviceAction::kNone, 0},
        {"connection argument 3", 0x7F000003, kDeviceRemoved, DeviceAction::kNone, 0},
        {"unknown class", 0x40000001, kDeviceAttached, DeviceAction::kNone, 0},
        {"class 0", 0x00000001, kDeviceAttached, DeviceAction::kNone, 0},
    };
    const auto image = FactoryImage();
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const DeviceEventAction got = DecideDeviceEvent(c.code, *image, c.deviceState);
        EXPECT_EQ(got.action, c.action);
        EXPECT_EQ(got.index, c.index);
        EXPECT_TRUE(got.launchPath.empty());
    }
}

TEST(DeviceEvent, LaunchProgramUsesTheActiveProfilesSlot) {
    const std::u16string kPath = u"C:\\Program Files\\Tool\\tool.exe";
    const struct {
        const char* name;
        int activeProfile;
        int launchSlot;  // slot of the active profile given function 17, -1 for none
        int otherSlot;   // slot of profile 0 given function 17, -1 for none
        std::uint16_t argument;
        DeviceAction action;
        int index;
    } kCases[] = {
        {"slot 1 with function 17", 0, 0, -1, 1, DeviceAction::kLaunchProgram, 0},
        {"slot 15 with function 17", 0, 14, -1, 15, DeviceAction::kLaunchProgram, 14},
        {"slot 1 with another function", 0, -1, -1, 1, DeviceAction::kNone, 0},
        {"slot 16 is never launched", 0, 15, -1, 16, DeviceAction::kNone, 0},
        {"slot 0", 0, 0, -1, 0, DeviceAction::kNone, 0},
        {"active profile 3", 3, 4, -1, 5, DeviceAction::kLaunchProgram, 4},
        {"only an inactive profile launches", 3, -1, 4, 5, DeviceAction::kNone, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto image = FactoryImage();
        image->activeProfile = c.activeProfile;
        if (c.launchSlot >= 0) SetLaunchButton(image->profiles[c.activeProfile].buttons[c.launchSlot], kPath);
        if (c.otherSlot >= 0) SetLaunchButton(image->profiles[0].buttons[c.otherSlot], kPath);

        const EventCode code = EventCode{EVENT_LAUNCH_PROGRAM} << 16 | c.argument;
        const DeviceEventAction got = DecideDeviceEvent(code, *image, kDeviceAttached);
        EXPECT_EQ(got.action, c.action);
        EXPECT_EQ(got.index, c.index);
        EXPECT_EQ(got.launchPath, c.action == DeviceAction::kLaunchProgram ? kPath : u"");
    }
}

TEST(DeviceEvent, LaunchPathFillingItsWholeArrayIsCutAtTheArray) {
    auto image = FactoryImage();
    ButtonData& button = image->profiles[0].buttons[2];
    button.function = kFunctionLaunch;
    std::fill(std::begin(button.launchPath), std::end(button.launchPath), u'x');
    button.padding746[0] = 'y';  // the scan must stop before the padding
    const DeviceEventAction got = DecideDeviceEvent(0x60000003, *image, kDeviceAttached);
    EXPECT_EQ(got.launchPath, std::u16string(kLaunchPathChars, u'x'));
}

TEST(DeviceEvent, RecordDeviceChangeWritesOnlyItsField) {
    const struct {
        const char* name;
        DeviceEventAction change;
        void (*expect)(ShareData&);
    } kCases[] = {
        {"profile 3", {.action = DeviceAction::kSetProfile, .index = 2}, [](ShareData& s) { s.activeProfile = 2; }},
        {"same profile again", {.action = DeviceAction::kSetProfile, .index = 1}, [](ShareData&) {}},
        {"stage 8 of the active profile",
         {.action = DeviceAction::kSetStage, .index = 7},
         [](ShareData& s) { s.profiles[1].currentStage = 7; }},
        {"launch changes nothing", {.action = DeviceAction::kLaunchProgram}, [](ShareData&) {}},
        {"attach changes nothing", {.action = DeviceAction::kAttach}, [](ShareData&) {}},
        {"none changes nothing", {}, [](ShareData&) {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto image = FactoryImage();
        image->activeProfile = 1;
        auto expected = FactoryImage();
        expected->activeProfile = 1;
        c.expect(*expected);

        RecordDeviceChange(*image, c.change);
        EXPECT_EQ(std::memcmp(image.get(), expected.get(), sizeof(ShareData)), 0);
    }
}

TEST(DeviceEvent, OsdShowCarriesTheProfileIndexInTheHighWord) {
    EXPECT_EQ(kOsdShowWParam, 40u);
    EXPECT_EQ(OsdShowLParam(0), 0);
    EXPECT_EQ(OsdShowLParam(2), 0x20000);
    EXPECT_EQ(OsdShowLParam(4), 0x40000);
}

}  // namespace
}  // namespace korvid
