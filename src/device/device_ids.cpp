#include "device/device_ids.h"

namespace korvid {
namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t'; }

int DigitValue(char16_t c, int base) {
    int v = -1;
    if (c >= u'0' && c <= u'9') v = c - u'0';
    if (c >= u'a' && c <= u'f') v = c - u'a' + 10;
    if (c >= u'A' && c <= u'F') v = c - u'A' + 10;
    return v < base ? v : -1;
}

}  // namespace

std::optional<std::uint16_t> ParseDeviceId(std::u16string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint32_t value = 0;
    for (char16_t c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0) return std::nullopt;
        value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
        if (value > 0xFFFF) return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace korvid
