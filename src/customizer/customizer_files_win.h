// The customizer's files in the data folder (the host's folder, found the way
// the host finds it): Config.data, which the customizer keeps up to date and
// edits directly when no host runs, and Draft.data, the unapplied edits kept
// when the customizer had to close. Both are replaced whole (temporary file,
// flush, swap with a backup); a failed save leaves the old file as it was.
#pragma once

#include <memory>
#include <string>

#include "config/share_data.h"
#include "customizer/draft_file.h"

namespace korvid {

enum class ConfigFileState {
    kRead,      // a whole image, used as it was
    kRepaired,  // a whole image that broke an invariant: repaired
    kMissing,   // no file: factory defaults
    kDamaged,   // a file of another size: factory defaults (the file is left alone)
};

class CustomizerFiles {
public:
    explicit CustomizerFiles(const std::wstring& installDir);

    const std::wstring& ConfigPath() const { return configPath_; }
    const std::wstring& DraftPath() const { return draftPath_; }

    ConfigFileState LoadConfig(ShareData& image) const;
    // "" when saved; otherwise the sentence for the status line.
    std::wstring SaveConfig(const ShareData& image) const;

    std::wstring SaveDraft(const ShareData& base, const ShareData& edited) const;
    // The kept draft; nothing when there is none or it is damaged (damaged
    // then says which).
    std::unique_ptr<Draft> LoadDraft(bool& damaged) const;
    void DeleteDraft() const;

private:
    std::wstring configPath_;
    std::wstring draftPath_;
};

}  // namespace korvid
