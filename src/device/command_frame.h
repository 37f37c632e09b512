// Command frames of the mouse. A frame is a zero-filled byte array with the
// command number in byte 0 and the frame length (or a fixed marker for the two
// oldest commands) in byte 1; the command's fields follow. It is sent whole,
// as one SetFeature call, and nothing is ever read back.
//
// This header holds the command numbers, the frame lengths, the layout
// description and helpers every encoder uses, and the four small commands
// (begin, active profile, option 07, end) with their layouts. The DPI, button, lighting and macro encoders have files
// of their own. Every encoder is a pure function of the image; sending is a separate step (settings_push.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "config/share_data.h"

namespace korvid {

inline constexpr std::uint8_t CMD_BEGIN = 0x04;
inline constexpr std::uint8_t CMD_ACTIVE_PROFILE = 0x05;
inline constexpr std::uint8_t CMD_DPI = 0x06;
inline constexpr std::uint8_t CMD_OPTION07 = 0x07;
inline constexpr std::uint8_t CMD_LIGHTING = 0x08;
inline constexpr std::uint8_t CMD_BUTTONS = 0x09;
inline constexpr std::uint8_t CMD_MACRO = 0x0A;
inline constexpr std::uint8_t CMD_END = 0x0B;

inline constexpr std::size_t kBeginLength = 3;
inline constexpr std::size_t kActiveProfileLength = 8;
inline constexpr std::size_t kDpiLength = 54;
inline constexpr std::size_t kOption07Length = 8;
inline constexpr std::size_t kLightingLength = 45;
inline constexpr std::size_t kButtonsLength = 64;
inline constexpr std::size_t kMacroLength = 132;
inline constexpr std::size_t kEndLength = 8;

template <std::size_t N>
using Frame = std::array<std::uint8_t, N>;

inline constexpr std::size_t kCommandByte = 0;
inline constexpr std::size_t kLengthByte = 1;
// A colour takes three bytes in every frame that carries one.
inline constexpr std::size_t kColorBytes = 3;

// A byte whose value the device expects whatever the image holds.
struct FixedByte {
    std::size_t at;
    std::uint8_t value;
};

// Every command states its layout once, as a struct in its header: the byte
// offset of each field (static constexpr members named after the field) and
//   kCommand, kCommandName, kLength  the command number, its name, the frame length
//   kFixed                           the fixed bytes, byte 1 first
//   kZeros                           the bytes no field fills
// Its encoder starts from NewFrame<Layout>() and writes the fields at those
// offsets; the frame decoder reads them there and checks the rest against
// LayoutOf<Layout>().
struct CommandLayout {
    std::uint8_t command;
    const char* name;
    std::size_t length;
    std::span<const FixedByte> fixed;
    std::span<const std::size_t> zeros;
};

template <typename Layout>
constexpr bool LayoutFitsItsFrame() {
    if (Layout::kLength < 2 || Layout::kLength > 0xFF) return false;
    if (Layout::kFixed.empty() || Layout::kFixed[0].at != kLengthByte) return false;
    for (const FixedByte& fixed : Layout::kFixed) {
        if (fixed.at <= kCommandByte || fixed.at >= Layout::kLength) return false;
    }
    for (const std::size_t at : Layout::kZeros) {
        if (at <= kLengthByte || at >= Layout::kLength) return false;
    }
    return true;
}

template <typename Layout>
constexpr CommandLayout LayoutOf() {
    static_assert(LayoutFitsItsFrame<Layout>(), "a fixed byte or zero outside the frame, or byte 1 not first");
    return {Layout::kCommand, Layout::kCommandName, Layout::kLength, Layout::kFixed, Layout::kZeros};
}

// A zero-filled frame of the command with its number and fixed bytes set.
template <typename Layout>
constexpr Frame<Layout::kLength> NewFrame() {
    static_assert(LayoutFitsItsFrame<Layout>(), "a fixed byte or zero outside the frame, or byte 1 not first");
    Frame<Layout::kLength> frame{};
    frame[kCommandByte] = Layout::kCommand;
    for (const FixedByte& fixed : Layout::kFixed) frame[fixed.at] = fixed.value;
    return frame;
}

// Of every 32-bit field the device takes only the low byte.
constexpr std::uint8_t LowByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }
constexpr std::uint8_t LowByte(std::uint32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

// A colour stored as 0x00BBGGRR goes out as three bytes: bits 16-23, 8-15,
// 0-7 (blue, green, red); the top byte is dropped.
template <std::size_t N>
constexpr void PutColor(Frame<N>& frame, std::size_t at, std::uint32_t color) {
    frame[at] = static_cast<std::uint8_t>((color >> 16) & 0xFF);
    frame[at + 1] = static_cast<std::uint8_t>((color >> 8) & 0xFF);
    frame[at + 2] = static_cast<std::uint8_t>(color & 0xFF);
}

// The stored colour (top byte 0) that PutColor wrote at this offset.
constexpr std::uint32_t ColorAt(std::span<const std::uint8_t> frame, std::size_t at) {
    return std::uint32_t{frame[at]} << 16 | std::uint32_t{frame[at + 1]} << 8 | frame[at + 2];
}

// 04 00 FF: opens every push.
struct BeginLayout {
    static constexpr std::uint8_t kCommand = CMD_BEGIN;
    static constexpr const char* kCommandName = "CMD_BEGIN";
    static constexpr std::size_t kLength = kBeginLength;
    static constexpr auto kFixed = std::to_array<FixedByte>({{kLengthByte, 0x00}, {2, 0xFF}});
    static constexpr std::array<std::size_t, 0> kZeros{};
};

// 05 04 pp 05 00 00 00 00: makes profile pp the mouse's active profile.
struct ActiveProfileLayout {
    static constexpr std::uint8_t kCommand = CMD_ACTIVE_PROFILE;
    static constexpr const char* kCommandName = "CMD_ACTIVE_PROFILE";
    static constexpr std::size_t kLength = kActiveProfileLength;
    static constexpr std::size_t kProfile = 2;  // activeProfile
    static constexpr auto kFixed = std::to_array<FixedByte>({{kLengthByte, 0x04}, {3, 0x05}});
    static constexpr auto kZeros = std::to_array<std::size_t>({4, 5, 6, 7});
};

// 07 08 kk vv 00 00 00 00: option07 of profile k.
struct Option07Layout {
    static constexpr std::uint8_t kCommand = CMD_OPTION07;
    static constexpr const char* kCommandName = "CMD_OPTION07";
    static constexpr std::size_t kLength = kOption07Length;
    static constexpr std::size_t kProfile = 2;
    static constexpr std::size_t kValue = 3;  // option07
    static constexpr auto kFixed = std::to_array<FixedByte>({{kLengthByte, kOption07Length}});
    static constexpr auto kZeros = std::to_array<std::size_t>({4, 5, 6, 7});
};

// 0B 08 vv 00 00 00 00 00: closes every push.
struct EndLayout {
    static constexpr std::uint8_t kCommand = CMD_END;
    static constexpr const char* kCommandName = "CMD_END";
    static constexpr std::size_t kLength = kEndLength;
    static constexpr std::size_t kValue = 2;  // profileOption of the active profile
    static constexpr auto kFixed = std::to_array<FixedByte>({{kLengthByte, kEndLength}});
    static constexpr auto kZeros = std::to_array<std::size_t>({3, 4, 5, 6, 7});
};

constexpr Frame<kBeginLength> EncodeBegin() { return NewFrame<BeginLayout>(); }

constexpr Frame<kActiveProfileLength> EncodeActiveProfile(const ShareData& image) {
    auto frame = NewFrame<ActiveProfileLayout>();
    frame[ActiveProfileLayout::kProfile] = LowByte(image.activeProfile);
    return frame;
}

constexpr Frame<kOption07Length> EncodeOption07(const ShareData& image, int k) {
    auto frame = NewFrame<Option07Layout>();
    frame[Option07Layout::kProfile] = static_cast<std::uint8_t>(k);
    frame[Option07Layout::kValue] = LowByte(image.profiles[k].option07);
    return frame;
}

// profileOption of the active profile, whichever profiles the push sent.
constexpr Frame<kEndLength> EncodeEnd(const ShareData& image) {
    auto frame = NewFrame<EndLayout>();
    frame[EndLayout::kValue] = LowByte(image.profiles[image.activeProfile].profileOption);
    return frame;
}

}  // namespace korvid
