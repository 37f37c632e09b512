#include "runtime/pointer_settings.h"

#include <limits>

namespace korvid {
namespace {

constexpr bool IsWhiteSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

constexpr bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::optional<std::int32_t> Parsed(const std::optional<std::u16string>& text) {
    if (!text) return std::nullopt;
    return ParseRegistryInt(*text);
}

}  // namespace

PointerApply PointerSettingsToApply(const ShareData& working, const ShareData& pushedImage) {
    const int k = working.activeProfile;
    const ProfileData& w = working.profiles[k];
    const ProfileData& p = pushedImage.profiles[k];
    PointerApply apply;
    if (w.doubleClickSpeed != p.doubleClickSpeed) apply.doubleClickTime = DoubleClickTime(w.doubleClickSpeed);
    if (w.pointerSpeed != p.pointerSpeed || w.pointerAcceleration != p.pointerAcceleration)
        apply.motion = PointerMotionOf(w);
    if (w.wheelScrollLines != p.wheelScrollLines || w.wheelScrollPage != p.wheelScrollPage)
        apply.wheelScrollLines = WheelScrollValue(w);
    return apply;
}

std::int32_t ParseRegistryInt(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';

    constexpr std::int64_t kCeiling = std::int64_t{1} << 33;  // beyond every value kept below
    std::int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > kCeiling) magnitude = kCeiling;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;

    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kUnsignedMax = std::numeric_limits<std::uint32_t>::max();
    if (value < kMin) return std::numeric_limits<std::int32_t>::min();
    if (value > kUnsignedMax) return std::numeric_limits<std::int32_t>::max();
    if (value > kMax) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return static_cast<std::int32_t>(value);
}

void CapturePointerFields(const PointerRegistryTexts& texts, ProfileData& profile) {
    if (const auto ms = Parsed(texts.doubleClickSpeed)) profile.doubleClickSpeed = DoubleClickStepFromTime(*ms);
    if (const auto speed = Parsed(texts.mouseSensitivity)) profile.pointerSpeed = WindowsSpeedToStep(*speed);

    const std::optional<std::int32_t> motion[] = {Parsed(texts.mouseSpeed), Parsed(texts.mouseThreshold1),
                                                  Parsed(texts.mouseThreshold2)};
    bool allZero = true;
    bool anyOn = false;
    for (const auto& v : motion) {
        allZero = allZero && v == 0;
        anyOn = anyOn || (v && *v != 0);
    }
    if (anyOn) profile.pointerAcceleration = 1;
    if (allZero) profile.pointerAcceleration = 0;
    // Otherwise some are missing and the rest are 0: keep the stored value.

    if (const auto lines = Parsed(texts.wheelScrollLines)) {
        if (*lines == kWheelPageScroll) {
            profile.wheelScrollLines = 3;
            profile.wheelScrollPage = 1;
        } else {
            profile.wheelScrollLines = *lines;
            profile.wheelScrollPage = 0;
        }
    }
}

}  // namespace korvid
