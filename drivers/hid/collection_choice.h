// Which HID collections of the mouse the library uses: one for command frames
// (feature reports) and one for event reports (input reports). Shared by the
// library and by "korvidctl hid", so that what the command shows is what the
// library does.
//
// A collection is chosen by what it declares, not by where it sits:
//   frames  the collection's feature reports include every command's report
//           ID (kFirstCommandReportId to kLastCommandReportId) and are long
//           enough for the longest frame;
//   events  its input reports include the event report's ID (kEventReportId)
//           and are long enough for one event.
// Among several that qualify, a vendor-defined usage page (0xFF00 to 0xFFFF)
// comes first, then (for frames) the shorter feature report, then SetupAPI's
// order. The pointer and keyboard collections are not excluded: a mouse may
// put its feature reports into a collection Windows holds, which the library
// then opens without access.
//
// The [Device] keys FrameCollection and EventCollection of config.ini may name
// the collection instead, for a device whose descriptor the rule misreads:
// '&'-separated parts of the hardware ID, such as "MI_01&Col02". A named
// collection needs only the IDs and the report length; its report IDs are not
// checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hid/device_path.h"

namespace korvid::hid {

inline constexpr std::uint8_t kFirstCommandReportId = 0x04;
inline constexpr std::uint8_t kLastCommandReportId = 0x0B;

// What one collection declares (HidD_GetAttributes, HidP_GetCaps, and the
// report IDs of its value and button caps). Lengths count the report ID
// byte; 0 means no reports of that kind. Report IDs are sorted, each once.
struct CollectionDeclaration {
    std::wstring path;
    UsbIds ids;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::size_t inputReportLength = 0;
    std::size_t outputReportLength = 0;
    std::size_t featureReportLength = 0;
    std::vector<std::uint8_t> inputReportIds;
    std::vector<std::uint8_t> outputReportIds;
    std::vector<std::uint8_t> featureReportIds;
};

// The [Device] names; empty when not given.
struct CollectionNames {
    std::wstring frames;
    std::wstring events;
};

struct CollectionChoice {
    // Indexes into the list, best first. The library opens the first frame
    // candidate that opens, and reads the first event candidate that opens.
    std::vector<std::size_t> frameCandidates;
    std::vector<std::size_t> eventCandidates;
    // For each collection of the list, one line each: why it is or is not a
    // candidate ("frames: ...", "events: ...").
    std::vector<std::string> frameVerdicts;
    std::vector<std::string> eventVerdicts;
};

CollectionChoice ChooseCollections(std::span<const CollectionDeclaration> collections, UsbIds ids,
                                   const CollectionNames& names);

// One line for the debug output: "usage FF00:0001, feature 133 bytes IDs 04
// 05 ..., input 9 bytes IDs 0C, output 0 bytes IDs none".
std::string DescribeCollection(const CollectionDeclaration& collection);

// "04 05 06", or "none".
std::string ReportIdsText(std::span<const std::uint8_t> reportIds);

}  // namespace korvid::hid
