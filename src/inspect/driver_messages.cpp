#include "inspect/driver_messages.h"

#include <cstdio>

#include "protocol/korvid_protocol.h"
#include "runtime/device_event.h"

namespace korvid {
namespace {

struct NumberedEvent {
    std::string_view word;
    std::uint16_t eventClass;
};

constexpr NumberedEvent kNumberedEvents[] = {
    {"profile", EVENT_PROFILE},
    {"stage", EVENT_DPI_STAGE},
    {"button", EVENT_LAUNCH_PROGRAM},
};

std::variant<DriverMessage, std::string> Refused(std::string text) { return text; }

}  // namespace

std::variant<DriverMessage, std::string> DriverMessageFor(std::span<const std::string_view> words) {
    if (words.empty()) return Refused(std::string("event needs one of: ") + kDriverEventUsage);
    const std::string_view what = words[0];
    for (const NumberedEvent& e : kNumberedEvents) {
        if (what != e.word) continue;
        if (words.size() != 2) return Refused("event " + std::string(what) + " needs one number");
        const std::string_view text = words[1];
        unsigned long value = 0;
        bool valid = !text.empty() && text.size() <= 5;
        for (const char c : text) {
            valid = valid && c >= '0' && c <= '9';
            if (valid) value = value * 10 + static_cast<unsigned long>(c - '0');
        }
        if (!valid || value > 0xFFFF) {
            return Refused("event " + std::string(what) + ": \"" + std::string(text) +
                           "\" is not a number from 0 to 65535");
        }
        return DriverMessage{WM_DEVICE_EVENT, e.eventClass, static_cast<std::intptr_t>(value)};
    }
    const bool single = words.size() == 1;
    if (what == "open-customizer" && single) return DriverMessage{WM_DEVICE_EVENT, EVENT_OPEN_CUSTOMIZER, 1};
    if (what == "attach" && single) return DriverMessage{WM_DEVICE_CONNECTION, 1, 0};
    if (what == "remove" && single) return DriverMessage{WM_DEVICE_CONNECTION, 0, 0};
    return Refused("event: \"" + std::string(what) + "\"" + (single ? "" : " with these arguments") +
                   " is not one of: " + kDriverEventUsage);
}

std::string DescribeDriverMessage(const DriverMessage& message) {
    char text[96];
    const char* name = message.message == WM_DEVICE_EVENT ? "WM_DEVICE_EVENT" : "WM_DEVICE_CONNECTION";
    std::snprintf(text, sizeof text, "%s (%u) wParam 0x%llX lParam %lld", name, message.message,
                  static_cast<unsigned long long>(message.wParam), static_cast<long long>(message.lParam));
    return text;
}

}  // namespace korvid
