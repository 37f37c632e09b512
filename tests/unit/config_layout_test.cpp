// The image is shared byte for byte with the customizer and Config.data; the
// header asserts every offset at compile time, this checks a sample again at
// run time on each toolchain (the Windows build runs it under Wine).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "config/share_data.h"

namespace korvid {
namespace {

template <typename T>
std::size_t OffsetIn(const ShareData& image, const T& field) {
    return static_cast<std::size_t>(reinterpret_cast<const unsigned char*>(&field) -
                                    reinterpret_cast<const unsigned char*>(&image));
}

TEST(ConfigLayout, RecordSizes) {
    EXPECT_EQ(sizeof(ShareData), 83684u);
    EXPECT_EQ(sizeof(ProfileData), 16712u);
    EXPECT_EQ(sizeof(ButtonData), 748u);
    EXPECT_EQ(sizeof(MacroEvent), 4u);
}

TEST(ConfigLayout, FieldsSitAtTheirImageOffsets) {
    auto image = std::make_unique<ShareData>();
    const ShareData& s = *image;
    const struct {
        const char* name;
        std::size_t actual;
        std::size_t expected;
    } kCases[] = {
        {"activeProfile", OffsetIn(s, s.activeProfile), 4},
        {"profile 0", OffsetIn(s, s.profiles[0]), 8},
        {"profile 4", OffsetIn(s, s.profiles[4]), 8 + 4 * 16712},
        {"profile 1 programPath", OffsetIn(s, s.profiles[1].programPath), 8 + 16712 + 500},
        {"profile 2 currentStage", OffsetIn(s, s.profiles[2].currentStage), 8 + 2 * 16712 + 1616},
        {"profile 3 profileOption", OffsetIn(s, s.profiles[3].profileOption), 8 + 3 * 16712 + 1748},
        {"profile 0 slot 0", OffsetIn(s, s.profiles[0].buttons[0]), 8 + 1752},
        {"profile 4 slot 19", OffsetIn(s, s.profiles[4].buttons[19]), 8 + 4 * 16712 + 1752 + 19 * 748},
        {"profile 1 slot 5 events", OffsetIn(s, s.profiles[1].buttons[5].events), 8 + 16712 + 1752 + 5 * 748 + 66},
        {"profile 1 slot 5 launchPath", OffsetIn(s, s.profiles[1].buttons[5].launchPath),
         8 + 16712 + 1752 + 5 * 748 + 226},
        {"activeProfileChanged", OffsetIn(s, s.activeProfileChanged), 83568},
        {"dpiChanged", OffsetIn(s, s.dpiChanged), 83569},
        {"option07Changed", OffsetIn(s, s.option07Changed), 83574},
        {"lightingChanged", OffsetIn(s, s.lightingChanged), 83579},
        {"buttonChanged[4][19]", OffsetIn(s, s.buttonChanged[4][19]), 83683},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual, c.expected);
    }
    EXPECT_EQ(ButtonOffset(4, 19), 8u + 4 * 16712 + 1752 + 19 * 748);
}

TEST(ConfigLayout, FieldsAreLittleEndianInThePlace) {
    auto image = std::make_unique<ShareData>();
    std::memset(image.get(), 0, sizeof(ShareData));
    image->profiles[1].lightColorA = 0x00332211u;
    image->profiles[1].buttons[2].eventCount = 0x0102;
    const auto* bytes = reinterpret_cast<const unsigned char*>(image.get());
    const std::size_t color = 8 + 16712 + 1680;
    EXPECT_EQ(bytes[color], 0x11);
    EXPECT_EQ(bytes[color + 1], 0x22);
    EXPECT_EQ(bytes[color + 2], 0x33);
    const std::size_t count = ButtonOffset(1, 2) + 64;
    EXPECT_EQ(bytes[count], 0x02);
    EXPECT_EQ(bytes[count + 1], 0x01);
}

TEST(ConfigLayout, OnlyAFlagByteOfOneCountsAsSet) {
    const struct {
        std::uint8_t byte;
        bool set;
    } kCases[] = {{0, false}, {1, true}, {2, false}, {0xFF, false}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        EXPECT_EQ(IsFlagSet(c.byte), c.set);
    }
}

}  // namespace
}  // namespace korvid
