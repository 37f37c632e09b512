#include "osd/osd_look.h"

#include <algorithm>

#include "config/share_data.h"
#include "protocol/korvid_protocol.h"

namespace korvid {
namespace {

std::u16string_view UpToNul(std::u16string_view text) { return text.substr(0, text.find(u'\0')); }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

OsdLook DefaultOsdLook() {
    OsdLook look{};
    for (const OsdField& field : kOsdFields) look.*field.member = field.defaultValue;
    return look;
}

OsdLook DecodeOsdLook(const OsdSettings& settings) {
    OsdLook look = DefaultOsdLook();
    if (settings.osdLayout != kOsdLayoutVersion) return look;
    for (const OsdField& field : kOsdFields) {
        const std::int32_t value = settings.*field.stored;
        if (value >= field.minimum && value <= field.maximum) look.*field.member = value;
    }
    return look;
}

void EncodeOsdLook(const OsdLook& look, OsdSettings& settings) {
    settings.osdLayout = kOsdLayoutVersion;
    for (const OsdField& field : kOsdFields)
        settings.*field.stored = std::clamp(look.*field.member, field.minimum, field.maximum);
}

OsdSettings FactoryOsdSettings() {
    OsdSettings settings{};
    settings.osdEnabled = 1;
    EncodeOsdLook(DefaultOsdLook(), settings);
    return settings;
}

std::optional<int> OsdProfileFromMessage(std::uintptr_t wParam, std::intptr_t lParam) {
    if (wParam != kOsdShowWParam) return std::nullopt;
    const auto index = static_cast<int>((static_cast<std::uintptr_t>(lParam) >> 16) & 0xFFFFu);
    if (index >= kProfileCount) return std::nullopt;
    return index;
}

int ScaleToDpi(int value96, unsigned dpi) {
    const long long scaled = static_cast<long long>(value96) * dpi;
    return static_cast<int>((scaled + (scaled >= 0 ? 48 : -48)) / 96);
}

OsdRect PlaceOsd(const OsdRect& workArea, int width, int height, int position, int margin) {
    const int areaWidth = std::max(0, workArea.right - workArea.left);
    const int areaHeight = std::max(0, workArea.bottom - workArea.top);
    width = std::clamp(width, 0, areaWidth);
    height = std::clamp(height, 0, areaHeight);
    // 0: against the near edge, 1: centred, 2: against the far edge.
    const auto place = [margin](int start, int extent, int size, int cell) {
        const int room = extent - size;
        const int edge = std::clamp(margin, 0, room / 2);  // never past the middle
        return start + (cell == 0 ? edge : cell == 1 ? room / 2 : room - edge);
    };
    const int cell = std::clamp(position, 0, kOsdPositionCount - 1);
    const int left = place(workArea.left, areaWidth, width, cell % 3);
    const int top = place(workArea.top, areaHeight, height, cell / 3);
    return {left, top, left + width, top + height};
}

std::u16string OsdProfileLine(int profileIndex) {
    std::u16string line = u"Profile ";
    for (const char c : std::to_string(profileIndex + 1)) line += static_cast<char16_t>(c);
    return line;
}

std::u16string OsdDetailLine(std::u16string_view name, std::u16string_view programPath) {
    name = UpToNul(name);
    programPath = UpToNul(programPath);
    const std::size_t slash = programPath.find_last_of(u"\\/");
    const std::u16string_view program =
        slash == std::u16string_view::npos ? programPath : programPath.substr(slash + 1);
    std::u16string line(name);
    if (!name.empty() && !program.empty()) line += u" \u00B7 ";
    line += program;
    return line;
}

std::string EncodeProfileStruct(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2 + 2);
    unsigned sum = 0;
    const auto put = [&](std::uint8_t b) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    };
    for (const std::uint8_t b : bytes) {
        put(b);
        sum += b;
    }
    put(static_cast<std::uint8_t>(sum & 0xFF));
    return text;
}

std::optional<std::vector<std::uint8_t>> DecodeProfileStruct(std::string_view text, std::size_t size) {
    if (text.size() != size * 2 + 2) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(size + 1);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    const std::uint8_t checksum = bytes.back();
    bytes.pop_back();
    unsigned sum = 0;
    for (const std::uint8_t b : bytes) sum += b;
    if ((sum & 0xFF) != checksum) return std::nullopt;
    return bytes;
}

}  // namespace korvid
