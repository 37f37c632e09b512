// The real driver library's report formats: command frames padded into
// feature reports, and event reports read from the mouse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/command_frame.h"
#include "hid/event_report.h"
#include "hid/feature_report.h"
#include "runtime/device_event.h"

namespace korvid::hid {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Concat(Bytes head, std::size_t zeros) {
    head.resize(head.size() + zeros, 0);
    return head;
}

TEST(HidFeatureReport, FramePaddedToTheReportLength) {
    const struct {
        const char* name;
        Bytes frame;
        std::size_t reportLength;
        std::optional<Bytes> report;
    } kCases[] = {
        {"begin into a 133-byte report", {0x04, 0x00, 0xFF}, 133, Concat({0x04, 0x00, 0xFF}, 130)},
        {"trailing zeros of the frame stay",
         {0x0B, 0x08, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00},
         10,
         Bytes{0x0B, 0x08, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"frame as long as the report", Concat({0x0A, 0x84, 0x01}, 129), 132, Concat({0x0A, 0x84, 0x01}, 129)},
        {"frame longer than the report", Concat({0x0A, 0x84}, 130), 131, std::nullopt},
        {"empty frame", {}, 133, std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FeatureReportFromFrame(c.frame, c.reportLength), c.report);
    }
}

// The device's collection is chosen by the longest frame the host sends.
TEST(HidFeatureReport, LargestFrameIsTheHostsLongestCommand) {
    const std::size_t kHostLengths[] = {kBeginLength,    kActiveProfileLength, kDpiLength,   kOption07Length,
                                        kLightingLength, kButtonsLength,       kMacroLength, kEndLength};
    std::size_t longest = 0;
    for (const std::size_t length : kHostLengths) longest = std::max(longest, length);
    EXPECT_EQ(longest, kLargestFrameLength);
    EXPECT_TRUE(CanCarryEveryFrame(kLargestFrameLength));
    EXPECT_FALSE(CanCarryEveryFrame(kLargestFrameLength - 1));
}

TEST(HidEventReport, Parse) {
    const struct {
        const char* name;
        Bytes report;
        std::optional<EventReport> event;
    } kCases[] = {
        {"profile 3", {0x0C, 0x00, 0x30, 0x03, 0x00}, EventReport{0x3000, 3}},
        {"launch program slot 15", {0x0C, 0x00, 0x60, 0x0F, 0x00}, EventReport{0x6000, 15}},
        {"open customizer", {0x0C, 0x00, 0xA0, 0x01, 0x00}, EventReport{0xA000, 1}},
        {"DPI stage 8", {0x0C, 0x00, 0xB0, 0x08, 0x00}, EventReport{0xB000, 8}},
        {"argument is little-endian and passed on unchecked",
         {0x0C, 0x00, 0x30, 0x02, 0x01},
         EventReport{0x3000, 0x0102}},
        {"padding of the input report ignored", Concat({0x0C, 0x00, 0xB0, 0x02, 0x00, 0xAA, 0xBB}, 57),
         EventReport{0xB000, 2}},
        {"one byte short", {0x0C, 0x00, 0x30, 0x03}, std::nullopt},
        {"empty", {}, std::nullopt},
        {"another report ID", {0x0D, 0x00, 0x30, 0x03, 0x00}, std::nullopt},
        {"unknown class", {0x0C, 0x00, 0x31, 0x03, 0x00}, std::nullopt},
        {"class with bytes swapped", {0x0C, 0x30, 0x00, 0x03, 0x00}, std::nullopt},
        {"connection class comes only from the system", {0x0C, 0x00, 0x7F, 0x01, 0x00}, std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseEventReport(c.report), c.event);
    }
}

// The classes the driver passes on are those the host dispatches.
TEST(HidEventReport, ClassesAreTheHosts) {
    EXPECT_EQ(EVENT_PROFILE, korvid::EVENT_PROFILE);
    EXPECT_EQ(EVENT_LAUNCH_PROGRAM, korvid::EVENT_LAUNCH_PROGRAM);
    EXPECT_EQ(EVENT_OPEN_CUSTOMIZER, korvid::EVENT_OPEN_CUSTOMIZER);
    EXPECT_EQ(EVENT_DPI_STAGE, korvid::EVENT_DPI_STAGE);
}

}  // namespace
}  // namespace korvid::hid
