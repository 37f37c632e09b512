// Command frames of the mouse. A frame is a zero-filled byte array with the
// command number in byte 0 and the frame length (or a fixed marker for the two
// oldest commands) in byte 1; the command's fields follow. It is sent whole,
// as one SetFeature call, and nothing is ever read back.
//
// This header holds the command numbers, the frame lengths, the helpers every
// encoder uses and the four small commands (begin, active profile, option 07,
// end). The DPI, button, lighting and macro encoders have files of their own.
// Every encoder is a pure function of the image; sending is a separate step
// (settings_push.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

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

// A zero-filled frame of N bytes with the command number and byte 1 set.
// Commands 0x06 to 0x0B carry their own length in byte 1.
template <std::size_t N>
constexpr Frame<N> NewFrame(std::uint8_t command, std::uint8_t lengthByte = static_cast<std::uint8_t>(N)) {
    static_assert(N >= 2 && N <= 0xFF);
    Frame<N> frame{};
    frame[kCommandByte] = command;
    frame[kLengthByte] = lengthByte;
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

// 04 00 FF: opens every push.
constexpr Frame<kBeginLength> EncodeBegin() {
    auto frame = NewFrame<kBeginLength>(CMD_BEGIN, 0x00);
    frame[2] = 0xFF;
    return frame;
}

// 05 04 pp 05 00 00 00 00: makes profile pp the mouse's active profile.
constexpr Frame<kActiveProfileLength> EncodeActiveProfile(const ShareData& image) {
    constexpr std::size_t kProfile = 2;
    constexpr std::size_t kFixed = 3;  // the device expects 5 here
    auto frame = NewFrame<kActiveProfileLength>(CMD_ACTIVE_PROFILE, 0x04);
    frame[kProfile] = LowByte(image.activeProfile);
    frame[kFixed] = 0x05;
    return frame;
}

// 07 08 kk vv 00 00 00 00: option07 of profile k.
constexpr Frame<kOption07Length> EncodeOption07(const ShareData& image, int k) {
    constexpr std::size_t kProfile = 2;
    constexpr std::size_t kValue = 3;
    auto frame = NewFrame<kOption07Length>(CMD_OPTION07);
    frame[kProfile] = static_cast<std::uint8_t>(k);
    frame[kValue] = LowByte(image.profiles[k].option07);
    return frame;
}

// 0B 08 vv 00 00 00 00 00: closes every push with profileOption of the active
// profile, whichever profiles the push sent.
constexpr Frame<kEndLength> EncodeEnd(const ShareData& image) {
    constexpr std::size_t kValue = 2;
    auto frame = NewFrame<kEndLength>(CMD_END);
    frame[kValue] = LowByte(image.profiles[image.activeProfile].profileOption);
    return frame;
}

}  // namespace korvid
