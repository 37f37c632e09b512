// Golden frames of the fixed-layout commands: begin, active profile, option 07,
// end, DPI, buttons and lighting. Expected frames are written as hex bytes, as
// they would be read off a USB capture.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "device/button_command.h"
#include "device/command_frame.h"
#include "device/dpi_command.h"
#include "device/lighting_command.h"
#include "unit_support.h"

namespace korvid {
namespace {

// One field change and the bytes it must produce at a given frame offset.
struct FieldCase {
    const char* name;
    std::function<void(ProfileData&)> change;
    std::size_t offset;
    const char* expected;
};

template <std::size_t N>
void ExpectFieldCases(std::span<const FieldCase> cases, Frame<N> (*encode)(const ProfileData&, int)) {
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = FactoryImage();
        c.change(image->profiles[1]);
        const Frame<N> frame = encode(image->profiles[1], 1);
        const std::size_t length = (std::string(c.expected).size() + 1) / 3;
        EXPECT_EQ(Hex(std::span(frame).subspan(c.offset, length)), c.expected);
    }
}

TEST(SmallCommands, Frames) {
    auto image = FactoryImage();
    image->activeProfile = 3;
    image->profiles[2].option07 = 0x1234;
    for (int k = 0; k < kProfileCount; ++k) image->profiles[k].profileOption = 9;
    image->profiles[3].profileOption = 0x105;
    const struct {
        const char* name;
        std::string actual;
        const char* expected;
    } kCases[] = {
        {"CMD_BEGIN", Hex(EncodeBegin()), "04 00 FF"},
        {"CMD_ACTIVE_PROFILE", Hex(EncodeActiveProfile(*image)), "05 04 03 05 00 00 00 00"},
        {"CMD_OPTION07 sends the low byte", Hex(EncodeOption07(*image, 2)), "07 08 02 34 00 00 00 00"},
        {"CMD_END carries the active profile's option", Hex(EncodeEnd(*image)), "0B 08 05 00 00 00 00 00"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual, c.expected);
    }
}

TEST(DpiCommand, FactoryDefaultProfile) {
    auto image = FactoryImage();
    EXPECT_EQ(
        Hex(EncodeDpiCommand(image->profiles[0], 0)),
        "06 36 00 0A 0A 1F 00 00 12 1B 37 4A 91 15 17 19 12 1B 37 4A 91 15 17 19 01 00 00 FF FF 00 00 00 FF 00 FF "
        "00 FF 00 FF FF FF FF 00 00 FF FF 00 80 FF 03 08 00 02 00");
}

TEST(DpiCommand, ResolutionIndexes) {
    // The index goes into X of stage 2 and Y of stage 5, so each axis and stage
    // has its own value byte and range bit.
    const struct {
        const char* name;
        std::int32_t index;
        std::uint8_t value;
        bool upperRange;
    } kCases[] = {
        {"0 is unlisted", 0, 34, false},
        {"1", 1, 4, false},
        {"15 gives 34 too", 15, 34, false},
        {"17 starts the second column", 17, 39, false},
        {"33 starts the third column", 33, 77, false},
        {"49 starts the fourth column", 49, 114, false},
        {"62 is the last direct index", 62, 145, false},
        {"63 is 31 in the upper range", 63, 72, true},
        {"64 is 32 in the upper range", 64, 74, true},
        {"124 is 62 in the upper range", 124, 145, true},
        {"125 is 62 in the upper range", 125, 145, true},
        {"126 is 63, unlisted, in the upper range", 126, 34, true},
        {"255", 255, 34, true},
        {"264 counts as its low byte 8", 264, 18, false},
        {"-1 counts as its low byte 255", -1, 34, true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto image = FactoryImage();
        image->profiles[0].dpiX[2] = c.index;
        image->profiles[0].dpiY[5] = c.index;
        const auto frame = EncodeDpiCommand(image->profiles[0], 0);
        EXPECT_EQ(frame[DpiLayout::kXValues + 2], c.value);
        EXPECT_EQ(frame[DpiLayout::kYValues + 5], c.value);
        EXPECT_EQ(frame[DpiLayout::kXRangeMask], c.upperRange ? 0x04 : 0x00) << "X range mask";
        EXPECT_EQ(frame[DpiLayout::kYRangeMask], c.upperRange ? 0x20 : 0x00) << "Y range mask";
    }
}

TEST(DpiCommand, OtherFields) {
    const FieldCase kCases[] = {
        {"profile index", [](ProfileData&) {}, DpiLayout::kProfile, "01"},
        {"X and Y are encoded independently",
         [](ProfileData& p) {
             p.dpiX[0] = 8;
             p.dpiY[0] = 70;
         },
         DpiLayout::kXRangeMask, "00 01 12"},
        {"Y of stage 0 in the upper range", [](ProfileData& p) { p.dpiY[0] = 70; }, DpiLayout::kYValues, "51"},
        {"option bytes send their low byte",
         [](ProfileData& p) {
             p.dpiOptionA = 0x1FF;
             p.dpiOptionB = 0x203;
         },
         DpiLayout::kOptionA, "FF 03"},
        {"stageEnabled 2 counts as clear", [](ProfileData& p) { p.stageEnabled[0] = 2; }, DpiLayout::kStageMask, "1E"},
        {"all stages enabled", [](ProfileData& p) { std::fill_n(p.stageEnabled, kStageCount, 1); },
         DpiLayout::kStageMask, "FF"},
        {"currentStage sends its low byte", [](ProfileData& p) { p.currentStage = 0x107; }, DpiLayout::kCurrentStage,
         "07"},
        {"colour as blue, green, red; top byte dropped", [](ProfileData& p) { p.stageColor[7] = 0xAA332211; },
         DpiLayout::StageColor(7), "33 22 11"},
        {"dpiOptionC and dpiOptionD",
         [](ProfileData& p) {
             p.dpiOptionC = 0x7E;
             p.dpiOptionD = 0x305;
         },
         DpiLayout::kFixed[1].at, "03 08 7E 05 00"},
    };
    ExpectFieldCases(kCases, &EncodeDpiCommand);
}

TEST(ButtonCommand, FactoryDefaultProfile) {
    auto image = FactoryImage();
    EXPECT_EQ(Hex(EncodeButtonCommand(image->profiles[2], 2)),
              "09 40 02 "
              "01 00 00 02 00 00 03 00 00 07 00 00 08 00 00 0D 00 00 "
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
              "09 00 00 0A 00 00 00");
}

TEST(ButtonCommand, Assignments) {
    const struct {
        const char* name;
        std::uint8_t function;
        std::uint8_t keyModifiers;
        std::uint8_t keyCode;
        std::int32_t macroOption;
        std::int32_t macroNumber;
        const char* expected;
    } kCases[] = {
        {"keyboard key carries the slot's keys", 5, 2, 4, 0, 0, "05 02 04"},
        {"fixed combination ignores the slot's keys", 65, 2, 4, 0, 0, "05 01 06"},
        {"Ctrl+X", 64, 0, 0, 0, 0, "05 01 1B"},
        {"Ctrl+A", 76, 0, 0, 0, 0, "05 01 04"},
        {"Alt+Tab", 48, 0, 0, 0, 0, "05 04 2B"},
        {"Windows+L", 52, 0, 0, 0, 0, "05 08 0F"},
        {"macro carries option and number", 16, 0, 0, 0x101, 3, "10 01 03"},
        {"macro number 120", 16, 0, 0, 0, 120, "10 00 78"},
        {"macro number 0 (beyond the limit) is unassigned", 16, 0, 0, 1, 0, "00 00 00"},
        {"macro number 121 is unassigned", 16, 0, 0, 1, 121, "00 00 00"},
        {"macro number 259 is unassigned, not its low byte 3", 16, 0, 0, 1, 259, "00 00 00"},
        {"macro fields are ignored by other codes", 7, 0, 0, 1, 3, "07 00 00"},
        {"launch program: the path stays with the host", 17, 0, 0, 0, 0, "11 00 00"},
        {"6 is nothing", 6, 0, 0, 0, 0, "00 00 00"},
        {"46 is sent as itself", 46, 0, 0, 0, 0, "2E 00 00"},
        {"45 is not in the table", 45, 1, 1, 0, 0, "00 00 00"},
        {"0 is not in the table", 0, 0, 0, 0, 0, "00 00 00"},
        {"47", 47, 0, 0, 0, 0, "00 00 00"},
        {"53", 53, 0, 0, 0, 0, "00 00 00"},
        {"77", 77, 0, 0, 0, 0, "00 00 00"},
        {"255", 255, 0, 0, 0, 0, "00 00 00"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto image = FactoryImage();
        ButtonData& slot = image->profiles[4].buttons[19];  // the last slot
        slot.function = c.function;
        slot.keyModifiers = c.keyModifiers;
        slot.keyCode = c.keyCode;
        slot.macroOption = c.macroOption;
        slot.macroNumber = c.macroNumber;
        const std::u16string_view path = u"C:\\x.exe";
        std::copy(path.begin(), path.end(), slot.launchPath);
        const auto frame = EncodeButtonCommand(image->profiles[4], 4);
        EXPECT_EQ(Hex(std::span(frame).subspan(ButtonsLayout::Slot(19), 4)), std::string(c.expected) + " 00");
    }
}

TEST(ButtonCommand, FunctionTableCoversExactlyTheListedCodes) {
    int found = 0;
    for (int code = 0; code <= 255; ++code) {
        const auto bytes = LookupButtonFunction(static_cast<std::uint8_t>(code));
        found += bytes.has_value();
        const bool self = (code >= 1 && code <= 5) || (code >= 7 && code <= 44) || code == 46;
        if (self) {
            EXPECT_EQ(bytes, (ButtonBytes{static_cast<std::uint8_t>(code), 0, 0})) << "code " << code;
        }
    }
    EXPECT_EQ(found, 63);
}

TEST(LightingCommand, FactoryDefaultProfile) {
    auto image = FactoryImage();
    EXPECT_EQ(
        Hex(EncodeLightingCommand(image->profiles[0], 0)),
        "08 2D 00 01 02 02 0A 02 00 00 FF FF 00 00 FF 00 FF 00 FF 00 00 00 FF FF FF 00 FF FF FF 00 FF FF FF 80 80 "
        "80 00 01 02 02 04 02 00 00 FF");
}

TEST(LightingCommand, Fields) {
    const FieldCase kCases[] = {
        {"profile index", [](ProfileData&) {}, LightingLayout::kProfile, "01"},
        {"mode A 5 is off, the rest of zone A still sent",
         [](ProfileData& p) {
             p.lightModeA = 5;
             p.lightParamA1 = 7;
         },
         LightingLayout::kModeA, "00 00 07 0A 02 00 00 FF"},
        {"mode A 0 is on", [](ProfileData& p) { p.lightModeA = 0; }, LightingLayout::kModeA, "01 00"},
        {"mode B 261 is not 5", [](ProfileData& p) { p.lightModeB = 261; }, LightingLayout::kModeB, "01 05"},
        {"mode B 5 is off", [](ProfileData& p) { p.lightModeB = 5; }, LightingLayout::kModeB, "00 00 02 04"},
        {"slot flag 2 counts as clear; its colour is still sent",
         [](ProfileData& p) {
             p.lightSlotEnabled[3] = 2;
             p.lightSlotColor[3] = 0x00332211;
         },
         LightingLayout::kSlotMask, "F7 00 00 FF 00 FF 00 FF 00 00 33 22 11"},
        {"parameters send their low byte",
         [](ProfileData& p) {
             p.lightParamA2 = 0x10B;
             p.lightParamA3 = 0x20C;
             p.lightParamB1 = 0x30D;
             p.lightParamB2 = 0x40E;
         },
         LightingLayout::kParamA3, "0C 01 02 0D 0E"},
        {"colours as blue, green, red",
         [](ProfileData& p) {
             p.lightColorA = 0xAA332211;
             p.lightColorB = 0x00665544;
         },
         LightingLayout::kColorA, "33 22 11"},
        {"colour B", [](ProfileData& p) { p.lightColorB = 0xAA665544; }, LightingLayout::kFixed[2].at, "02 66 55 44"},
    };
    ExpectFieldCases(kCases, &EncodeLightingCommand);
}

}  // namespace
}  // namespace korvid
