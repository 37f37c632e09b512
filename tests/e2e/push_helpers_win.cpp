#include "push_helpers_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "config/image_repair.h"
#include "device/command_frame.h"
#include "device/settings_push.h"

namespace korvid::e2e {
namespace {

std::string Hex(std::uint8_t b) {
    char text[3];
    (void)std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

}  // namespace

std::string MissingPauses(const std::vector<LoggedFrame>& frames) {
    std::ostringstream out;
    std::uint64_t paused = 0;
    for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
        if (!frames[i].accepted) continue;
        paused += kFramePauseMs;
        const std::uint64_t gap = frames[i + 1].ms - frames[i].ms;
        if (gap < kFramePauseMs / 2) {
            out << "frame " << i << " (" << Hex(frames[i].Command()) << "): next after " << gap << " ms; ";
        }
    }
    if (frames.size() >= 2) {
        const std::uint64_t span = frames.back().ms - frames.front().ms;
        if (span + kTickSlackMs < paused)
            out << "the frames span " << span << " ms, the pauses alone " << paused << " ms";
    }
    return out.str();
}

std::vector<std::uint64_t> GapsAfter(const std::vector<LoggedFrame>& frames, bool accepted) {
    std::vector<std::uint64_t> gaps;
    for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
        if (frames[i].accepted == accepted) gaps.push_back(frames[i + 1].ms - frames[i].ms);
    }
    return gaps;
}

std::uint64_t Median(std::vector<std::uint64_t> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::vector<std::vector<std::uint8_t>> ExpectedPush(const ShareData& image, bool pushAll) {
    auto snapshot = std::make_unique<ShareData>(image);
    (void)RepairImage(*snapshot);  // as the host does with whatever it loads
    std::vector<std::vector<std::uint8_t>> frames;
    const FrameSender record = [&](std::span<const std::uint8_t> frame) {
        frames.emplace_back(frame.begin(), frame.end());
        return 1;
    };
    const AnsiConverter ascii = [](std::u16string_view text) {
        std::string ansi;
        for (char16_t c : text) ansi += static_cast<char>(c);
        return ansi;
    };
    (void)PushSettings(*snapshot, pushAll, record, ascii);
    return frames;
}

std::unique_ptr<ShareData> ImageFromBytes(std::span<const std::uint8_t> bytes) {
    auto image = std::make_unique<ShareData>();
    std::memset(image.get(), 0, kImageSize);
    std::memcpy(image.get(), bytes.data(), std::min(bytes.size(), kImageSize));
    return image;
}

std::vector<std::uint8_t> BytesOfImage(const ShareData& image) {
    std::vector<std::uint8_t> bytes(kImageSize);
    std::memcpy(bytes.data(), &image, kImageSize);
    return bytes;
}

void MakeMacroButton(ShareData& image, int k, int j, std::uint8_t option, const char* name) {
    ButtonData& slot = image.profiles[k].buttons[j];
    slot.function = 16;
    slot.macroNumber = 77;  // stale: the push numbers afresh
    slot.macroOption = option;
    slot.macroRepeat = 1;
    std::memset(slot.macroName, 0, sizeof slot.macroName);
    for (std::size_t i = 0; name[i] != '\0' && i + 1 < kMacroNameChars; ++i) slot.macroName[i] = name[i];
    // A (down, 20 ms) A (up, 20 ms)
    slot.eventCount = 2;
    slot.events[0] = {.key = 4, .state = 1, .delay = 20};
    slot.events[1] = {.key = 4, .state = 0, .delay = 20};
}

}  // namespace korvid::e2e
