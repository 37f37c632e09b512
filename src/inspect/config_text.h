// The configuration as text, for korvidctl: "name=value" lines for show and
// export, and the parsing of "NAME=VALUE" assignments for set and import,
// with a refusal message for every assignment that cannot be taken.
//
// Values, written and read:
//   numbers   decimal, or hex with 0x ("-3", "24", "0x1F")
//   colours   #RRGGBB (red first, as on the web; stored as 0x00BBGGRR), or
//             the stored number itself (0x0000FF is #FF0000); written as
//             #RRGGBB, or as 0xAABBGGRR when the unused top byte is not 0
//   text      everything after the first "=", UTF-8, no control characters;
//             an empty value is the empty text
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "config/share_data.h"
#include "inspect/config_edit.h"
#include "inspect/field_table.h"

namespace korvid {

// The text after "=" as a value of the field (numbers, colours, text as
// above), or the refusal without the field's name.
std::variant<FieldValue, std::string> ParseFieldValue(const Field& field, std::string_view text);

// The value of a field as it appears after "=" (UTF-8).
std::string FormatValue(const Field& field, const FieldValue& value);
// "name=value".
std::string FormatField(const ShareData& image, const Field& field);

// Every setting and spare field as "name=value" lines, in image order: what
// import takes back. Change flags and padding are left out.
std::string ExportText(const ShareData& image);

// The image for a reader: activeProfile, then profile by profile, then the
// change flags that are set. Without all, only the fields whose value
// differs from the factory defaults (spare fields included when they do);
// with all, every setting and spare field and every change flag.
std::string ShowText(const ShareData& image, bool all);

struct ParsedAssignments {
    std::vector<Assignment> assignments;  // in the order given
    std::vector<std::string> refusals;    // one sentence each; empty when every item was taken
};

// Items of the form NAME=VALUE. An item is refused for: no "=", an unknown
// name or an index out of range, padding, a value that is not of the field's
// kind, a number out of the field's range, text that is too long, not UTF-8
// or holds a control character, and a name given twice. No item is returned
// when any is refused.
ParsedAssignments ParseAssignments(std::span<const std::string> items);

// The same for the lines of an export file (CR LF or LF). Empty lines and
// lines starting with "#" are skipped; refusals start with "line N: ".
ParsedAssignments ParseImportText(std::string_view text);

}  // namespace korvid
