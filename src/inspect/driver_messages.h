// The window messages the driver library posts to the host, by name, so a
// tool can play the mouse: "profile 3" (the profile button chose profile 3),
// "stage 2", "button 5" (a launch-program button), "open-customizer",
// "attach", "remove". Numbers are the 1-based arguments the mouse reports;
// any 0..65535 is passed on, so the host's handling of odd values can be
// tried too.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace korvid {

struct DriverMessage {
    unsigned message = 0;  // WM_DEVICE_EVENT or WM_DEVICE_CONNECTION
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// The message for the words after "event", or a refusal sentence.
std::variant<DriverMessage, std::string> DriverMessageFor(std::span<const std::string_view> words);

// "WM_DEVICE_EVENT (1325) wParam 0x3000 lParam 3".
std::string DescribeDriverMessage(const DriverMessage& message);

// The usage line of the event words.
inline constexpr char kDriverEventUsage[] = "profile N | stage N | button N | open-customizer | attach | remove";

}  // namespace korvid
