#include "runtime/program_match.h"

namespace korvid {
namespace {

constexpr bool IsWhiteSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

constexpr std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsWhiteSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsWhiteSpace(s.back())) s.remove_suffix(1);
    return s;
}

constexpr bool FitsPart(std::u16string_view part) { return part.size() < kMaxPathPartChars; }

std::u16string_view TextOf(const char16_t* text, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && text[n] != u'\0') ++n;
    return {text, n};
}

}  // namespace

std::optional<std::u16string> BoundProgramName(std::u16string_view programPath) {
    std::u16string_view path = Trim(programPath);
    if (path.size() >= 2 && path[1] == u':') path.remove_prefix(2);

    const std::size_t lastSeparator = path.find_last_of(u"\\/");
    const std::size_t nameStart = lastSeparator == std::u16string_view::npos ? 0 : lastSeparator + 1;
    const std::u16string_view directory = path.substr(0, nameStart);
    const std::u16string_view name = path.substr(nameStart);
    if (name.empty()) return std::nullopt;

    const std::size_t dot = name.rfind(u'.');
    const std::u16string_view stem = name.substr(0, dot == std::u16string_view::npos ? name.size() : dot);
    const std::u16string_view extension = name.substr(stem.size());
    if (!FitsPart(directory) || !FitsPart(stem) || !FitsPart(extension)) return std::nullopt;
    return std::u16string(name);
}

std::optional<int> ProfileToActivate(const ShareData& image, const char16_t* processName, ProgramNameEquals equals) {
    for (int i = 0; i < kProfileCount; ++i) {
        const auto bound = BoundProgramName(TextOf(image.profiles[i].programPath, kProgramPathChars));
        if (!bound || !equals(processName, bound->c_str())) continue;
        // First match wins, even over the active profile further down.
        if (i == image.activeProfile) return std::nullopt;
        return i;
    }
    return std::nullopt;
}

}  // namespace korvid
