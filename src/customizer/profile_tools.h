// Whole-profile operations of the Profiles page: copy one profile onto
// another, reset one profile or everything to the factory defaults, and
// export and import the configuration as text - the same "name=value" lines
// as korvidctl export / import (inspect/config_text.h), parsed and applied by
// the same code. Each works on an image; the window code puts the result in
// the edit session, so Apply flags what changed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/share_data.h"

namespace korvid {

// Profile to takes every setting of profile from, except its own name and
// bound program (two profiles bound to one program would fight over it).
void CopyProfile(ShareData& image, int from, int to);

// Profile k as the factory defaults build it ("Default<k+1>", no program).
void ResetProfile(ShareData& image, int k);
// Every profile and the active profile as the factory defaults build them.
void ResetAll(ShareData& image);

// The text korvidctl export writes for the image.
std::string ExportConfiguration(const ShareData& image);

struct ImportReport {
    std::vector<std::string> refusals;  // "line N: ..." for every line refused
    int changedFields = 0;
};

// Reads export text into the image. When any line is refused the image is
// left exactly as it was and every refused line is reported; otherwise the
// lines are written and the fields whose value changed are counted.
ImportReport ImportConfiguration(ShareData& image, std::string_view text);

}  // namespace korvid
