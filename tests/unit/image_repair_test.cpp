#include "config/image_repair.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "config/factory_defaults.h"

namespace korvid {
namespace {

std::unique_ptr<ShareData> DefaultsWithNoise() {
    auto image = std::make_unique<ShareData>();
    BuildFactoryDefaults(*image);
    // Bytes the host does not interpret must come back untouched.
    image->spare0 = 0xDEADBEEF;
    image->profiles[2].padding1613[1] = 0x5A;
    image->profiles[4].buttons[7].padding746[0] = 0x77;
    image->profiles[1].profileName[20] = u'x';  // text after the terminator
    image->buttonChanged[3][4] = 2;
    return image;
}

std::vector<unsigned char> Bytes(const ShareData& image) {
    const auto* p = reinterpret_cast<const unsigned char*>(&image);
    return {p, p + sizeof image};
}

TEST(ImageRepair, SoundImageComesBackByteIdentical) {
    auto image = DefaultsWithNoise();
    image->activeProfile = 4;
    image->profiles[0].buttons[0].eventCount = 40;
    const auto before = Bytes(*image);
    const RepairReport report = RepairImage(*image);
    EXPECT_FALSE(report.Any());
    EXPECT_EQ(Bytes(*image), before);
}

TEST(ImageRepair, EachBrokenInvariantIsMendedAndNothingElse) {
    const struct {
        const char* name;
        std::function<void(ShareData&)> breakIt;
        std::function<void(ShareData&)> expectMended;  // applied to the original to get the expected image
        RepairReport expected;
    } kCases[] = {
        {"activeProfile 5",
         [](ShareData& s) { s.activeProfile = 5; },
         [](ShareData& s) { s.activeProfile = 0; },
         {true, 0, 0}},
        {"activeProfile -1",
         [](ShareData& s) { s.activeProfile = -1; },
         [](ShareData& s) { s.activeProfile = 0; },
         {true, 0, 0}},
        {"activeProfile 0x7FFFFFFF",
         [](ShareData& s) { s.activeProfile = 0x7FFFFFFF; },
         [](ShareData& s) { s.activeProfile = 0; },
         {true, 0, 0}},
        {"eventCount 41",
         [](ShareData& s) { s.profiles[3].buttons[19].eventCount = 41; },
         [](ShareData& s) { s.profiles[3].buttons[19].eventCount = 40; },
         {false, 1, 0}},
        {"eventCount 65535",
         [](ShareData& s) { s.profiles[0].buttons[0].eventCount = 0xFFFF; },
         [](ShareData& s) { s.profiles[0].buttons[0].eventCount = 40; },
         {false, 1, 0}},
        {"profileName unterminated",
         [](ShareData& s) {
             std::fill(std::begin(s.profiles[1].profileName), std::end(s.profiles[1].profileName), u'A');
         },
         [](ShareData& s) {
             std::fill(std::begin(s.profiles[1].profileName), std::end(s.profiles[1].profileName), u'A');
             s.profiles[1].profileName[kProfileNameChars - 1] = 0;
         },
         {false, 0, 1}},
        {"programPath unterminated",
         [](ShareData& s) {
             std::fill(std::begin(s.profiles[4].programPath), std::end(s.profiles[4].programPath), u'p');
         },
         [](ShareData& s) {
             std::fill(std::begin(s.profiles[4].programPath), std::end(s.profiles[4].programPath), u'p');
             s.profiles[4].programPath[kProgramPathChars - 1] = 0;
         },
         {false, 0, 1}},
        {"macroName and launchPath unterminated",
         [](ShareData& s) {
             auto& b = s.profiles[2].buttons[11];
             std::fill(std::begin(b.macroName), std::end(b.macroName), u'm');
             std::fill(std::begin(b.launchPath), std::end(b.launchPath), u'l');
         },
         [](ShareData& s) {
             auto& b = s.profiles[2].buttons[11];
             std::fill(std::begin(b.macroName), std::end(b.macroName), u'm');
             std::fill(std::begin(b.launchPath), std::end(b.launchPath), u'l');
             b.macroName[kMacroNameChars - 1] = 0;
             b.launchPath[kLaunchPathChars - 1] = 0;
         },
         {false, 0, 2}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto image = DefaultsWithNoise();
        c.breakIt(*image);
        auto expected = DefaultsWithNoise();
        c.expectMended(*expected);

        const RepairReport report = RepairImage(*image);
        EXPECT_EQ(report.activeProfile, c.expected.activeProfile);
        EXPECT_EQ(report.eventCounts, c.expected.eventCounts);
        EXPECT_EQ(report.textFields, c.expected.textFields);
        EXPECT_TRUE(Bytes(*image) == Bytes(*expected));
    }
}

TEST(ImageRepair, AllBytesSetIsMendedEverywhere) {
    auto image = std::make_unique<ShareData>();
    std::memset(image.get(), 0xFF, sizeof(ShareData));
    const RepairReport report = RepairImage(*image);
    EXPECT_TRUE(report.activeProfile);
    EXPECT_EQ(report.eventCounts, kProfileCount * kButtonCount);
    EXPECT_EQ(report.textFields, kProfileCount * (2 + 2 * kButtonCount));
    EXPECT_FALSE(RepairImage(*image).Any()) << "a repaired image is sound";
}

}  // namespace
}  // namespace korvid
