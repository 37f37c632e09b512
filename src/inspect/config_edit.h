// Changing fields of an image the way the customizer does before it posts
// WM_HOST_APPLY_ALL: the image carries the change flags of exactly the
// fields that changed, so the host's changed-only push sends those and
// nothing older.
#pragma once

#include <span>
#include <vector>

#include "config/share_data.h"
#include "inspect/field_table.h"

namespace korvid {

// One checked "NAME=VALUE": the value fits the field (see ParseAssignments).
struct Assignment {
    const Field* field = nullptr;
    FieldValue value;
};

struct EditResult {
    std::vector<const Field*> changed;   // fields whose value is now different
    std::vector<const Field*> flagsSet;  // change flags that are 1 afterwards, in offset order
};

// Clears every change flag, writes the assignments, and sets the flag of each
// field whose value changed (a field set to the value it had sets nothing).
// Assignments to change flags themselves are written last, so they decide:
// "dpiChanged[1]=1" re-sends the DPI stages of profile 1 unchanged.
EditResult ApplyAssignments(ShareData& image, std::span<const Assignment> assignments);

}  // namespace korvid
