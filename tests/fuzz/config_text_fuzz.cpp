// korvidctl set and import with any text: the input is an import file, and
// its lines (split at LF, CR kept) are also given as set's NAME=VALUE items.
// Each accepted result is applied, as korvidctl does before it tells the
// host, to the factory image with stale change flags. For every input:
//   - a refusal leaves no assignment at all;
//   - after ApplyAssignments every assigned field reads back its value, no
//     byte outside the assigned fields and the change flags moved, and the
//     change flags are 1 exactly where a changed field's flag is (or a flag
//     assignment put one), as flagsSet lists them;
//   - the image needs no repair (set and import cannot break an invariant);
//   - each assigned value, written back as show and export write it, parses
//     to the same value.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "config/image_repair.h"
#include "fuzz_support.h"
#include "inspect/config_text.h"

namespace korvid {
namespace {

void CheckApplied(const ParsedAssignments& parsed) {
    KORVID_FUZZ_CHECK(parsed.refusals.empty() || parsed.assignments.empty(), "assignments left beside refusals");
    if (parsed.assignments.empty()) return;

    // The factory image with stale change flags of every value, as a
    // customizer may have left them: an edit starts by clearing them.
    static const std::unique_ptr<ShareData> start = [] {
        auto built = std::make_unique<ShareData>(fuzz::FactoryImage());
        auto* flags = reinterpret_cast<std::uint8_t*>(built.get()) + kChangeFlagsOffset;
        for (std::size_t i = 0; i < kImageSize - kChangeFlagsOffset; ++i) flags[i] = static_cast<std::uint8_t>(i % 3);
        return built;
    }();
    static const auto image = std::make_unique<ShareData>();
    *image = *start;
    const EditResult result = ApplyAssignments(*image, parsed.assignments);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image.get());
    const auto* before = reinterpret_cast<const std::uint8_t*>(start.get());

    // Bytes that may have moved: the assigned fields and the change flags.
    std::vector<bool> owned(kImageSize, false);
    std::fill(owned.begin() + kChangeFlagsOffset, owned.end(), true);
    std::vector<bool> flagged(kImageSize, false);
    for (const Assignment& a : parsed.assignments) {
        KORVID_FUZZ_CHECK(ReadField(*image, *a.field) == a.value, "an assigned field does not read back its value");
        std::fill_n(owned.begin() + static_cast<std::ptrdiff_t>(a.field->offset), a.field->size, true);
        if (a.field->role == FieldRole::kChangeFlag) flagged[a.field->offset] = true;
    }
    for (std::size_t at = 0; at < kImageSize; ++at) {
        KORVID_FUZZ_CHECK(owned[at] || bytes[at] == before[at], "a byte outside the assigned fields moved");
    }

    // The change flags: 1 where a changed field's flag is, unless a flag
    // assignment decided; 0 elsewhere unless assigned.
    std::vector<bool> raised(kImageSize, false);
    for (const Field* field : result.changed) {
        if (field->changeFlag) raised[*field->changeFlag] = true;
    }
    std::size_t listed = 0;
    for (const Field& field : FieldTable()) {
        if (field.role != FieldRole::kChangeFlag) continue;
        const std::uint8_t flag = bytes[field.offset];
        if (!flagged[field.offset]) KORVID_FUZZ_CHECK(flag == (raised[field.offset] ? 1 : 0), field.name.c_str());
        if (flag != 1) continue;
        KORVID_FUZZ_CHECK(listed < result.flagsSet.size() && result.flagsSet[listed] == &field, "flagsSet");
        ++listed;
    }
    KORVID_FUZZ_CHECK(listed == result.flagsSet.size(), "flagsSet lists a flag that is not 1");

    const auto repaired = std::make_unique<ShareData>(*image);
    KORVID_FUZZ_CHECK(!RepairImage(*repaired).Any(), "set or import broke an invariant");

    // Written as show and export write it, read back to the same value.
    for (const Assignment& a : parsed.assignments) {
        const std::string item = FormatField(*image, *a.field);
        const ParsedAssignments again = ParseAssignments(std::span(&item, 1));
        KORVID_FUZZ_CHECK(again.refusals.empty() && again.assignments.size() == 1, item.c_str());
        KORVID_FUZZ_CHECK(again.assignments[0].field == a.field && again.assignments[0].value == a.value, item.c_str());
    }
}

}  // namespace
}  // namespace korvid

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvid;
    const std::string_view text = fuzz::AsText({data, size});
    CheckApplied(ParseImportText(text));

    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        items.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    CheckApplied(ParseAssignments(items));
    return 0;
}
