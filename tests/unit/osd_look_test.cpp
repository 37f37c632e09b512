// The on-screen display's portable rules: its record in config.ini, the
// messages it takes, where it goes and what it says.
#include "osd/osd_look.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "config/share_data.h"
#include "protocol/korvid_protocol.h"

namespace korvid {
namespace {

std::vector<std::uint8_t> BytesOf(const OsdSettings& settings) {
    std::vector<std::uint8_t> bytes(sizeof settings);
    std::memcpy(bytes.data(), &settings, sizeof settings);
    return bytes;
}

TEST(OsdLookTest, FieldsSitWhereTheHeaderSays) {
    EXPECT_EQ(offsetof(OsdSettings, osdLayout), 0u);
    EXPECT_EQ(offsetof(OsdSettings, osdPosition), 4u);
    EXPECT_EQ(offsetof(OsdSettings, osdEnabled), 8u);
    EXPECT_EQ(offsetof(OsdSettings, osdShowMs), 12u);
    EXPECT_EQ(offsetof(OsdSettings, osdFadeMs), 16u);
    EXPECT_EQ(offsetof(OsdSettings, osdTextSize), 20u);
    EXPECT_EQ(offsetof(OsdSettings, osdOpacity), 24u);
    EXPECT_EQ(offsetof(OsdSettings, osdMarginPx), 28u);
    EXPECT_EQ(sizeof(OsdSettings), 348u);
}

TEST(OsdLookTest, RecordWithoutLayoutOrWithBadFieldsGivesDefaults) {
    const OsdLook defaults = DefaultOsdLook();
    for (const OsdField& field : kOsdFields) {
        EXPECT_GE(field.defaultValue, field.minimum);
        EXPECT_LE(field.defaultValue, field.maximum);
    }
    // The zero record older config.ini files hold.
    EXPECT_EQ(DecodeOsdLook(OsdSettings{}), defaults);

    OsdSettings settings{};
    settings.osdLayout = kOsdLayoutVersion;
    settings.osdPosition = 9;
    settings.osdShowMs = 199;
    settings.osdFadeMs = -1;
    settings.osdTextSize = 97;
    settings.osdOpacity = 19;
    settings.osdMarginPx = 401;
    EXPECT_EQ(DecodeOsdLook(settings), defaults);

    const OsdLook edges{8, 10000, 0, 12, 100, 400};
    EncodeOsdLook(edges, settings);
    EXPECT_EQ(DecodeOsdLook(settings), edges);
    settings.osdLayout = 2;  // a layout this program does not know
    EXPECT_EQ(DecodeOsdLook(settings), defaults);
}

TEST(OsdLookTest, EncodingKeepsOsdEnabledAndTheReservedBytes) {
    OsdSettings settings{};
    settings.osdEnabled = 0;
    settings.reserved32[0] = 0xAB;
    EncodeOsdLook(OsdLook{-5, 99999, 100, 40, 50, 10}, settings);
    EXPECT_EQ(settings.osdEnabled, 0);
    EXPECT_EQ(settings.reserved32[0], 0xAB);
    EXPECT_EQ(settings.osdPosition, 0);
    EXPECT_EQ(settings.osdShowMs, 10000);
}

TEST(OsdLookTest, OnlyWParam40AndProfiles0To4AreShown) {
    const struct {
        const char* name;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        std::optional<int> profile;
    } kCases[] = {
        {"profile 0", kOsdShowWParam, OsdShowLParam(0), 0},
        {"profile 4", kOsdShowWParam, OsdShowLParam(4), 4},
        {"profile 5", kOsdShowWParam, OsdShowLParam(5), std::nullopt},
        {"profile 0xFFFF (-1 in the high word)", kOsdShowWParam, OsdShowLParam(-1), std::nullopt},
        {"index in the low word", kOsdShowWParam, 2, 0},
        {"low word set as well", kOsdShowWParam, OsdShowLParam(3) | 0x1234, 3},
        {"wParam 0", 0, OsdShowLParam(1), std::nullopt},
        {"wParam 41", 41, OsdShowLParam(1), std::nullopt},
        {"wParam 40 plus high bits", kOsdShowWParam | 0x10000, OsdShowLParam(1), std::nullopt},
        {"negative lParam", kOsdShowWParam, -1, std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OsdProfileFromMessage(c.wParam, c.lParam), c.profile);
    }
}

TEST(OsdLookTest, PlacementFollowsTheGridInsideTheWorkArea) {
    // A second monitor left of the primary one, its taskbar at the top.
    const OsdRect area{-1920, 40, 0, 1080};
    const struct {
        const char* name;
        int width;
        int height;
        int position;
        int margin;
        OsdRect expected;
    } kCases[] = {
        {"top left", 200, 100, 0, 10, {-1910, 50, -1710, 150}},
        {"centre", 200, 100, 4, 10, {-1060, 510, -860, 610}},
        {"bottom centre", 200, 100, 7, 64, {-1060, 916, -860, 1016}},
        {"bottom right", 200, 100, 8, 10, {-210, 970, -10, 1070}},
        {"margin larger than the room: half of it", 1900, 1000, 8, 64, {-1910, 60, -10, 1060}},
        {"larger than the work area: cut to it", 4000, 2000, 0, 10, {-1920, 40, 0, 1080}},
        {"position out of range: the nearest", 200, 100, 12, 10, {-210, 970, -10, 1070}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlaceOsd(area, c.width, c.height, c.position, c.margin), c.expected);
    }
}

TEST(OsdLookTest, LengthsScaleWithTheMonitorDpi) {
    const struct {
        int value;
        unsigned dpi;
        int expected;
    } kCases[] = {{36, 96, 36}, {36, 144, 54}, {36, 120, 45}, {7, 120, 9}, {64, 192, 128}, {0, 288, 0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.expected);
    }
}

TEST(OsdLookTest, TextShowsTheNumberTheNameAndTheProgramFile) {
    EXPECT_EQ(OsdProfileLine(0), u"Profile 1");
    EXPECT_EQ(OsdProfileLine(4), u"Profile 5");
    const std::u16string withNul(u"Shooter\0garbage", 15);
    EXPECT_EQ(OsdDetailLine(withNul, u"C:\\Games\\Quake\\quake.exe"), u"Shooter \u00B7 quake.exe");
    EXPECT_EQ(OsdDetailLine(u"", u"quake.exe"), u"quake.exe");
    EXPECT_EQ(OsdDetailLine(u"Office", u""), u"Office");
    EXPECT_EQ(OsdDetailLine(std::u16string(3, u'\0'), u""), u"");
}

TEST(OsdLookTest, ProfileStructTextRoundTripsAndChecksTheSum) {
    const std::vector<std::uint8_t> bytes = BytesOf(FactoryOsdSettings());
    const std::string text = EncodeProfileStruct(bytes);
    EXPECT_EQ(DecodeProfileStruct(text, bytes.size()), bytes);
    std::string badSum = text;
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    EXPECT_EQ(DecodeProfileStruct(badSum, bytes.size()), std::nullopt);
    EXPECT_EQ(DecodeProfileStruct(text.substr(2), bytes.size()), std::nullopt);
    EXPECT_EQ(EncodeProfileStruct(std::vector<std::uint8_t>{0xFF, 0x02}), "FF0201");
}

// The factory config.ini holds the factory record with a correct checksum:
// notifications on, the default look.
TEST(OsdLookTest, FactoryConfigIniHoldsTheFactoryRecord) {
    std::ifstream file(KORVID_FACTORY_CONFIG_INI);
    ASSERT_TRUE(file.is_open()) << KORVID_FACTORY_CONFIG_INI;
    std::string line;
    std::string value;
    bool inSection = false;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') inSection = line == "[OSDSetting]";
        if (inSection && line.rfind("config=", 0) == 0) value = line.substr(7);
    }
    const auto bytes = DecodeProfileStruct(value, sizeof(OsdSettings));
    ASSERT_TRUE(bytes.has_value()) << "missing, wrong length or wrong checksum";
    EXPECT_EQ(*bytes, BytesOf(FactoryOsdSettings()));
}

}  // namespace
}  // namespace korvid
