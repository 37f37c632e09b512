// The real driver library's choice of collections by what they declare, and
// the [Device] names that override it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hid/collection_choice.h"
#include "hid/device_path.h"

namespace korvid::hid {
namespace {

constexpr UsbIds kMouse{0x25A7, 0xFA70};
const std::vector<std::uint8_t> kCommands = {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B};

std::wstring PathOf(const wchar_t* hardwareId) {
    return std::wstring(L"\\\\?\\HID#") + hardwareId + L"#7&1&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

CollectionDeclaration Commands(const wchar_t* hardwareId, std::uint16_t usagePage, std::size_t featureLength) {
    CollectionDeclaration c;
    c.path = PathOf(hardwareId);
    c.ids = kMouse;
    c.usagePage = usagePage;
    c.featureReportLength = featureLength;
    c.featureReportIds = kCommands;
    return c;
}

CollectionDeclaration Events(const wchar_t* hardwareId, std::uint16_t usagePage, std::vector<std::uint8_t> ids) {
    CollectionDeclaration c;
    c.path = PathOf(hardwareId);
    c.ids = kMouse;
    c.usagePage = usagePage;
    c.inputReportLength = 9;
    c.inputReportIds = std::move(ids);
    return c;
}

TEST(HidCollectionChoice, RanksTheCollectionsThatDeclareTheReports) {
    const struct {
        const char* name;
        std::vector<CollectionDeclaration> collections;
        CollectionNames names;
        std::vector<std::size_t> frames;
        std::vector<std::size_t> events;
    } kCases[] = {
        {"vendor page before the keyboard page",
         {Commands(L"VID_25A7&PID_FA70&MI_01&Col01", 0x0001, 133),
          Commands(L"VID_25A7&PID_FA70&MI_01&Col02", 0xFF00, 133)},
         {},
         {1, 0},
         {}},
        {"then the shorter report",
         {Commands(L"VID_25A7&PID_FA70&MI_02", 0xFF00, 256), Commands(L"VID_25A7&PID_FA70&MI_03", 0xFF01, 133)},
         {},
         {1, 0},
         {}},
        {"then the enumeration's order",
         {Commands(L"VID_25A7&PID_FA70&MI_02", 0xFF00, 133), Commands(L"VID_25A7&PID_FA70&MI_03", 0xFF00, 133)},
         {},
         {0, 1},
         {}},
        {"events: the event report's ID, vendor page first",
         {Events(L"VID_25A7&PID_FA70&MI_00", 0x0001, {0x0C}), Events(L"VID_25A7&PID_FA70&MI_01", 0xFF00, {0x01}),
          Events(L"VID_25A7&PID_FA70&MI_02", 0xFF00, {0x0B, 0x0C})},
         {},
         {},
         {2, 0}},
        {"names, any case, several parts",
         {Commands(L"VID_25A7&PID_FA70&MI_01&Col01", 0xFF00, 133),
          Commands(L"VID_25A7&PID_FA70&MI_01&Col02", 0x0001, 133),
          Events(L"VID_25A7&PID_FA70&MI_01&Col03", 0x0001, {})},
         {L"mi_01&COL02", L"Col03"},
         {1},
         {2}},
        {"a name that is a part only in a longer token matches nothing",
         {Commands(L"VID_25A7&PID_FA70&MI_01&Col02", 0xFF00, 133)},
         {L"Col0", L"MI_01&"},
         {},
         {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const CollectionChoice choice = ChooseCollections(c.collections, kMouse, c.names);
        EXPECT_EQ(choice.frameCandidates, c.frames);
        EXPECT_EQ(choice.eventCandidates, c.events);
        EXPECT_EQ(choice.frameVerdicts.size(), c.collections.size());
        EXPECT_EQ(choice.eventVerdicts.size(), c.collections.size());
    }
}

// What "korvidctl hid" and the debug lines say about a collection passed over.
TEST(HidCollectionChoice, SaysWhyACollectionIsSkipped) {
    CollectionDeclaration otherIds = Commands(L"VID_046D&PID_C31C", 0xFF00, 133);
    otherIds.ids = {0x046D, 0xC31C};
    CollectionDeclaration missing = Commands(L"VID_25A7&PID_FA70&MI_01", 0xFF00, 133);
    missing.featureReportIds = {0x01, 0x04, 0x05};
    CollectionDeclaration shortReports = Commands(L"VID_25A7&PID_FA70&MI_02", 0xFF00, 65);
    shortReports.inputReportLength = 4;
    shortReports.inputReportIds = {0x0C};
    const std::vector<CollectionDeclaration> collections = {otherIds, missing, shortReports};
    const CollectionChoice choice = ChooseCollections(collections, kMouse, {});
    EXPECT_EQ(choice.frameVerdicts, (std::vector<std::string>{
                                        "frames: skipped, other IDs",
                                        "frames: skipped, feature report IDs 01 04 05 lack 06 07 08 09 0A 0B",
                                        "frames: skipped, feature reports of 65 bytes are shorter than the longest "
                                        "frame (132 bytes)",
                                    }));
    EXPECT_EQ(choice.eventVerdicts[1], "events: skipped, no input reports");
    EXPECT_EQ(choice.eventVerdicts[2], "events: skipped, input reports of 4 bytes are shorter than an event (5 bytes)");
    EXPECT_EQ(DescribeCollection(shortReports),
              "usage FF00:0000, feature 65 bytes IDs 04 05 06 07 08 09 0A 0B, input 4 bytes IDs 0C, output 0 bytes "
              "IDs none");
}

}  // namespace
}  // namespace korvid::hid
