#include "hid/device_path.h"

namespace korvid::hid {
namespace {

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    c = LowerAscii(c);
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

// "<prefix>hhhh" exactly, prefix compared without regard to case.
std::optional<std::uint16_t> TokenValue(std::wstring_view token, std::wstring_view prefix) {
    if (token.size() != prefix.size() + 4) return std::nullopt;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (LowerAscii(token[i]) != prefix[i]) return std::nullopt;
    }
    unsigned value = 0;
    for (std::size_t i = prefix.size(); i < token.size(); ++i) {
        const int digit = HexDigit(token[i]);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint16_t>(value);
}

// The second '#'-separated part of the path; nothing when there is none.
std::optional<std::wstring_view> HardwareId(std::wstring_view path) {
    const std::size_t first = path.find(L'#');
    if (first == std::wstring_view::npos) return std::nullopt;
    const std::size_t second = path.find(L'#', first + 1);
    if (second == std::wstring_view::npos) return std::nullopt;
    return path.substr(first + 1, second - first - 1);
}

// Splits `text` at '&' and calls `visit` with each part, empty ones included.
template <typename Visit>
void ForEachPart(std::wstring_view text, Visit visit) {
    for (;;) {
        const std::size_t end = text.find(L'&');
        visit(text.substr(0, end));
        if (end == std::wstring_view::npos) return;
        text.remove_prefix(end + 1);
    }
}

bool SameAscii(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<UsbIds> IdsFromInterfacePath(std::wstring_view path) {
    const std::optional<std::wstring_view> hardwareId = HardwareId(path);
    if (!hardwareId) return std::nullopt;

    std::optional<std::uint16_t> vendor;
    std::optional<std::uint16_t> product;
    ForEachPart(*hardwareId, [&](std::wstring_view token) {
        if (!vendor) vendor = TokenValue(token, L"vid_");
        if (!product) product = TokenValue(token, L"pid_");
    });
    if (!vendor || !product) return std::nullopt;
    return UsbIds{*vendor, *product};
}

bool PathHasIds(std::wstring_view path, UsbIds ids) {
    const std::optional<UsbIds> found = IdsFromInterfacePath(path);
    return found && *found == ids;
}

bool HardwareIdHasParts(std::wstring_view path, std::wstring_view parts) {
    const std::optional<std::wstring_view> hardwareId = HardwareId(path);
    if (!hardwareId || parts.empty()) return false;
    bool all = true;
    ForEachPart(parts, [&](std::wstring_view part) {
        bool found = false;
        ForEachPart(*hardwareId, [&](std::wstring_view own) { found = found || SameAscii(part, own); });
        all = all && found && !part.empty();
    });
    return all;
}

std::wstring InterfaceKey(std::wstring_view path) {
    std::wstring key(path);
    for (wchar_t& c : key) c = LowerAscii(c);
    return key;
}

}  // namespace korvid::hid
