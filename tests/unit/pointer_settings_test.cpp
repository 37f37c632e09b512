#include "runtime/pointer_settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "config/factory_defaults.h"

namespace korvid {
namespace {

TEST(PointerSettings, SpeedStepToWindows) {
    const struct {
        std::int32_t step;
        std::int32_t speed;
    } kCases[] = {
        {1, 1},  {2, 2},   {3, 4},   {4, 6},  {5, 8},   {6, 10},  {7, 12},       {8, 14},
        {9, 16}, {10, 18}, {11, 20}, {0, 10}, {12, 10}, {-1, 10}, {INT_MIN, 10}, {INT_MAX, 10},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.step);
        EXPECT_EQ(SpeedStepToWindows(c.step), c.speed);
    }
}

TEST(PointerSettings, WindowsSpeedToStep) {
    const struct {
        std::int32_t speed;
        std::int32_t step;
    } kRows[] = {
        {1, 1}, {2, 2}, {4, 3}, {6, 4}, {8, 5}, {10, 6}, {12, 7}, {14, 8}, {16, 9}, {18, 10}, {20, 11},
    };
    for (const auto& c : kRows) {
        SCOPED_TRACE(c.speed);
        EXPECT_EQ(WindowsSpeedToStep(c.speed), c.step);
        EXPECT_EQ(SpeedStepToWindows(c.step), c.speed) << "the tables are inverse on these rows";
    }
    // Speeds between the rows and out of range have no step of their own.
    for (const std::int32_t speed : {3, 5, 7, 9, 11, 13, 15, 17, 19, 0, -1, 21, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(speed);
        EXPECT_EQ(WindowsSpeedToStep(speed), 6);
    }
}

TEST(PointerSettings, DoubleClickTimeAndItsInverse) {
    const struct {
        std::int32_t step;
        std::int32_t ms;
    } kToTime[] = {
        {0, 900},  {5, 550},  {6, 480},  {10, 200},
        {11, 130}, {13, -10}, {-1, 970}, {INT_MAX, 970},  // 32-bit wrap-around, not undefined
    };
    for (const auto& c : kToTime) {
        SCOPED_TRACE("step " + std::to_string(c.step));
        EXPECT_EQ(DoubleClickTime(c.step), c.ms);
    }

    const struct {
        std::int32_t ms;
        std::int32_t step;
    } kToStep[] = {
        {500, 5},
        {900, 0},
        {200, 10},
        {480, 6},
        {1000, -1},
        {901, 0},
        {969, 0},
        {970, -1},
        {0, 12},
        {130, 11},
        {-10, 13},
        {INT_MIN, 30678350},
        {INT_MAX, -30678324},
    };
    for (const auto& c : kToStep) {
        SCOPED_TRACE("ms " + std::to_string(c.ms));
        EXPECT_EQ(DoubleClickStepFromTime(c.ms), c.step);
    }
}

TEST(PointerSettings, ParseRegistryInt) {
    const struct {
        const char* name;
        std::u16string text;
        std::int32_t value;
    } kCases[] = {
        {"plain", u"500", 500},
        {"leading white space and minus", u"  -3", -3},
        {"tab and line break before", u"\t\n 5", 5},
        {"plus sign", u"+7", 7},
        {"leading zeros", u"007", 7},
        {"stops at a letter", u"12abc", 12},
        {"stops at a space", u"3 4", 3},
        {"empty", u"", 0},
        {"letters", u"abc", 0},
        {"sign only", u"-", 0},
        {"two signs", u"+-3", 0},
        {"space after the sign", u"- 3", 0},
        {"non-ASCII digit", u"\u0663", 0},
        {"stops at a terminator", std::u16string{u'1', u'2', u'\0', u'3', u'4'}, 12},
        {"-1", u"-1", -1},
        {"unsigned rendering of -1", u"4294967295", -1},
        {"unsigned rendering of -2", u"4294967294", -2},
        {"largest int", u"2147483647", INT_MAX},
        {"one above the largest int", u"2147483648", INT_MIN},
        {"smallest int", u"-2147483648", INT_MIN},
        {"beyond 32 bits", u"4294967296", INT_MAX},
        {"far beyond 32 bits", u"99999999999999999999999999", INT_MAX},
        {"far below", u"-99999999999999999999999999", INT_MIN},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseRegistryInt(c.text), c.value);
    }
}

struct PointerFields {
    std::int32_t doubleClickSpeed;
    std::int32_t pointerSpeed;
    std::int32_t pointerAcceleration;
    std::int32_t wheelScrollLines;
    std::int32_t wheelScrollPage;
};

TEST(PointerSettings, Capture) {
    constexpr std::int32_t kKept = 77;  // the stored value a missing registry value leaves alone
    const struct {
        const char* name;
        PointerRegistryTexts texts;
        PointerFields expected;
    } kCases[] = {
        {"nothing read", {}, {kKept, kKept, kKept, kKept, kKept}},
        {"usual Windows values",
         {.doubleClickSpeed = u"500",
          .mouseSensitivity = u"10",
          .mouseSpeed = u"0",
          .mouseThreshold1 = u"0",
          .mouseThreshold2 = u"0",
          .wheelScrollLines = u"3"},
         {5, 6, 0, 3, 0}},
        {"double-click 900, sensitivity 20",
         {.doubleClickSpeed = u"900", .mouseSensitivity = u"20"},
         {0, 11, kKept, kKept, kKept}},
        {"double-click 200, odd sensitivity 7",
         {.doubleClickSpeed = u"200", .mouseSensitivity = u"7"},
         {10, 6, kKept, kKept, kKept}},
        {"double-click 1000 truncates toward zero", {.doubleClickSpeed = u"1000"}, {-1, kKept, kKept, kKept, kKept}},
        {"double-click not a number", {.doubleClickSpeed = u"fast"}, {12, kKept, kKept, kKept, kKept}},
        {"sensitivity alone", {.mouseSensitivity = u"1"}, {kKept, 1, kKept, kKept, kKept}},
        {"acceleration from MouseSpeed",
         {.mouseSpeed = u"1", .mouseThreshold1 = u"0", .mouseThreshold2 = u"0"},
         {kKept, kKept, 1, kKept, kKept}},
        {"acceleration from MouseThreshold1",
         {.mouseSpeed = u"0", .mouseThreshold1 = u"6", .mouseThreshold2 = u"0"},
         {kKept, kKept, 1, kKept, kKept}},
        {"acceleration from MouseThreshold2",
         {.mouseSpeed = u"0", .mouseThreshold1 = u"0", .mouseThreshold2 = u"10"},
         {kKept, kKept, 1, kKept, kKept}},
        {"usual acceleration on",
         {.mouseSpeed = u"1", .mouseThreshold1 = u"6", .mouseThreshold2 = u"10"},
         {kKept, kKept, 1, kKept, kKept}},
        {"acceleration on with one value missing",
         {.mouseThreshold1 = u"6", .mouseThreshold2 = u"0"},
         {kKept, kKept, 1, kKept, kKept}},
        {"zeros with one value missing keep acceleration",
         {.mouseSpeed = u"0", .mouseThreshold2 = u"0"},
         {kKept, kKept, kKept, kKept, kKept}},
        {"wheel page scroll", {.wheelScrollLines = u"-1"}, {kKept, kKept, kKept, 3, 1}},
        {"wheel page scroll as unsigned", {.wheelScrollLines = u"4294967295"}, {kKept, kKept, kKept, 3, 1}},
        {"wheel 0 lines", {.wheelScrollLines = u"0"}, {kKept, kKept, kKept, 0, 0}},
        {"wheel 7 lines", {.wheelScrollLines = u" 7"}, {kKept, kKept, kKept, 7, 0}},
        {"wheel -2 lines", {.wheelScrollLines = u"-2"}, {kKept, kKept, kKept, -2, 0}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto image = std::make_unique<ShareData>();
        BuildFactoryDefaults(*image);
        ProfileData& profile = image->profiles[0];
        profile.doubleClickSpeed = profile.pointerSpeed = profile.pointerAcceleration = kKept;
        profile.wheelScrollLines = profile.wheelScrollPage = kKept;
        auto expected = std::make_unique<ProfileData>(profile);
        expected->doubleClickSpeed = c.expected.doubleClickSpeed;
        expected->pointerSpeed = c.expected.pointerSpeed;
        expected->pointerAcceleration = c.expected.pointerAcceleration;
        expected->wheelScrollLines = c.expected.wheelScrollLines;
        expected->wheelScrollPage = c.expected.wheelScrollPage;

        CapturePointerFields(c.texts, profile);
        EXPECT_EQ(profile.doubleClickSpeed, expected->doubleClickSpeed);
        EXPECT_EQ(profile.pointerSpeed, expected->pointerSpeed);
        EXPECT_EQ(profile.pointerAcceleration, expected->pointerAcceleration);
        EXPECT_EQ(profile.wheelScrollLines, expected->wheelScrollLines);
        EXPECT_EQ(profile.wheelScrollPage, expected->wheelScrollPage);
        EXPECT_EQ(std::memcmp(&profile, expected.get(), sizeof(ProfileData)), 0) << "no other field touched";
    }
}

TEST(PointerSettings, ChangeTest) {
    using Edit = std::function<void(ShareData&)>;
    const Edit kNothing = [](ShareData&) {};
    const struct {
        const char* name;
        Edit editWorking;
        Edit editPushed;
        std::optional<std::int32_t> doubleClickTime;
        std::optional<PointerMotion> motion;
        std::optional<std::int32_t> wheel;
    } kCases[] = {
        {"unchanged", kNothing, kNothing, {}, {}, {}},
        {"double-click step 5", [](ShareData& s) { s.profiles[2].doubleClickSpeed = 5; }, kNothing, 550, {}, {}},
        {"double-click step 13, no clamping",
         [](ShareData& s) { s.profiles[2].doubleClickSpeed = 13; },
         kNothing,
         -10,
         {},
         {}},
        {"acceleration only re-applies the speed",
         [](ShareData& s) { s.profiles[2].pointerAcceleration = 1; },
         kNothing,
         {},
         PointerMotion{{6, 10, 1}, 10},
         {}},
        {"any non-zero acceleration is on",
         [](ShareData& s) { s.profiles[2].pointerAcceleration = -5; },
         kNothing,
         {},
         PointerMotion{{6, 10, 1}, 10},
         {}},
        {"acceleration off",
         kNothing,
         [](ShareData& s) { s.profiles[2].pointerAcceleration = 1; },
         {},
         PointerMotion{{0, 0, 0}, 10},
         {}},
        {"speed only",
         [](ShareData& s) { s.profiles[2].pointerSpeed = 11; },
         kNothing,
         {},
         PointerMotion{{0, 0, 0}, 20},
         {}},
        {"speed step 0 applies 10",
         [](ShareData& s) { s.profiles[2].pointerSpeed = 0; },
         kNothing,
         {},
         PointerMotion{{0, 0, 0}, 10},
         {}},
        {"wheel lines", [](ShareData& s) { s.profiles[2].wheelScrollLines = 7; }, kNothing, {}, {}, 7},
        {"page scroll on", [](ShareData& s) { s.profiles[2].wheelScrollPage = 1; }, kNothing, {}, {}, -1},
        {"lines changed while page scroll is on",
         [](ShareData& s) {
             s.profiles[2].wheelScrollPage = 1;
             s.profiles[2].wheelScrollLines = 9;
         },
         [](ShareData& s) { s.profiles[2].wheelScrollPage = 1; },
         {},
         {},
         -1},
        {"page scroll off sends the stored lines",
         [](ShareData& s) { s.profiles[2].wheelScrollLines = 5; },
         [](ShareData& s) {
             s.profiles[2].wheelScrollLines = 5;
             s.profiles[2].wheelScrollPage = 2;
         },
         {},
         {},
         5},
        {"all three groups",
         [](ShareData& s) {
             s.profiles[2].doubleClickSpeed = 0;
             s.profiles[2].pointerSpeed = 1;
             s.profiles[2].wheelScrollPage = 1;
         },
         kNothing, 900, PointerMotion{{0, 0, 0}, 1}, -1},
        {"pushedImage had another profile active", kNothing, [](ShareData& s) { s.activeProfile = 0; }, {}, {}, {}},
        {"compared with the same index, not pushedImage's active profile",
         kNothing,
         [](ShareData& s) {
             s.activeProfile = 0;
             s.profiles[0].doubleClickSpeed = 0;
         },
         {},
         {},
         {}},
        {"changes in an inactive profile are not applied",
         [](ShareData& s) {
             s.profiles[1].doubleClickSpeed = 0;
             s.profiles[1].pointerSpeed = 1;
             s.profiles[1].wheelScrollLines = 9;
         },
         kNothing,
         {},
         {},
         {}},
        {"spare fields are not pointer settings",
         [](ShareData& s) {
             s.profiles[2].spare1516 = 99;
             s.profiles[2].spare1524 = 99;
         },
         kNothing,
         {},
         {},
         {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto working = std::make_unique<ShareData>();
        BuildFactoryDefaults(*working);
        working->activeProfile = 2;
        auto pushed = std::make_unique<ShareData>(*working);
        c.editWorking(*working);
        c.editPushed(*pushed);

        const PointerApply apply = PointerSettingsToApply(*working, *pushed);
        EXPECT_EQ(apply.doubleClickTime, c.doubleClickTime);
        EXPECT_EQ(apply.motion, c.motion);
        EXPECT_EQ(apply.wheelScrollLines, c.wheel);
        EXPECT_EQ(apply.Any(), c.doubleClickTime || c.motion || c.wheel);
    }
}

}  // namespace
}  // namespace korvid
