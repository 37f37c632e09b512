#include "inspect/config_edit.h"

#include <cstring>

namespace korvid {

EditResult ApplyAssignments(ShareData& image, std::span<const Assignment> assignments) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(&image);
    std::memset(bytes + kChangeFlagsOffset, 0, kImageSize - kChangeFlagsOffset);

    EditResult result;
    for (const Assignment& a : assignments) {
        if (a.field->role == FieldRole::kChangeFlag) continue;
        if (ReadField(image, *a.field) == a.value) continue;
        WriteField(image, *a.field, a.value);
        result.changed.push_back(a.field);
        if (a.field->changeFlag) bytes[*a.field->changeFlag] = 1;
    }
    for (const Assignment& a : assignments) {
        if (a.field->role == FieldRole::kChangeFlag) WriteField(image, *a.field, a.value);
    }

    for (const Field& field : FieldTable()) {
        if (field.role == FieldRole::kChangeFlag && IsFlagSet(bytes[field.offset])) result.flagsSet.push_back(&field);
    }
    return result;
}

}  // namespace korvid
