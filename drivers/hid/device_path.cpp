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

}  // namespace

std::optional<UsbIds> IdsFromInterfacePath(std::wstring_view path) {
    const std::size_t first = path.find(L'#');
    if (first == std::wstring_view::npos) return std::nullopt;
    const std::size_t second = path.find(L'#', first + 1);
    if (second == std::wstring_view::npos) return std::nullopt;
    std::wstring_view hardwareId = path.substr(first + 1, second - first - 1);

    std::optional<std::uint16_t> vendor;
    std::optional<std::uint16_t> product;
    while (!hardwareId.empty()) {
        const std::size_t end = hardwareId.find(L'&');
        const std::wstring_view token = hardwareId.substr(0, end);
        if (!vendor) vendor = TokenValue(token, L"vid_");
        if (!product) product = TokenValue(token, L"pid_");
        if (end == std::wstring_view::npos) break;
        hardwareId.remove_prefix(end + 1);
    }
    if (!vendor || !product) return std::nullopt;
    return UsbIds{*vendor, *product};
}

bool PathHasIds(std::wstring_view path, UsbIds ids) {
    const std::optional<UsbIds> found = IdsFromInterfacePath(path);
    return found && *found == ids;
}

std::wstring InterfaceKey(std::wstring_view path) {
    std::wstring key(path);
    for (wchar_t& c : key) c = LowerAscii(c);
    return key;
}

}  // namespace korvid::hid
