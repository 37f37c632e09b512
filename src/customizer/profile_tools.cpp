#include "customizer/profile_tools.h"

#include <cstring>
#include <memory>

#include "config/factory_defaults.h"
#include "inspect/config_edit.h"
#include "inspect/config_text.h"

namespace korvid {

void CopyProfile(ShareData& image, int from, int to) {
    if (from == to) return;
    ProfileData& target = image.profiles[to];
    const auto keep = std::make_unique<ProfileData>(target);
    target = image.profiles[from];
    std::memcpy(target.profileName, keep->profileName, sizeof target.profileName);
    std::memcpy(target.programPath, keep->programPath, sizeof target.programPath);
}

void ResetProfile(ShareData& image, int k) {
    auto factory = std::make_unique<ShareData>(image);
    BuildFactoryDefaults(*factory);
    image.profiles[k] = factory->profiles[k];
}

void ResetAll(ShareData& image) { BuildFactoryDefaults(image); }

std::string ExportConfiguration(const ShareData& image) { return ExportText(image); }

ImportReport ImportConfiguration(ShareData& image, std::string_view text) {
    ImportReport report;
    ParsedAssignments parsed = ParseImportText(text);
    if (!parsed.refusals.empty()) {
        report.refusals = std::move(parsed.refusals);
        return report;
    }
    // The flags an import writes do not matter here: Apply computes its own.
    const EditResult result = ApplyAssignments(image, parsed.assignments);
    report.changedFields = static_cast<int>(result.changed.size());
    return report;
}

}  // namespace korvid
