#include "hid_win.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "console_win.h"
#include "device/device_ids.h"
#include "hid/collection_survey_win.h"
#include "hid/device_config_win.h"
#include "hid/hid_enumeration_win.h"

namespace korvid::ctl {
namespace {

std::string Hex4(unsigned value) {
    char text[8];
    (void)std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
    return text;
}

std::uint16_t ReadId(const std::wstring& config, const wchar_t* key, std::uint16_t builtIn) {
    wchar_t text[32] = {};
    (void)GetPrivateProfileStringW(L"Device", key, L"", text, 32, config.c_str());  // missing: the default
    return ParseDeviceId(reinterpret_cast<const char16_t*>(text)).value_or(builtIn);
}

std::string OpenText(DWORD error) {
    if (error == 0) return "ok";
    std::string text = "error ";
    text.append(ToUtf8(hid::ErrorText(error)));
    return text;
}

// Appends each piece to `text`, then a line end. (Plain appends: GCC 12 warns
// falsely about chains of string operator+.)
template <typename... Pieces>
void Line(std::string& text, const Pieces&... pieces) {
    (text.append(pieces), ...);
    text += '\n';
}

void Reports(std::string& text, const char* kind, std::size_t length, const std::vector<std::uint8_t>& ids) {
    Line(text, "  ", kind, " reports: ", std::to_string(length), " bytes, report IDs ", hid::ReportIdsText(ids));
}

}  // namespace

int RunHid(std::span<const std::string> args) {
    bool all = false;
    for (const std::string& arg : args) {
        if (arg != "--all") {
            Err("hid: unknown argument \"" + arg + "\"");
            return kExitRefused;
        }
        all = true;
    }
    const std::wstring config = hid::ConfigPathBeside(GetModuleHandleW(nullptr));
    const hid::UsbIds ids{ReadId(config, L"VendorId", kMouseVendorId), ReadId(config, L"ProductId", kMouseProductId)};
    const hid::CollectionNames names = hid::ReadCollectionNames(config);

    std::string text;
    Line(text, "mouse ", Hex4(ids.vendorId), ":", Hex4(ids.productId), " ([Device] of ", ToUtf8(config), ")");
    if (!names.frames.empty()) Line(text, "FrameCollection=", ToUtf8(names.frames));
    if (!names.events.empty()) Line(text, "EventCollection=", ToUtf8(names.events));
    const hid::CollectionSurvey survey = hid::SurveyCollections(hid::SystemHidApi(), ids, names, all);
    if (survey.collections.empty())
        Line(text, all ? "no HID collections present" : "no collection of the mouse present");
    for (const hid::SurveyedCollection& c : survey.collections) {
        const hid::CollectionDeclaration& d = c.declaration;
        Line(text, "");
        Line(text, ToUtf8(d.path));
        Line(text, "  IDs ", Hex4(d.ids.vendorId), ":", Hex4(d.ids.productId), ", usage page ", Hex4(d.usagePage),
             ", usage ", Hex4(d.usage));
        Reports(text, "feature", d.featureReportLength, d.featureReportIds);
        Reports(text, "input", d.inputReportLength, d.inputReportIds);
        Reports(text, "output", d.outputReportLength, d.outputReportIds);
        Line(text, "  open read/write: ", OpenText(c.readWriteError));
        Line(text, "  open without access: ", OpenText(c.zeroAccessError));
        Line(text, "  ", c.frameVerdict);
        Line(text, "  ", c.eventVerdict);
    }
    Line(text, "");
    if (survey.frames) {
        Line(text, "frames go to: ", ToUtf8(survey.collections[*survey.frames].declaration.path),
             survey.framesWithoutAccess ? " (opened without access)" : " (opened for reading and writing)");
    } else {
        Line(text, "frames go to: none; the host cannot configure the mouse");
    }
    if (survey.events) {
        Line(text, "events come from: ", ToUtf8(survey.collections[*survey.events].declaration.path));
    } else {
        Line(text, "events come from: none; the mouse's buttons are not reported");
    }
    Out(text);
    return survey.frames ? kExitOk : kExitFailed;
}

}  // namespace korvid::ctl
