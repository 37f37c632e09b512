// The real driver library's matching of HID interface paths and its
// one-post-per-device presence tracking.
#include <gtest/gtest.h>

#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "hid/device_path.h"
#include "hid/presence_tracker.h"

namespace korvid::hid {
namespace {

constexpr UsbIds kMouse{0x25A7, 0xFA70};

// Three collections of the mouse (pointer, keyboard, vendor channel) and one
// of another device.
const std::wstring kMousePointer =
    L"\\\\?\\HID#VID_25A7&PID_FA70&MI_00#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::wstring kMouseKeyboard =
    L"\\\\?\\HID#VID_25A7&PID_FA70&MI_01&Col01#7&2b3c4d5e&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::wstring kMouseVendor =
    L"\\\\?\\HID#VID_25A7&PID_FA70&MI_01&Col02#7&2b3c4d5e&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::wstring kOtherKeyboard =
    L"\\\\?\\HID#VID_046D&PID_C31C&MI_00#7&3c4d5e6f&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

TEST(HidDevicePath, IdsFromInterfacePath) {
    const struct {
        const char* name;
        std::wstring path;
        std::optional<UsbIds> ids;
    } kCases[] = {
        {"composite interface with collection", kMouseVendor, kMouse},
        {"single interface", L"\\\\?\\HID#VID_25A7&PID_FA70#6&11&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
         kMouse},
        {"lower case, as WM_DEVICECHANGE may spell it", Lower(kMouseVendor), kMouse},
        {"product before vendor", L"\\\\?\\HID#PID_FA70&VID_25A7#1#{x}", kMouse},
        {"Bluetooth LE form",
         L"\\\\?\\HID#{00001812-0000-1000-8000-00805f9b34fb}&Dev&VID_25a7&PID_fa70&REV_0001_c1#9#{x}", kMouse},
        {"another device", kOtherKeyboard, UsbIds{0x046D, 0xC31C}},
        {"no product ID", L"\\\\?\\HID#VID_25A7&MI_00#7&1#{x}", std::nullopt},
        {"three hex digits", L"\\\\?\\HID#VID_5A7&PID_FA70#7&1#{x}", std::nullopt},
        {"five hex digits", L"\\\\?\\HID#VID_25A70&PID_FA70#7&1#{x}", std::nullopt},
        {"not hex", L"\\\\?\\HID#VID_25G7&PID_FA70#7&1#{x}", std::nullopt},
        {"IDs only in the instance part", L"\\\\?\\HID#ACPI0C50#VID_25A7&PID_FA70#{x}", std::nullopt},
        {"no second '#'", L"\\\\?\\HID#VID_25A7&PID_FA70", std::nullopt},
        {"empty", L"", std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IdsFromInterfacePath(c.path), c.ids);
    }
}

TEST(HidDevicePath, PathHasIdsComparesVendorAndProduct) {
    EXPECT_TRUE(PathHasIds(kMouseVendor, kMouse));
    EXPECT_FALSE(PathHasIds(kMouseVendor, UsbIds{0x25A7, 0xFA71}));
    EXPECT_FALSE(PathHasIds(kMouseVendor, UsbIds{0x25A8, 0xFA70}));
    EXPECT_FALSE(PathHasIds(L"no path at all", kMouse));
}

// A device announced interface by interface: each step is an arrival or a
// removal and the change the host must hear of.
TEST(HidPresenceTracker, OneChangePerPhysicalAttachAndRemoval) {
    using Change = PresenceTracker::Change;
    enum Kind { kArrive, kRemove };
    struct Step {
        Kind kind;
        std::wstring path;
        Change expected;
    };
    const struct {
        const char* name;
        std::vector<std::wstring> presentAtStart;
        std::vector<Step> steps;
    } kCases[] = {
        {"plugged in, then pulled out",
         {kOtherKeyboard},
         {{kArrive, kMousePointer, Change::kAttached},
          {kArrive, kMouseKeyboard, Change::kNone},
          {kArrive, kMouseVendor, Change::kNone},
          {kRemove, kMouseKeyboard, Change::kNone},
          {kRemove, kMousePointer, Change::kNone},
          {kRemove, kMouseVendor, Change::kRemoved}}},
        {"present at start: nothing until it goes, then once",
         {kMousePointer, kMouseVendor, kOtherKeyboard},
         {{kRemove, kMouseVendor, Change::kNone},
          {kRemove, kMousePointer, Change::kRemoved},
          {kArrive, kMouseVendor, Change::kAttached}}},
        {"other devices change nothing",
         {},
         {{kArrive, kOtherKeyboard, Change::kNone},
          {kRemove, kOtherKeyboard, Change::kNone},
          {kArrive, kMouseVendor, Change::kAttached},
          {kRemove, kOtherKeyboard, Change::kNone}}},
        {"an interface announced twice, in another case, counts once",
         {},
         {{kArrive, kMouseVendor, Change::kAttached},
          {kArrive, Lower(kMouseVendor), Change::kNone},
          {kRemove, kMouseVendor, Change::kRemoved},
          {kRemove, Lower(kMouseVendor), Change::kNone}}},
        {"a removal of an interface never seen does not remove the device",
         {kMouseVendor},
         {{kRemove, kMousePointer, Change::kNone}, {kRemove, kMouseVendor, Change::kRemoved}}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        PresenceTracker tracker;
        tracker.Reset(c.presentAtStart, kMouse);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(i);
            const Step& step = c.steps[i];
            const Change change =
                step.kind == kArrive ? tracker.OnArrival(step.path, kMouse) : tracker.OnRemoval(step.path);
            EXPECT_EQ(change, step.expected);
        }
    }
}

TEST(HidPresenceTracker, ResetForgetsWhatWasPresent) {
    PresenceTracker tracker;
    tracker.Reset({kMouseVendor}, kMouse);
    EXPECT_TRUE(tracker.present());
    tracker.Reset({kMouseVendor}, UsbIds{0x1234, 0x5678});
    EXPECT_FALSE(tracker.present());
    EXPECT_EQ(tracker.OnRemoval(kMouseVendor), PresenceTracker::Change::kNone);
}

}  // namespace
}  // namespace korvid::hid
