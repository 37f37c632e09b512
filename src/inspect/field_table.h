// The named fields of the configuration image. One row per field of
// ShareData, ProfileData, ButtonData and MacroEvent, expanded to every
// profile, button slot, macro step and array element, in the record's own
// spelling: "activeProfile", "profiles[1].dpiX[2]",
// "profiles[0].buttons[3].events[5].delay", "dpiChanged[2]",
// "buttonChanged[1][7]". Each row holds the field's offset in the image, its
// type, the values a user may give it and the change flag a customizer sets
// when it changes the field.
//
// korvidctl's show, set, export and import and the frame decoder all work
// from this one table. The rows cover every byte of the image exactly once,
// padding included, in offset order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "config/share_data.h"

namespace korvid {

enum class FieldType : std::uint8_t {
    kInt32,
    kUint32,
    kUint16,
    kUint8,
    kColor,  // uint32 holding 0x00BBGGRR
    kText,   // char16_t array, NUL-terminated inside it
};

enum class FieldRole : std::uint8_t {
    kSetting,     // configuration: shown, set, exported
    kSpare,       // kept for the customizer, not read by the host: shown with --all, set, exported
    kChangeFlag,  // a request to push something: shown, set, not exported
    kPadding,     // no meaning: never shown or set
};

struct Field {
    std::string name;
    std::size_t offset = 0;  // in ShareData
    std::size_t size = 0;    // bytes
    FieldType type = FieldType::kUint8;
    FieldRole role = FieldRole::kSetting;
    // Numbers: the accepted values. Text: min 0, max the characters that fit
    // before the terminator.
    std::int64_t min = 0;
    std::int64_t max = 0;
    // Offset of the change-flag byte that a change of this field sets; none
    // for fields the push does not gate (pointer settings, paths, names,
    // spares, the flags themselves).
    std::optional<std::size_t> changeFlag;
    int profile = -1;  // 0..4 inside profiles[k], -1 elsewhere
};

// Every row, in offset order. Built on first use; never changes after.
const std::vector<Field>& FieldTable();

// The row with exactly this name, or nullptr.
const Field* FindField(std::string_view name);

// Why a name is not in the table, as the end of a sentence that starts with
// the name: "has index 5 where profiles takes 0 to 4" for a known field with
// an index out of range, "is not a field name" otherwise.
std::string ExplainUnknownName(std::string_view name);

// A number for every type but text; text up to its terminator (or the whole
// array when it has none).
using FieldValue = std::variant<std::int64_t, std::u16string>;

FieldValue ReadField(const ShareData& image, const Field& field);

// Stores a value of the field's kind. Numbers are stored in the field's width
// (the caller has checked the range); text is stored with its terminator and
// the rest of the array zeroed, cut to the array if it is too long.
void WriteField(ShareData& image, const Field& field, const FieldValue& value);

}  // namespace korvid
