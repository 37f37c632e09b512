// The factory image is written to Config.data and read by the customizer, so
// it is checked here through raw image offsets, not through the struct.
#include "config/factory_defaults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace korvid {
namespace {

class FactoryDefaults : public ::testing::Test {
protected:
    void SetUp() override {
        image_ = std::make_unique<ShareData>();
        std::memset(image_.get(), 0xAB, sizeof(ShareData));  // garbage the defaults must not keep
        BuildFactoryDefaults(*image_);
        bytes_ = reinterpret_cast<const unsigned char*>(image_.get());
    }
    std::uint32_t U32(std::size_t offset) const {
        return bytes_[offset] | bytes_[offset + 1] << 8 | bytes_[offset + 2] << 16 |
               static_cast<std::uint32_t>(bytes_[offset + 3]) << 24;
    }
    std::u16string Text(std::size_t offset) const {
        std::u16string s;
        for (std::size_t i = offset;; i += 2) {
            const char16_t c = static_cast<char16_t>(bytes_[i] | bytes_[i + 1] << 8);
            if (c == 0) return s;
            s += c;
        }
    }
    std::unique_ptr<ShareData> image_;
    const unsigned char* bytes_ = nullptr;
};

TEST_F(FactoryDefaults, ScalarFieldsOfEveryProfile) {
    const struct {
        const char* name;
        std::size_t offset;  // within the profile
        std::uint32_t value;
    } kCases[] = {
        {"doubleClickSpeed", 1500, 6},
        {"wheelScrollLines", 1504, 3},
        {"wheelScrollPage", 1508, 0},
        {"pointerSpeed", 1512, 6},
        {"spare1516", 1516, 10},
        {"pointerAcceleration", 1520, 0},
        {"spare1524", 1524, 10},
        {"dpiOptionA", 1528, 10},
        {"dpiOptionB", 1532, 10},
        {"spare1536", 1536, 1},
        {"stageEnabled 0-3", 1540, 0x01010101},
        {"stageEnabled 4-7", 1544, 0x00000001},
        {"dpiX[0]", 1548, 8},
        {"dpiX[4]", 1564, 62},
        {"dpiX[7]", 1576, 11},
        {"dpiY[0]", 1580, 8},
        {"dpiY[3]", 1592, 32},
        {"dpiY[5]", 1600, 9},
        {"spare1612 and padding", 1612, 1},
        {"currentStage", 1616, 1},
        {"stageColor[0]", 1620, 0x0000FF},
        {"stageColor[1]", 1624, 0xFF0000},
        {"stageColor[4]", 1636, 0x00FFFF},
        {"stageColor[6]", 1644, 0x00FFFF},
        {"stageColor[7]", 1648, 0x0080FF},
        {"dpiOptionC and padding", 1652, 0},
        {"dpiOptionD", 1656, 2},
        {"option07", 1660, 2},
        {"lightModeA", 1664, 2},
        {"spare1668", 1668, 0},
        {"lightParamA1", 1672, 2},
        {"lightParamA2", 1676, 10},
        {"lightColorA", 1680, 0x0000FF},
        {"lightSlotEnabled 0-3", 1684, 0x01010101},
        {"lightSlotEnabled 4-7", 1688, 0x01010101},
        {"lightSlotColor[0]", 1692, 0x0000FF},
        {"lightSlotColor[2]", 1700, 0xFF0000},
        {"lightSlotColor[6]", 1716, 0xFFFFFF},
        {"lightSlotColor[7]", 1720, 0x808080},
        {"lightParamA3", 1724, 0},
        {"lightModeB", 1728, 2},
        {"spare1732", 1732, 0},
        {"lightParamB1", 1736, 2},
        {"lightParamB2", 1740, 4},
        {"lightColorB", 1744, 0x0000FF},
        {"profileOption", 1748, 2},
    };
    for (int k = 0; k < kProfileCount; ++k) {
        for (const auto& c : kCases) {
            SCOPED_TRACE(std::string(c.name) + " of profile " + std::to_string(k));
            EXPECT_EQ(U32(ProfileOffset(k) + c.offset), c.value);
        }
    }
}

TEST_F(FactoryDefaults, NamesAndEmptyProgramPaths) {
    EXPECT_EQ(U32(4), 0u) << "activeProfile";
    for (int k = 0; k < kProfileCount; ++k) {
        EXPECT_EQ(Text(ProfileOffset(k)), u"Default" + std::u16string(1, static_cast<char16_t>(u'1' + k)));
        EXPECT_EQ(Text(ProfileOffset(k) + 500), u"");
    }
}

TEST_F(FactoryDefaults, ButtonSlots) {
    const unsigned char kFunction[kButtonCount] = {1, 2, 3, 7, 8, 13, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 9, 10};
    for (int k = 0; k < kProfileCount; ++k) {
        for (int j = 0; j < kButtonCount; ++j) {
            SCOPED_TRACE("profile " + std::to_string(k) + " slot " + std::to_string(j));
            const std::size_t slot = ButtonOffset(k, j);
            EXPECT_EQ(bytes_[slot], j);
            EXPECT_EQ(bytes_[slot + 1], kFunction[j]);
            // Every other byte of the slot is zero: key, macro, events, launchPath, padding.
            std::vector<unsigned char> rest(bytes_ + slot + 2, bytes_ + slot + kButtonSize);
            EXPECT_EQ(rest, std::vector<unsigned char>(kButtonSize - 2, 0));
        }
    }
    // The example a person would check first: profile 3, slot 12.
    EXPECT_EQ(image_->profiles[3].buttons[12].slotIndex, 12);
    EXPECT_EQ(image_->profiles[3].buttons[12].function, 6);
}

TEST_F(FactoryDefaults, ProfilesDifferOnlyInTheirNames) {
    for (int k = 1; k < kProfileCount; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(std::memcmp(bytes_ + ProfileOffset(0) + 500, bytes_ + ProfileOffset(k) + 500, kProfileSize - 500), 0);
    }
}

TEST_F(FactoryDefaults, UnassignedBytesAreZero) {
    EXPECT_EQ(U32(0), 0u) << "spare0";
    for (std::size_t i = kChangeFlagsOffset; i < kImageSize; ++i) ASSERT_EQ(bytes_[i], 0) << "change flag at " << i;
    for (int k = 0; k < kProfileCount; ++k) {
        // Name tail after "DefaultN" and the whole programPath array.
        for (std::size_t i = ProfileOffset(k) + 16; i < ProfileOffset(k) + 1500; ++i)
            ASSERT_EQ(bytes_[i], 0) << "text tail at " << i;
    }
}

}  // namespace
}  // namespace korvid
