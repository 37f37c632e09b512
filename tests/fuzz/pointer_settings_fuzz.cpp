// The registry values the host captures into a profile ("Control Panel\Mouse"
// and "Control Panel\Desktop"), with any text in them. The input is UTF-8
// (or raw UTF-16 units, see AsUtf16); the whole text goes to
// ParseRegistryInt, then its lines are the six values in PointerRegistryTexts
// order (DoubleClickSpeed, MouseSensitivity, MouseSpeed, MouseThreshold1,
// MouseThreshold2, WheelScrollLines), a line "~" standing for a missing value
// and missing lines too. For every input:
//   - ParseRegistryInt agrees with a plain reading of its contract: white
//     space, a sign, decimal digits; the 32-bit pattern of anything in
//     -2^31..2^32-1, saturated beyond;
//   - CapturePointerFields writes each field from its value as documented
//     and leaves a field alone when its value is missing;
//   - PointerSettingsToApply against the profile as it was asks for exactly
//     the groups whose fields changed, with the converted values.
#include <array>
#include <limits>
#include <string>

#include "fuzz_support.h"
#include "runtime/pointer_settings.h"

namespace korvid {
namespace {

constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// The contract, read digit string against digit string instead of by
// arithmetic.
std::int32_t ExpectedRegistryInt(std::u16string_view text) {
    const auto white = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    std::size_t i = 0;
    while (i < text.size() && white(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    std::string digits;  // without leading zeros
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (!digits.empty() || text[i] != u'0') digits += static_cast<char>(text[i]);
    }
    if (digits.size() > 10) return negative ? kInt32Min : kInt32Max;
    const std::uint64_t magnitude = digits.empty() ? 0 : std::stoull(digits);
    if (negative) return magnitude > 2147483648u ? kInt32Min : static_cast<std::int32_t>(-std::int64_t(magnitude));
    if (magnitude > 4294967295u) return kInt32Max;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
}

void CheckParse(std::u16string_view text) {
    KORVID_FUZZ_CHECK(ParseRegistryInt(text) == ExpectedRegistryInt(text), "ParseRegistryInt");
}

std::optional<std::int32_t> Value(const std::optional<std::u16string>& text) {
    if (!text) return std::nullopt;
    return ParseRegistryInt(*text);
}

void CheckCapture(const PointerRegistryTexts& texts, const ProfileData& before, const ProfileData& after) {
    const auto ms = Value(texts.doubleClickSpeed);
    KORVID_FUZZ_CHECK(after.doubleClickSpeed == (ms ? DoubleClickStepFromTime(*ms) : before.doubleClickSpeed),
                      "doubleClickSpeed");

    const auto speed = Value(texts.mouseSensitivity);
    if (speed) {
        KORVID_FUZZ_CHECK(after.pointerSpeed >= 1 && after.pointerSpeed <= 11, "pointerSpeed outside 1..11");
        // A speed the table holds comes back as itself.
        const bool listed = *speed >= 1 && *speed <= 20 && (*speed == 1 || *speed % 2 == 0);
        KORVID_FUZZ_CHECK(!listed || SpeedStepToWindows(after.pointerSpeed) == *speed, "speed not round-tripped");
    } else {
        KORVID_FUZZ_CHECK(after.pointerSpeed == before.pointerSpeed, "pointerSpeed without a value");
    }

    const std::optional<std::int32_t> motion[] = {Value(texts.mouseSpeed), Value(texts.mouseThreshold1),
                                                  Value(texts.mouseThreshold2)};
    bool anyOn = false;
    bool allZero = true;
    for (const auto& v : motion) {
        anyOn = anyOn || (v && *v != 0);
        allZero = allZero && v && *v == 0;
    }
    const std::int32_t acceleration = anyOn ? 1 : allZero ? 0 : before.pointerAcceleration;
    KORVID_FUZZ_CHECK(after.pointerAcceleration == acceleration, "pointerAcceleration");

    const auto lines = Value(texts.wheelScrollLines);
    if (!lines) {
        KORVID_FUZZ_CHECK(after.wheelScrollLines == before.wheelScrollLines, "wheelScrollLines without a value");
        KORVID_FUZZ_CHECK(after.wheelScrollPage == before.wheelScrollPage, "wheelScrollPage without a value");
    } else if (*lines == -1) {
        KORVID_FUZZ_CHECK(after.wheelScrollLines == 3 && after.wheelScrollPage == 1, "page scroll");
    } else {
        KORVID_FUZZ_CHECK(after.wheelScrollLines == *lines && after.wheelScrollPage == 0, "wheel lines");
    }
}

void CheckApply(const ShareData& working, const ShareData& pushed) {
    const ProfileData& w = working.profiles[working.activeProfile];
    const ProfileData& p = pushed.profiles[working.activeProfile];
    const PointerApply apply = PointerSettingsToApply(working, pushed);

    KORVID_FUZZ_CHECK(apply.doubleClickTime.has_value() == (w.doubleClickSpeed != p.doubleClickSpeed), "double-click");
    if (apply.doubleClickTime) {
        const std::int64_t time = 900 - 70 * std::int64_t{w.doubleClickSpeed};
        KORVID_FUZZ_CHECK(*apply.doubleClickTime == static_cast<std::int32_t>(time & 0xFFFFFFFF), "double-click time");
    }
    const bool motion = w.pointerSpeed != p.pointerSpeed || w.pointerAcceleration != p.pointerAcceleration;
    KORVID_FUZZ_CHECK(apply.motion.has_value() == motion, "motion group");
    if (apply.motion) {
        const int speed = apply.motion->speed;
        KORVID_FUZZ_CHECK(speed >= 1 && speed <= 20, "Windows speed outside 1..20");
        const std::array<int, 3> expected = w.pointerAcceleration != 0 ? std::array{6, 10, 1} : std::array{0, 0, 0};
        KORVID_FUZZ_CHECK(apply.motion->mouse == expected, "SPI_SETMOUSE triple");
    }
    const bool wheel = w.wheelScrollLines != p.wheelScrollLines || w.wheelScrollPage != p.wheelScrollPage;
    KORVID_FUZZ_CHECK(apply.wheelScrollLines.has_value() == wheel, "wheel group");
    if (apply.wheelScrollLines) {
        KORVID_FUZZ_CHECK(*apply.wheelScrollLines == (w.wheelScrollPage != 0 ? -1 : w.wheelScrollLines), "wheel");
    }
}

}  // namespace
}  // namespace korvid

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvid;
    const std::u16string text = fuzz::AsUtf16({data, size});
    CheckParse(text);

    std::optional<std::u16string> values[6];
    const std::vector<std::u16string_view> lines = fuzz::SplitLines(text);
    for (std::size_t i = 0; i < std::size(values) && i < lines.size(); ++i) {
        CheckParse(lines[i]);
        if (lines[i] != u"~") values[i] = std::u16string(lines[i]);
    }
    const PointerRegistryTexts texts{values[0], values[1], values[2], values[3], values[4], values[5]};

    static const auto working = std::make_unique<ShareData>();
    *working = fuzz::FactoryImage();
    // The stored acceleration decides when the motion values are partly
    // missing: let the input pick it.
    working->activeProfile = static_cast<std::int32_t>(size % kProfileCount);
    ProfileData& profile = working->profiles[working->activeProfile];
    profile.pointerAcceleration = static_cast<std::int32_t>(size / kProfileCount % 2);
    const ProfileData before = profile;
    CapturePointerFields(texts, profile);
    CheckCapture(texts, before, profile);
    CheckApply(*working, fuzz::FactoryImage());
    return 0;
}
