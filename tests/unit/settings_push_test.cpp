// The push sequence over one image: which frames go out, in which order, how
// the change flags gate them, and how macros are numbered.
#include "device/settings_push.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/command_layouts.h"
#include "unit_support.h"

namespace korvid {
namespace {

using Bytes = FrameRecorder::Bytes;

// One word per frame: the command, and in brackets byte 2, which tells frames
// of the same command apart (profile, macro number, profileOption).
std::string Sequence(const FrameRecorder& recorder) {
    constexpr std::size_t kTellsApart = 2;
    static_assert(kTellsApart == DpiLayout::kProfile && kTellsApart == MacroLayout::kNumber &&
                  kTellsApart == EndLayout::kValue && kTellsApart == ActiveProfileLayout::kProfile);
    static const struct {
        std::uint8_t command;
        const char* name;
    } kNames[] = {{CMD_BEGIN, "BEGIN"},    {CMD_ACTIVE_PROFILE, "ACTIVE"}, {CMD_DPI, "DPI"},     {CMD_OPTION07, "OPT"},
                  {CMD_LIGHTING, "LIGHT"}, {CMD_BUTTONS, "BUTTONS"},       {CMD_MACRO, "MACRO"}, {CMD_END, "END"}};
    std::string text;
    for (const Bytes& frame : recorder.frames) {
        std::string word = "?";
        for (const auto& n : kNames) {
            if (frame[kCommandByte] == n.command) word = n.name;
        }
        if (frame[kCommandByte] != CMD_BEGIN) word.append("(").append(std::to_string(frame[kTellsApart])).append(")");
        if (!text.empty()) text += ' ';
        text += word;
    }
    return text;
}

void MakeMacro(ShareData& image, int k, int j, std::u16string_view name) {
    ButtonData& slot = image.profiles[k].buttons[j];
    slot.function = kFunctionMacro;
    slot.macroNumber = 99;                                // stale: every push numbers afresh
    std::copy(name.begin(), name.end(), slot.macroName);  // the factory slot is zero-filled
}

// The factory image with profileOption 10 + k, so CMD_END shows which profile
// it came from, and three macro buttons: slots 3 and 7 of profile 0, slot 0 of
// profile 2.
std::unique_ptr<ShareData> Fixture() {
    auto image = FactoryImage();
    for (int k = 0; k < kProfileCount; ++k) image->profiles[k].profileOption = 10 + k;
    MakeMacro(*image, 0, 3, u"m03");
    MakeMacro(*image, 0, 7, u"m07");
    MakeMacro(*image, 2, 0, u"m20");
    return image;
}

void SetEveryFlag(ShareData& image, std::uint8_t value) {
    auto* first = &image.activeProfileChanged;
    std::fill(first, first + (kImageSize - kChangeFlagsOffset), value);
}

const char kMacros[] = "MACRO(1) MACRO(2) MACRO(3)";
const std::string kFullPush = std::string("DPI(0) DPI(1) DPI(2) DPI(3) DPI(4) OPT(0) OPT(1) OPT(2) OPT(3) OPT(4) ") +
                              "LIGHT(0) LIGHT(1) LIGHT(2) LIGHT(3) LIGHT(4) " + kMacros +
                              " BUTTONS(0) BUTTONS(1) BUTTONS(2) BUTTONS(3) BUTTONS(4)";

TEST(PushSettings, SequenceByKindAndFlags) {
    const struct {
        const char* name;
        bool pushAll;
        std::function<void(ShareData&)> change;
        std::string expected;
    } kCases[] = {
        {"changed-only, every flag clear", false, [](ShareData&) {}, std::string("BEGIN ") + kMacros + " END(10)"},
        {"changed-only, every flag byte 2", false, [](ShareData& s) { SetEveryFlag(s, 2); },
         std::string("BEGIN ") + kMacros + " END(10)"},
        {"changed-only, activeProfileChanged", false,
         [](ShareData& s) {
             s.activeProfile = 3;
             s.activeProfileChanged = 1;
         },
         std::string("BEGIN ACTIVE(3) ") + kMacros + " END(13)"},
        {"changed-only, one DPI flag of another profile than the active one", false,
         [](ShareData& s) {
             s.activeProfile = 3;
             s.dpiChanged[1] = 1;
         },
         std::string("BEGIN DPI(1) ") + kMacros + " END(13)"},
        {"changed-only, option and lighting flags", false,
         [](ShareData& s) {
             s.option07Changed[4] = 1;
             s.lightingChanged[0] = 1;
             s.lightingChanged[2] = 1;
         },
         std::string("BEGIN OPT(4) LIGHT(0) LIGHT(2) ") + kMacros + " END(10)"},
        {"changed-only, one button flag among twenty", false, [](ShareData& s) { s.buttonChanged[3][17] = 1; },
         std::string("BEGIN ") + kMacros + " BUTTONS(3) END(10)"},
        {"changed-only, a button flag of 2", false, [](ShareData& s) { s.buttonChanged[3][17] = 2; },
         std::string("BEGIN ") + kMacros + " END(10)"},
        {"changed-only, every flag set", false, [](ShareData& s) { SetEveryFlag(s, 1); },
         "BEGIN ACTIVE(0) " + kFullPush + " END(10)"},
        {"push-all, flags clear", true, [](ShareData&) {}, "BEGIN " + kFullPush + " END(10)"},
        {"push-all, activeProfileChanged", true,
         [](ShareData& s) {
             s.activeProfile = 4;
             s.activeProfileChanged = 1;
         },
         "BEGIN ACTIVE(4) " + kFullPush + " END(14)"},
        {"push-all, activeProfileChanged 2", true, [](ShareData& s) { s.activeProfileChanged = 2; },
         "BEGIN " + kFullPush + " END(10)"},
        {"push-all without macro buttons", true,
         [](ShareData& s) {
             s.profiles[0].buttons[3].function = 1;
             s.profiles[0].buttons[7].function = 1;
             s.profiles[2].buttons[0].function = 1;
         },
         "BEGIN DPI(0) DPI(1) DPI(2) DPI(3) DPI(4) OPT(0) OPT(1) OPT(2) OPT(3) OPT(4) LIGHT(0) LIGHT(1) LIGHT(2) "
         "LIGHT(3) LIGHT(4) BUTTONS(0) BUTTONS(1) BUTTONS(2) BUTTONS(3) BUTTONS(4) END(10)"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto image = Fixture();
        c.change(*image);
        FrameRecorder recorder;
        EXPECT_EQ(PushSettings(*image, c.pushAll, recorder.Sender(), AsciiConverter), 1);
        EXPECT_EQ(Sequence(recorder), c.expected);
    }
}

TEST(PushSettings, MacrosAreNumberedAfreshInEveryPush) {
    auto image = Fixture();
    FrameRecorder first, second;
    PushSettings(*image, true, first.Sender(), AsciiConverter);
    PushSettings(*image, true, second.Sender(), AsciiConverter);
    EXPECT_EQ(first.frames, second.frames);

    // Profile order, then slot order; each number stored in its slot.
    EXPECT_EQ(image->profiles[0].buttons[3].macroNumber, 1);
    EXPECT_EQ(image->profiles[0].buttons[7].macroNumber, 2);
    EXPECT_EQ(image->profiles[2].buttons[0].macroNumber, 3);

    const auto macros = first.Of(CMD_MACRO);
    ASSERT_EQ(macros.size(), 3u);
    EXPECT_EQ(Hex(std::span(macros[0]).subspan(MacroLayout::kNumber, 12)),
              "01 00 00 00 00 00 01 6D 30 33 00 00");  // m03
    EXPECT_EQ(Hex(std::span(macros[1]).subspan(MacroLayout::kNumber, 12)),
              "02 00 00 00 00 00 01 6D 30 37 00 00");  // m07
    EXPECT_EQ(Hex(std::span(macros[2]).subspan(MacroLayout::kNumber, 12)),
              "03 00 00 00 00 00 01 6D 32 30 00 00");  // m20

    // The assignments carry the numbers just uploaded, not the stale 99.
    const auto buttons = first.Of(CMD_BUTTONS);
    ASSERT_EQ(buttons.size(), 5u);
    EXPECT_EQ(Hex(std::span(buttons[0]).subspan(ButtonsLayout::Slot(3), 3)), "10 00 01");
    EXPECT_EQ(Hex(std::span(buttons[0]).subspan(ButtonsLayout::Slot(7), 3)), "10 00 02");
    EXPECT_EQ(Hex(std::span(buttons[2]).subspan(ButtonsLayout::Slot(0), 3)), "10 00 03");
}

TEST(PushSettings, EverySlotAMacroButton) {
    // Five profiles of twenty slots stay below the 120-macro limit.
    auto image = Fixture();
    for (ProfileData& profile : image->profiles) {
        for (ButtonData& slot : profile.buttons) slot.function = kFunctionMacro;
    }
    FrameRecorder recorder;
    PushSettings(*image, true, recorder.Sender(), AsciiConverter);
    const auto macros = recorder.Of(CMD_MACRO);
    ASSERT_EQ(macros.size(), 100u);
    for (int n = 0; n < 100; ++n) EXPECT_EQ(macros[static_cast<std::size_t>(n)][MacroLayout::kNumber], n + 1);
    const auto buttons = recorder.Of(CMD_BUTTONS);
    ASSERT_EQ(buttons.size(), 5u);
    EXPECT_EQ(Hex(std::span(buttons[4]).subspan(ButtonsLayout::Slot(19), 3)), "10 00 64");
}

TEST(UploadMacros, StopsAtTheLimit) {
    auto image = Fixture();
    ProfileData& profile = image->profiles[1];
    for (const int j : {0, 1, 2, 5}) profile.buttons[j].function = kFunctionMacro;
    profile.buttons[2].macroNumber = 7;
    profile.buttons[5].macroNumber = 8;
    int macroCounter = 118;
    FrameRecorder recorder;

    EXPECT_EQ(UploadMacros(profile, macroCounter, recorder.Sender(), AsciiConverter), 0);
    EXPECT_EQ(Sequence(recorder), "MACRO(119) MACRO(120)");
    EXPECT_EQ(macroCounter, 120);
    // The buttons beyond the limit point at no macro and are sent unassigned.
    EXPECT_EQ(profile.buttons[2].macroNumber, 0);
    EXPECT_EQ(profile.buttons[5].macroNumber, 0);
    const auto buttons = EncodeButtonCommand(profile, 1);
    EXPECT_EQ(Hex(std::span(buttons).subspan(ButtonsLayout::Slot(0), 18)),
              "10 00 77 10 00 78 00 00 00 07 00 00 08 00 00 00 00 00");  // slots 3 and 4 are no macros

    int fresh = 0;
    EXPECT_EQ(UploadMacros(profile, fresh, recorder.Sender(), AsciiConverter), 1);
    EXPECT_EQ(fresh, 4);
}

TEST(PushSettings, RefusedFramesAreNotRetried) {
    auto image = Fixture();
    SetEveryFlag(*image, 1);
    FrameRecorder accepted;
    PushSettings(*image, false, accepted.Sender(), AsciiConverter);

    const struct {
        const char* name;
        std::function<bool(const Bytes&)> refuse;
        int endResult;
    } kCases[] = {
        {"every frame refused", [](const Bytes&) { return true; }, 0},
        {"DPI and macro frames refused",
         [](const Bytes& f) { return f[kCommandByte] == CMD_DPI || f[kCommandByte] == CMD_MACRO; }, 1},
        {"only CMD_END refused", [](const Bytes& f) { return f[kCommandByte] == CMD_END; }, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto copy = Fixture();
        SetEveryFlag(*copy, 1);
        FrameRecorder recorder;
        recorder.refuse = c.refuse;
        EXPECT_EQ(PushSettings(*copy, false, recorder.Sender(), AsciiConverter), c.endResult);
        EXPECT_EQ(recorder.frames, accepted.frames);
    }
}

TEST(PushActiveProfile, OnlyBeginActiveProfileAndEnd) {
    auto image = Fixture();
    SetEveryFlag(*image, 1);
    image->activeProfileChanged = 0;
    image->activeProfile = 2;
    FrameRecorder recorder;
    EXPECT_EQ(PushActiveProfile(*image, recorder.Sender()), 1);
    EXPECT_EQ(Sequence(recorder), "BEGIN ACTIVE(2) END(12)");
    EXPECT_EQ(Hex(recorder.frames[1]), "05 04 02 05 00 00 00 00");
}

}  // namespace
}  // namespace korvid
