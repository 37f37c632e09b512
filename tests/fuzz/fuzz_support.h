// What the fuzz targets and their seed writer share: a check that aborts with
// a message (libFuzzer then keeps the input as a crash; independent of
// NDEBUG), the factory image built once, the ways the targets read text out of
// raw input, and the input layout of the macro target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/factory_defaults.h"
#include "config/share_data.h"
#include "inspect/utf8_text.h"

#define KORVID_FUZZ_CHECK(condition, what)                                                           \
    do {                                                                                             \
        if (!(condition)) {                                                                          \
            std::fprintf(stderr, "%s:%d: %s\n  failed: %s\n", __FILE__, __LINE__, what, #condition); \
            std::abort();                                                                            \
        }                                                                                            \
    } while (0)

namespace korvid::fuzz {

inline const ShareData& FactoryImage() {
    static const std::unique_ptr<ShareData> image = [] {
        auto built = std::make_unique<ShareData>();
        BuildFactoryDefaults(*built);
        return built;
    }();
    return *image;
}

inline std::string_view AsText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Input read as UTF-8 when it is well-formed (so seeds stay readable text),
// otherwise one UTF-16 unit per pair of bytes, so every unit value is
// reachable.
inline std::u16string AsUtf16(std::span<const std::uint8_t> bytes) {
    if (std::optional<std::u16string> text = Utf8ToUtf16(AsText(bytes))) return *text;
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    }
    return units;
}

inline std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    while (true) {
        const std::size_t end = text.find(u'\n');
        lines.push_back(text.substr(0, end));
        if (end == std::u16string_view::npos) return lines;
        text.remove_prefix(end + 1);
    }
}

// The macro target's input: a converter choice, the number the push gives the
// macro, then the bytes of one ButtonData (zeros where the input ends).
inline constexpr std::size_t kMacroConverterByte = 0;
inline constexpr std::size_t kMacroNumberBytes = 1;  // int32, little-endian
inline constexpr std::size_t kMacroSlotBytes = 5;
inline constexpr std::size_t kMacroInputSize = kMacroSlotBytes + sizeof(ButtonData);

}  // namespace korvid::fuzz
