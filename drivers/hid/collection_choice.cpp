#include "hid/collection_choice.h"

#include <algorithm>
#include <cstdio>

#include "hid/event_report.h"
#include "hid/feature_report.h"

namespace korvid::hid {
namespace {

bool IsVendorDefined(std::uint16_t usagePage) { return usagePage >= 0xFF00; }

bool Has(std::span<const std::uint8_t> reportIds, std::uint8_t id) {
    return std::find(reportIds.begin(), reportIds.end(), id) != reportIds.end();
}

std::string Hex2(unsigned value) {
    char text[8];
    (void)std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

std::string Length(std::size_t length) { return std::to_string(length) + " bytes"; }

// Why the collection cannot carry frames; empty when it can.
std::string FrameRefusal(const CollectionDeclaration& c, UsbIds ids, const std::wstring& name) {
    if (c.ids != ids) return "other IDs";
    if (!name.empty() && !HardwareIdHasParts(c.path, name)) return "not the FrameCollection named in [Device]";
    if (c.featureReportLength == 0) return "no feature reports";
    if (name.empty()) {
        std::vector<std::uint8_t> missing;
        for (unsigned id = kFirstCommandReportId; id <= kLastCommandReportId; ++id) {
            if (!Has(c.featureReportIds, static_cast<std::uint8_t>(id)))
                missing.push_back(static_cast<std::uint8_t>(id));
        }
        if (!missing.empty())
            return "feature report IDs " + ReportIdsText(c.featureReportIds) + " lack " + ReportIdsText(missing);
    }
    if (!CanCarryEveryFrame(c.featureReportLength)) {
        return "feature reports of " + Length(c.featureReportLength) + " are shorter than the longest frame (" +
               Length(kLargestFrameLength) + ")";
    }
    return {};
}

// Why the collection cannot carry event reports; empty when it can.
std::string EventRefusal(const CollectionDeclaration& c, UsbIds ids, const std::wstring& name) {
    if (c.ids != ids) return "other IDs";
    if (!name.empty() && !HardwareIdHasParts(c.path, name)) return "not the EventCollection named in [Device]";
    if (c.inputReportLength == 0) return "no input reports";
    if (name.empty() && !Has(c.inputReportIds, kEventReportId)) {
        return "input report IDs " + ReportIdsText(c.inputReportIds) + " lack " + Hex2(kEventReportId);
    }
    if (c.inputReportLength < kEventReportLength) {
        return "input reports of " + Length(c.inputReportLength) + " are shorter than an event (" +
               Length(kEventReportLength) + ")";
    }
    return {};
}

}  // namespace

CollectionChoice ChooseCollections(std::span<const CollectionDeclaration> collections, UsbIds ids,
                                   const CollectionNames& names) {
    CollectionChoice choice;
    for (std::size_t i = 0; i < collections.size(); ++i) {
        const std::string frames = FrameRefusal(collections[i], ids, names.frames);
        if (frames.empty()) choice.frameCandidates.push_back(i);
        choice.frameVerdicts.push_back(frames.empty() ? "frames: candidate" : "frames: skipped, " + frames);
        const std::string events = EventRefusal(collections[i], ids, names.events);
        if (events.empty()) choice.eventCandidates.push_back(i);
        choice.eventVerdicts.push_back(events.empty() ? "events: candidate" : "events: skipped, " + events);
    }
    // Stable: SetupAPI's order decides the rest.
    std::stable_sort(choice.frameCandidates.begin(), choice.frameCandidates.end(), [&](std::size_t a, std::size_t b) {
        const CollectionDeclaration& x = collections[a];
        const CollectionDeclaration& y = collections[b];
        if (IsVendorDefined(x.usagePage) != IsVendorDefined(y.usagePage)) return IsVendorDefined(x.usagePage);
        return x.featureReportLength < y.featureReportLength;
    });
    std::stable_sort(choice.eventCandidates.begin(), choice.eventCandidates.end(), [&](std::size_t a, std::size_t b) {
        return IsVendorDefined(collections[a].usagePage) && !IsVendorDefined(collections[b].usagePage);
    });
    for (std::size_t rank = 0; rank < choice.frameCandidates.size(); ++rank) {
        choice.frameVerdicts[choice.frameCandidates[rank]] = "frames: candidate " + std::to_string(rank + 1);
    }
    for (std::size_t rank = 0; rank < choice.eventCandidates.size(); ++rank) {
        choice.eventVerdicts[choice.eventCandidates[rank]] = "events: candidate " + std::to_string(rank + 1);
    }
    return choice;
}

std::string DescribeCollection(const CollectionDeclaration& c) {
    const auto reports = [](const char* kind, std::size_t length, const std::vector<std::uint8_t>& reportIds) {
        return std::string(kind) + " " + Length(length) + " IDs " + ReportIdsText(reportIds);
    };
    return "usage " + Hex2(c.usagePage >> 8) + Hex2(c.usagePage) + ":" + Hex2(c.usage >> 8) + Hex2(c.usage) + ", " +
           reports("feature", c.featureReportLength, c.featureReportIds) + ", " +
           reports("input", c.inputReportLength, c.inputReportIds) + ", " +
           reports("output", c.outputReportLength, c.outputReportIds);
}

std::string ReportIdsText(std::span<const std::uint8_t> reportIds) {
    if (reportIds.empty()) return "none";
    std::string text;
    for (const std::uint8_t id : reportIds) {
        if (!text.empty()) text += ' ';
        text += Hex2(id);
    }
    return text;
}

}  // namespace korvid::hid
