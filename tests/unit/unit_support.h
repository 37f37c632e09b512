// What the unit tests share: hex text back to frames (Hex is the decoder's), the factory image,
// the tests' 8-bit code page, and a recorder of the frames a push sends.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/factory_defaults.h"
#include "config/share_data.h"
#include "device/command_frame.h"
#include "device/settings_push.h"
#include "inspect/frame_decoder.h"

namespace korvid {

// "04 00 FF" as bytes, padded with zeros to padTo.
inline std::vector<std::uint8_t> FromHex(const std::string& hex, std::size_t padTo = 0) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 3) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    if (bytes.size() < padTo) bytes.resize(padTo, 0);
    return bytes;
}

// A fresh factory-default image, on the heap (it is 83,684 bytes).
inline std::unique_ptr<ShareData> FactoryImage() {
    auto image = std::make_unique<ShareData>();
    BuildFactoryDefaults(*image);
    return image;
}

// The tests' code page: plain ASCII, one byte per character; anything else
// becomes '?'.
inline std::string AsciiConverter(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Records every frame sent through Sender(); accepts it unless refuse says
// otherwise.
struct FrameRecorder {
    using Bytes = std::vector<std::uint8_t>;

    std::vector<Bytes> frames;
    std::function<bool(const Bytes&)> refuse = [](const Bytes&) { return false; };

    FrameSender Sender() {
        return [this](std::span<const std::uint8_t> frame) {
            frames.emplace_back(frame.begin(), frame.end());
            return refuse(frames.back()) ? 0 : 1;
        };
    }

    // The command of every frame, in the order sent.
    std::vector<std::uint8_t> Commands() const {
        std::vector<std::uint8_t> out;
        for (const Bytes& frame : frames) out.push_back(frame[kCommandByte]);
        return out;
    }

    // The frames of one command, in the order sent.
    std::vector<Bytes> Of(std::uint8_t command) const {
        std::vector<Bytes> out;
        for (const Bytes& frame : frames) {
            if (frame[kCommandByte] == command) out.push_back(frame);
        }
        return out;
    }
};

}  // namespace korvid
