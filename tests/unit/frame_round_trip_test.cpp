// Every command encoded from an image with a distinct value in every field it
// carries, then decoded: the decoder must name each value again. The encoders
// and the decoder share the layouts, so this catches a field written at one
// offset and read at another, or a value the decoder does not show.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/command_layouts.h"
#include "inspect/frame_decoder.h"
#include "unit_support.h"

namespace korvid {
namespace {

// A colour as stored (0x00BBGGRR) from its red, green and blue.
constexpr std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return std::uint32_t{b} << 16 | std::uint32_t{g} << 8 | r;
}

// The factory image with every field the commands read set to a value no
// other field of the same frame has.
std::unique_ptr<ShareData> DistinctImage() {
    auto image = FactoryImage();
    image->activeProfile = 4;
    image->profiles[2].option07 = 42;
    image->profiles[4].profileOption = 7;

    ProfileData& dpi = image->profiles[3];
    dpi.dpiOptionA = 11;
    dpi.dpiOptionB = 12;
    dpi.dpiOptionC = 13;
    dpi.dpiOptionD = 14;
    const std::int32_t kStageEnabled[] = {1, 0, 1, 1, 0, 0, 1, 0};
    const std::int32_t kDpiX[] = {1, 3, 4, 5, 6, 7, 8, 70};         // 70: 35 in the upper range
    const std::int32_t kDpiY[] = {9, 10, 11, 12, 13, 14, 16, 125};  // 125: 62 in the upper range
    for (int i = 0; i < kStageCount; ++i) {
        dpi.stageEnabled[i] = static_cast<std::uint8_t>(kStageEnabled[i]);
        dpi.dpiX[i] = kDpiX[i];
        dpi.dpiY[i] = kDpiY[i];
        const auto n = static_cast<std::uint8_t>(i);
        dpi.stageColor[i] = Rgb(0x10 + n, 0x20 + n, 0x30 + n);
    }
    dpi.currentStage = 5;

    ProfileData& light = image->profiles[1];
    light.lightModeA = 3;
    light.lightParamA1 = 21;
    light.lightParamA2 = 22;
    light.lightColorA = Rgb(0x41, 0x42, 0x43);
    const std::int32_t kSlotEnabled[] = {0, 1, 1, 0, 1, 0, 0, 1};
    for (int i = 0; i < kLightSlotCount; ++i) {
        light.lightSlotEnabled[i] = static_cast<std::uint8_t>(kSlotEnabled[i]);
        const auto n = static_cast<std::uint8_t>(i);
        light.lightSlotColor[i] = Rgb(0x50 + n, 0x60 + n, 0x70 + n);
    }
    light.lightParamA3 = 23;
    light.lightModeB = 4;
    light.lightParamB1 = 24;
    light.lightParamB2 = 25;
    light.lightColorB = Rgb(0x81, 0x82, 0x83);

    ButtonData* buttons = image->profiles[0].buttons;
    buttons[0].function = kFunctionKey;
    buttons[0].keyModifiers = 0x02;
    buttons[0].keyCode = 4;
    buttons[1].function = kFunctionMacro;
    buttons[1].macroOption = 1;
    buttons[1].macroNumber = 3;
    buttons[2].function = 65;  // Ctrl+C
    buttons[3].function = 17;  // launch program: the device is told only the code
    buttons[4].function = 6;   // nothing
    const std::uint8_t kSelf[] = {1, 2, 3, 4, 7, 8, 9, 10, 11, 12, 13, 14, 15, 18, 19};
    for (int j = 5; j < kButtonCount; ++j) buttons[j].function = kSelf[j - 5];

    ButtonData& macro = image->profiles[2].buttons[6];
    macro.function = kFunctionMacro;
    macro.macroOption = 2;
    macro.macroRepeat = 5;
    const std::u16string_view name = u"Zap";
    std::copy(name.begin(), name.end(), macro.macroName);
    const MacroEvent kEvents[] = {
        {.key = 4, .state = 1, .delay = 100},    // short
        {.key = 5, .state = 0, .delay = 300},    // 6 units of 50 ms
        {.key = 6, .state = 1, .delay = 10000},  // 100 units of 100 ms
        {.key = 7, .state = 0, .delay = 30000},  // 150 units of 200 ms
        {.key = 8, .state = 1, .delay = 20},     // short
    };
    std::copy(std::begin(kEvents), std::end(kEvents), macro.events);
    macro.eventCount = static_cast<std::int32_t>(std::size(kEvents));
    return image;
}

template <std::size_t N>
std::vector<std::uint8_t> Of(const Frame<N>& frame) {
    return {frame.begin(), frame.end()};
}

TEST(FrameRoundTrip, EveryFieldNamedAgain) {
    const auto image = DistinctImage();
    const ShareData& s = *image;
    const struct {
        const char* name;
        std::vector<std::uint8_t> frame;
        const char* expected;
    } kCases[] = {
        {"CMD_BEGIN", Of(EncodeBegin()), "CMD_BEGIN"},
        {"CMD_ACTIVE_PROFILE", Of(EncodeActiveProfile(s)), "CMD_ACTIVE_PROFILE activeProfile 4"},
        {"CMD_OPTION07", Of(EncodeOption07(s, 2)), "CMD_OPTION07 profile 2: option07 42"},
        {"CMD_END", Of(EncodeEnd(s)), "CMD_END profileOption 7"},
        {"CMD_DPI", Of(EncodeDpiCommand(s.profiles[3], 3)),
         "CMD_DPI profile 3: stages 1,3-4,7 on, current 6, X 4 6 9 11 14 16 18 81*, Y 21 23 25 27 29 32 36 145*, "
         "stageColor #102030 #112131 #122232 #132333 #142434 #152535 #162636 #172737, dpiOptionA 11, dpiOptionB 12, "
         "dpiOptionC 13, dpiOptionD 14"},
        {"CMD_LIGHTING", Of(EncodeLightingCommand(s.profiles[1], 1)),
         "CMD_LIGHTING profile 1: zone A mode 3, lightParamA1 21, lightParamA2 22, lightColorA #414243, slots "
         "2-3,5,8 on, lightSlotColor #506070 #516171 #526272 #536373 #546474 #556575 #566676 #576777, lightParamA3 "
         "23; zone B mode 4, lightParamB1 24, lightParamB2 25, lightColorB #818283"},
        {"CMD_BUTTONS", Of(EncodeButtonCommand(s.profiles[0], 0)),
         "CMD_BUTTONS profile 0: [0] key 4 modifiers 0x02, [1] macro 3 option 1, [2] key 6 modifiers 0x01, "
         "[3] function 17, [4] none, [5] function 1, [6] function 2, [7] function 3, [8] function 4, [9] function 7, "
         "[10] function 8, [11] function 9, [12] function 10, [13] function 11, [14] function 12, [15] function 13, "
         "[16] function 14, [17] function 15, [18] function 18, [19] function 19"},
        {"CMD_MACRO", Of(EncodeMacroCommand(s.profiles[2].buttons[6], 9, AsciiConverter)),
         "CMD_MACRO 9: macroOption 2, macroRepeat 5, macroName \"Zap\", steps press 4 ~102ms, release 5 300ms, "
         "press 6 10000ms, release 7 30000ms, press 8 ~22ms"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeFrame(c.frame), c.expected);
    }
}

}  // namespace
}  // namespace korvid
