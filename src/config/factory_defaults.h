// The configuration the host starts from when Config.data cannot be opened:
// five identical profiles named Default1..Default5, profile 0 active.
#pragma once

#include "config/share_data.h"

namespace korvid {

// Fills the whole image. Bytes that carry no default (spare0, padding and the
// change flags) are set to zero, so a fresh Config.data is reproducible.
void BuildFactoryDefaults(ShareData& image);

}  // namespace korvid
