// Fake collections for the tests: the mouse as it shows up in Windows (a
// pointer and a keyboard collection, both held by the system, and a vendor
// collection for configuration and events), and another vendor's keyboard.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fake_hid_win.h"

namespace korvid::hid::testing {

inline const std::wstring kMousePointerPath =
    L"\\\\?\\HID#VID_25A7&PID_FA70&MI_00#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
inline const std::wstring kMouseKeyboardPath =
    L"\\\\?\\HID#VID_25A7&PID_FA70&MI_01&Col01#7&2b3c4d5e&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
inline const std::wstring kMouseVendorPath =
    L"\\\\?\\HID#VID_25A7&PID_FA70&MI_01&Col02#7&2b3c4d5e&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}";
inline const std::wstring kOtherKeyboardPath =
    L"\\\\?\\HID#VID_046D&PID_C31C&MI_00#7&3c4d5e6f&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

inline FakeCollection MousePointer() {
    FakeCollection c;
    c.path = kMousePointerPath;
    c.usagePage = 0x0001;
    c.usage = 0x0002;
    c.inputReportLength = 8;
    c.heldBySystem = true;
    return c;
}

inline FakeCollection MouseKeyboard() {
    FakeCollection c;
    c.path = kMouseKeyboardPath;
    c.usagePage = 0x0001;
    c.usage = 0x0006;
    c.inputReportLength = 9;
    c.heldBySystem = true;
    return c;
}

// The report IDs of the command frames.
inline const std::vector<std::uint8_t> kCommandReportIds = {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B};

// Feature reports of 133 bytes (report ID and 132 data bytes) for every
// command, input reports of 9 for events.
inline FakeCollection MouseVendor() {
    FakeCollection c;
    c.path = kMouseVendorPath;
    c.usagePage = 0xFF00;
    c.usage = 0x0001;
    c.inputReportLength = 9;
    c.featureReportLength = 133;
    c.inputReportIds = {0x0C};
    c.featureReportIds = kCommandReportIds;
    return c;
}

inline FakeCollection OtherKeyboard() {
    FakeCollection c;
    c.path = kOtherKeyboardPath;
    c.vendorId = 0x046D;
    c.productId = 0xC31C;
    c.usagePage = 0xFF00;
    c.inputReportLength = 20;
    c.featureReportLength = 256;
    c.inputReportIds = {0x01};
    c.featureReportIds = kCommandReportIds;
    return c;
}

}  // namespace korvid::hid::testing
