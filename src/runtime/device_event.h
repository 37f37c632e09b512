// Device events: what the driver library reports from the mouse, and what the
// host does about it.
//
// Contract with the host window (window thread only):
//   - The driver library posts WM_DEVICE_EVENT (wParam = event class, low word
//     of lParam = argument) and WM_DEVICE_CONNECTION (wParam 1 = attached,
//     0 = removed). OnDeviceEvent and OnDeviceConnection turn them into one
//     EventCode with EventCodeFromMessage / EventCodeFromConnection and hand it
//     to DispatchDeviceEvent.
//   - DispatchDeviceEvent asks DecideDeviceEvent what to do, reading the
//     working copy under its lock, and then carries the action out:
//       kAttach          wait 1000 ms, deviceState = 1, Open_FeatureDevice,
//                        post PUSH_ALL to the worker, AddTrayIcon, start
//                        TIMER_FOREGROUND_CHECK
//       kRemove          deviceState = 2, Close_FeatureDevice, RemoveTrayIcon,
//                        stop the timer, post WM_CLOSE to the customizer
//       kSetProfile      ApplyDeviceChange: RecordDeviceChange under the lock,
//       kSetStage        PublishToSection, "Show OSD %d\n", then the profile
//                        or stage notifications
//       kLaunchProgram   ShellExecuteW "open" on launchPath, SW_SHOW
//       kOpenCustomizer  post WM_COMMAND ID_TRAY_CUSTOMIZER to itself
//       kNone            nothing, no debug line
//   - Nothing here touches the device, the section or any window.
#pragma once

#include <cstdint>
#include <string>

#include "config/share_data.h"
#include "device/button_command.h"  // kFunctionLaunch: the slots that open a program
#include "protocol/korvid_protocol.h"

namespace korvid {

// Bits 31-16: event class; bits 15-0: its argument, 1-based.
using EventCode = std::uint32_t;

// The event classes (EVENT_*) and connection arguments are in the protocol
// header.

// Values of the process-wide deviceState. Pushes happen only while it is
// kDeviceAttached.
inline constexpr int kDeviceNeverOpened = 0;  // open failed at start-up, no connection event since
inline constexpr int kDeviceAttached = 1;
inline constexpr int kDeviceRemoved = 2;

// Slot numbers above this are never launched from the device.
inline constexpr int kLaunchableSlots = 15;

// WM_DEVICE_EVENT: only the low 16 bits of each argument count. The types are
// those of WPARAM and LPARAM.
constexpr EventCode EventCodeFromMessage(std::uintptr_t wParam, std::intptr_t lParam) {
    return (static_cast<EventCode>(wParam) & 0xFFFFu) << 16 | (static_cast<EventCode>(lParam) & 0xFFFFu);
}

// WM_DEVICE_CONNECTION: wParam 1 is an attach, 0 a removal; any other value
// gives argument 0, which does nothing.
constexpr EventCode EventCodeFromConnection(std::uintptr_t wParam) {
    const std::uint16_t argument = wParam == 1 ? kConnectionAttached : wParam == 0 ? kConnectionRemoved : 0;
    return EventCode{EVENT_CONNECTION} << 16 | argument;
}

constexpr std::uint16_t EventClassOf(EventCode code) { return static_cast<std::uint16_t>(code >> 16); }
constexpr std::uint16_t EventArgumentOf(EventCode code) { return static_cast<std::uint16_t>(code & 0xFFFFu); }

enum class DeviceAction : std::uint8_t {
    kNone,
    kAttach,
    kRemove,
    kSetProfile,     // index = new activeProfile, 0..4
    kSetStage,       // index = new currentStage of the active profile, 0..7
    kLaunchProgram,  // index = button slot 0..14 of the active profile; launchPath filled
    kOpenCustomizer,
};

struct DeviceEventAction {
    DeviceAction action = DeviceAction::kNone;
    int index = 0;
    std::u16string launchPath{};  // kLaunchProgram only: the slot's launchPath, up to its terminator
};

// What the event means given the current image and deviceState. Arguments out
// of range, repeated connection states and unknown classes give kNone. The
// image must be repaired (activeProfile 0..4).
DeviceEventAction DecideDeviceEvent(EventCode code, const ShareData& image, int deviceState);

// The part of ApplyDeviceChange that touches the working copy: kSetProfile
// writes activeProfile, kSetStage writes currentStage of the active profile;
// every other action leaves the image as it is. A value equal to the old one
// still counts as a change (the caller publishes and notifies all the same).
void RecordDeviceChange(ShareData& image, const DeviceEventAction& change);

}  // namespace korvid
