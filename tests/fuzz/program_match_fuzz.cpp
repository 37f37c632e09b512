// Automatic switching with any bound paths and any foreground name. The
// input is UTF-8 (or raw UTF-16 units, see AsUtf16): line 0 is the
// foreground process name, lines 1 to 5 the programPath of profiles 0 to 4
// (cut to the array), line 6 starts with the active profile's digit. The
// whole text is also taken as one bound path. For every input:
//   - BoundProgramName gives nothing, or a non-empty name without separators
//     that ends the trimmed path, whose directory, stem and extension each
//     stay under 260 characters;
//   - ProfileToActivate names the lowest profile whose bound name equals the
//     process name (ASCII case-insensitive here, lstrcmpiW in the host),
//     never the active one, and nothing when that lowest one is active or
//     none matches.
#include <algorithm>

#include "fuzz_support.h"
#include "runtime/program_match.h"

namespace korvid {
namespace {

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool AsciiEqualsIgnoringCase(const char16_t* a, const char16_t* b) {
    for (; *a != u'\0' && *b != u'\0'; ++a, ++b) {
        if (Lower(*a) != Lower(*b)) return false;
    }
    return *a == *b;
}

bool IsWhiteSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

void CheckBoundName(std::u16string_view path) {
    const std::optional<std::u16string> name = BoundProgramName(path);
    if (!name) return;
    KORVID_FUZZ_CHECK(!name->empty(), "an empty bound name");
    KORVID_FUZZ_CHECK(name->find_first_of(u"\\/") == std::u16string::npos, "a separator in the bound name");
    while (!path.empty() && IsWhiteSpace(path.front())) path.remove_prefix(1);
    while (!path.empty() && IsWhiteSpace(path.back())) path.remove_suffix(1);
    KORVID_FUZZ_CHECK(path.ends_with(*name), "a bound name that does not end the trimmed path");
    const std::size_t dot = name->rfind(u'.');
    const std::size_t stem = dot == std::u16string::npos ? name->size() : dot;
    KORVID_FUZZ_CHECK(stem < kMaxPathPartChars && name->size() - stem < kMaxPathPartChars, "a part too long");
    const bool drive = path.size() >= 2 && path[1] == u':';
    const std::size_t directory = path.size() - (drive ? 2 : 0) - name->size();
    KORVID_FUZZ_CHECK(directory < kMaxPathPartChars, "a directory part too long");
    // A path that is only a name keeps it whole.
    if (!drive && path.find_first_of(u"\\/") == std::u16string_view::npos) {
        KORVID_FUZZ_CHECK(*name == path, "a bare name changed");
    }
}

}  // namespace
}  // namespace korvid

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvid;
    const std::u16string text = fuzz::AsUtf16({data, size});
    CheckBoundName(text);

    const std::vector<std::u16string_view> lines = fuzz::SplitLines(text);
    const auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::u16string_view(); };
    // The name as the host has it from the snapshot: NUL-terminated.
    const std::u16string process(line(0).substr(0, line(0).find(u'\0')));

    static const auto image = std::make_unique<ShareData>();
    *image = fuzz::FactoryImage();
    for (int k = 0; k < kProfileCount; ++k) {
        const std::u16string_view path = line(1 + static_cast<std::size_t>(k)).substr(0, kProgramPathChars - 1);
        char16_t* stored = image->profiles[k].programPath;
        std::fill(stored, stored + kProgramPathChars, u'\0');
        std::copy(path.begin(), path.end(), stored);
        CheckBoundName(path);
    }
    image->activeProfile = line(6).empty() ? 0 : line(6)[0] % kProfileCount;

    const std::optional<int> chosen = ProfileToActivate(*image, process.c_str(), AsciiEqualsIgnoringCase);
    std::optional<int> first;
    for (int k = 0; k < kProfileCount && !first; ++k) {
        const std::u16string_view stored(image->profiles[k].programPath);
        const std::optional<std::u16string> bound = BoundProgramName(stored);
        if (bound && AsciiEqualsIgnoringCase(process.c_str(), bound->c_str())) first = k;
    }
    const std::optional<int> expected = first == image->activeProfile ? std::nullopt : first;
    KORVID_FUZZ_CHECK(chosen == expected, "not the lowest matching profile");
    return 0;
}
