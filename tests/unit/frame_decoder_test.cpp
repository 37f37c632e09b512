// korvidctl frames: golden frames back into named fields, the simulated
// driver's log lines, and the driver messages korvidctl event posts.
#include "inspect/frame_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inspect/driver_log.h"
#include "inspect/driver_messages.h"
#include "protocol/korvid_protocol.h"
#include "unit_support.h"

namespace korvid {
namespace {

TEST(FrameDecoder, GoldenFrames) {
    const struct {
        const char* name;
        std::vector<std::uint8_t> frame;
        const char* expected;
    } kCases[] = {
        {"begin", FromHex("04 00 FF"), "CMD_BEGIN"},
        {"active profile", FromHex("05 04 03 05 00 00 00 00"), "CMD_ACTIVE_PROFILE activeProfile 3"},
        {"option 07", FromHex("07 08 02 34 00 00 00 00"), "CMD_OPTION07 profile 2: option07 52"},
        {"end", FromHex("0B 08 02 00 00 00 00 00"), "CMD_END profileOption 2"},
        {"factory DPI of profile 0",
         FromHex("06 36 00 0A 0A 1F 00 00 12 1B 37 4A 91 15 17 19 12 1B 37 4A 91 15 17 19 01 00 00 FF FF 00 00 00 FF "
                 "00 FF 00 FF 00 FF FF FF FF 00 00 FF FF 00 80 FF 03 08 00 02 00"),
         "CMD_DPI profile 0: stages 1-5 on, current 2, X 18 27 55 74 145 21 23 25, Y 18 27 55 74 145 21 23 25, "
         "stageColor #FF0000 #0000FF #00FF00 #FF00FF #FFFF00 #00FFFF #FFFF00 #FF8000, dpiOptionA 10, dpiOptionB 10, "
         "dpiOptionC 0, dpiOptionD 2"},
        {"DPI with upper-range values and scattered stages",
         FromHex("06 36 04 01 02 A5 01 80 51 1B 37 4A 91 15 17 19 12 1B 37 4A 91 15 17 22 07 00 00 00 00 00 00 00 00 "
                 "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 03 08 07 09 00"),
         "CMD_DPI profile 4: stages 1,3,6,8 on, current 8, X 81* 27 55 74 145 21 23 25, Y 18 27 55 74 145 21 23 "
         "34*, stageColor #000000 #000000 #000000 #000000 #000000 #000000 #000000 #000000, dpiOptionA 1, "
         "dpiOptionB 2, dpiOptionC 7, dpiOptionD 9"},
        {"factory lighting of profile 0",
         FromHex("08 2D 00 01 02 02 0A 02 00 00 FF FF 00 00 FF 00 FF 00 FF 00 00 00 FF FF FF 00 FF FF FF 00 FF FF FF "
                 "80 80 80 00 01 02 02 04 02 00 00 FF"),
         "CMD_LIGHTING profile 0: zone A mode 2, lightParamA1 2, lightParamA2 10, lightColorA #FF0000, slots 1-8 on, "
         "lightSlotColor #FF0000 #00FF00 #0000FF #FFFF00 #FF00FF #00FFFF #FFFFFF #808080, lightParamA3 0; zone B "
         "mode 2, lightParamB1 2, lightParamB2 4, lightColorB #FF0000"},
        {"lighting with zone A off",
         FromHex("08 2D 03 00 00 02 0A 02 00 00 FF 05 00 00 FF 00 FF 00 FF 00 00 00 FF FF FF 00 FF FF FF 00 FF FF FF "
                 "80 80 80 07 01 00 02 04 02 12 34 56"),
         "CMD_LIGHTING profile 3: zone A off, lightParamA1 2, lightParamA2 10, lightColorA #FF0000, slots 1,3 on, "
         "lightSlotColor #FF0000 #00FF00 #0000FF #FFFF00 #FF00FF #00FFFF #FFFFFF #808080, lightParamA3 7; zone B "
         "mode 0, lightParamB1 2, lightParamB2 4, lightColorB #563412"},
        {"factory buttons of profile 0",
         FromHex("09 40 00 01 00 00 02 00 00 03 00 00 07 00 00 08 00 00 0D 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                 "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 09 00 00 0A 00 00 00"),
         "CMD_BUTTONS profile 0: [0] function 1, [1] function 2, [2] function 3, [3] function 7, [4] function 8, "
         "[5] function 13, [6-17] none, [18] function 9, [19] function 10"},
        {"keys, macros and launch buttons", FromHex("09 40 01 05 02 04 05 01 06 10 01 03 11 00 00 2E 01 02", 64),
         "CMD_BUTTONS profile 1: [0] key 4 modifiers 0x02, [1] key 6 modifiers 0x01, [2] macro 3 option 1, "
         "[3] function 17, [4] function 46 (1 2), [5-19] none"},
        {"macro with a short and a long step",
         FromHex("0A 84 01 00 00 00 00 00 01 61 62 63 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                 "03 33 04 81 04 06 01",
                 132),
         "CMD_MACRO 1: macroOption 0, macroRepeat 1, macroName \"abc\", steps press 4 ~102ms, release 4 300ms"},
        {"macro without steps", FromHex("0A 84 07 00 02 00 00 00 05 78", 132),
         "CMD_MACRO 7: macroOption 2, macroRepeat 5, macroName \"x\", no steps"},
        {"a short step below 4 ms is not a long one",
         FromHex("0A 84 02 00 00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                 "04 01 04 85 05 01 0C 04 02",
                 132),
         "CMD_MACRO 2: macroOption 0, macroRepeat 1, macroName \"\", steps press 4 ~2ms, release 5 ~10ms, press 12 "
         "400ms"},
        {"fixed byte differs", FromHex("04 00 FE"), "CMD_BEGIN [byte 2 0xFE, expected 0xFF]"},
        {"short frame", FromHex("05 04 03 05 00 00 00"), "CMD_ACTIVE_PROFILE activeProfile 3 [length 7, expected 8]"},
        {"byte that must be 0", FromHex("0B 08 02 00 00 00 00 09"), "CMD_END profileOption 2 [byte 7 0x09]"},
        {"wrong length byte", FromHex("07 07 00 02 00 00 00 00"),
         "CMD_OPTION07 profile 0: option07 2 [byte 1 0x07, expected 0x08]"},
        {"unknown command", FromHex("0C 01 02"), "unknown command 0x0C, 3 bytes: 0C 01 02"},
        {"empty", {}, "empty frame"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeFrame(c.frame), c.expected);
    }
}

TEST(DriverLog, Lines) {
    const auto line = ParseDriverLogLine("5144743 SetFeature 3 04 00 FF -> 1\r");
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->ms, 5144743u);
    EXPECT_EQ(line->entryPoint, "SetFeature");
    EXPECT_EQ(line->args, "3 04 00 FF");
    EXPECT_EQ(line->result, "1");

    const auto bare = ParseDriverLogLine("12 Open_FeatureDevice -> 0");
    ASSERT_TRUE(bare.has_value());
    EXPECT_EQ(bare->entryPoint, "Open_FeatureDevice");
    EXPECT_EQ(bare->args, "");
    EXPECT_EQ(bare->result, "0");

    for (const char* malformed : {"", "abc SetFeature -> 1", "12 Open_FeatureDevice", "12 -> 1", "12 X -> "}) {
        SCOPED_TRACE(malformed);
        EXPECT_FALSE(ParseDriverLogLine(malformed).has_value());
    }
}

TEST(DriverLog, SetFeatureArguments) {
    EXPECT_EQ(ParseSetFeatureArgs("3 04 00 FF"), (std::vector<std::uint8_t>{0x04, 0x00, 0xFF}));
    EXPECT_EQ(ParseSetFeatureArgs("0"), std::vector<std::uint8_t>{});
    for (const char* broken : {"4 04 00 FF", "2 04 00 FF", "3 04 00 GG", "3 04 0 FF", "x 04", ""}) {
        SCOPED_TRACE(broken);
        EXPECT_FALSE(ParseSetFeatureArgs(broken).has_value());
    }
}

TEST(DriverLog, WholeLogDecoded) {
    const std::string log =
        "100 Set_VIDPID 0x25A7 0xFA70 -> 1\r\n"
        "101 Open_FeatureDevice -> 1\r\n"
        "300 SetFeature 3 04 00 FF -> 1\r\n"
        "400 SetFeature 8 0B 08 02 00 00 00 00 00 -> 0\r\n"
        "401 SetFeature 2 04 -> 1\r\n"
        "garbage\r\n";
    EXPECT_EQ(DecodeDriverLog(log),
              "100 Set_VIDPID 0x25A7 0xFA70 -> 1\n"
              "101 Open_FeatureDevice -> 1\n"
              "300 CMD_BEGIN\n"
              "400 CMD_END profileOption 2 -> 0 (not accepted)\n"
              "401 SetFeature 2 04 -> 1\n"
              "? garbage\n");
}

TEST(DriverMessages, EventWords) {
    const struct {
        std::vector<std::string_view> words;
        unsigned message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    } kCases[] = {
        {{"profile", "3"}, WM_DEVICE_EVENT, 0x3000, 3},    {{"stage", "8"}, WM_DEVICE_EVENT, 0xB000, 8},
        {{"button", "1"}, WM_DEVICE_EVENT, 0x6000, 1},     {{"profile", "65535"}, WM_DEVICE_EVENT, 0x3000, 65535},
        {{"open-customizer"}, WM_DEVICE_EVENT, 0xA000, 1}, {{"attach"}, WM_DEVICE_CONNECTION, 1, 0},
        {{"remove"}, WM_DEVICE_CONNECTION, 0, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.words[0]));
        const auto result = DriverMessageFor(c.words);
        ASSERT_TRUE(std::holds_alternative<DriverMessage>(result)) << std::get<std::string>(result);
        const DriverMessage& m = std::get<DriverMessage>(result);
        EXPECT_EQ(m.message, c.message);
        EXPECT_EQ(m.wParam, c.wParam);
        EXPECT_EQ(m.lParam, c.lParam);
    }
    const std::vector<std::string_view> kRefused[] = {
        {}, {"profile"}, {"profile", "x"}, {"profile", "65536"}, {"profile", "-1"}, {"jump"}, {"attach", "1"},
    };
    for (const auto& words : kRefused) {
        EXPECT_TRUE(std::holds_alternative<std::string>(DriverMessageFor(words)));
    }
    EXPECT_EQ(DescribeDriverMessage({WM_DEVICE_EVENT, 0x3000, 3}), "WM_DEVICE_EVENT (1325) wParam 0x3000 lParam 3");
}

}  // namespace
}  // namespace korvid
