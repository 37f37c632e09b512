// Brings an image from outside (Config.data, the shared section) back inside
// the invariants every consumer indexes with: activeProfile in 0..4,
// eventCount at most 40, every text field terminated inside its array.
// Nothing else is touched: spare fields, padding and text after a terminator
// stay byte for byte as they were.
#pragma once

#include "config/share_data.h"

namespace korvid {

struct RepairReport {
    bool activeProfile = false;  // was outside 0..4, now 0
    int eventCounts = 0;         // slots whose eventCount was cut to 40
    int textFields = 0;          // text fields that got a terminator
    bool Any() const { return activeProfile || eventCounts != 0 || textFields != 0; }
};

RepairReport RepairImage(ShareData& image);

}  // namespace korvid
