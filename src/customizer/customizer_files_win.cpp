#include "customizer/customizer_files_win.h"

#include <windows.h>

#include <cstring>
#include <span>

#include "base/atomic_file_win.h"
#include "base/wide_text_win.h"
#include "config/data_folder.h"
#include "config/factory_defaults.h"
#include "config/file_store_win.h"
#include "config/image_repair.h"

namespace korvid {

CustomizerFiles::CustomizerFiles(const std::wstring& installDir) {
    const std::u16string dataFolder = ToU16(ResolveDataFolder(installDir));
    const std::wstring configFolder = ToWide(ConfigFolderOf(dataFolder));
    (void)CreateDirectoryW(configFolder.c_str(), nullptr);  // it may exist; a real failure shows at the save
    configPath_ = ToWide(ConfigFileOf(dataFolder));
    draftPath_ = ToWide(dataFolder) + ToWide(kDraftFileName);
}

ConfigFileState CustomizerFiles::LoadConfig(ShareData& image) const {
    const auto bytes = ReadWholeFile(configPath_);
    if (!bytes || bytes->size() != kImageSize) {
        BuildFactoryDefaults(image);
        return bytes ? ConfigFileState::kDamaged : ConfigFileState::kMissing;
    }
    std::memcpy(&image, bytes->data(), kImageSize);
    return RepairImage(image).Any() ? ConfigFileState::kRepaired : ConfigFileState::kRead;
}

std::wstring CustomizerFiles::SaveConfig(const ShareData& image) const {
    FileError error;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&image);
    if (SaveFileReplacing(configPath_, std::span(bytes, kImageSize), error)) return {};
    return error.Text();
}

std::wstring CustomizerFiles::SaveDraft(const ShareData& base, const ShareData& edited) const {
    FileError error;
    if (SaveFileReplacing(draftPath_, EncodeDraft(base, edited), error)) return {};
    return error.Text();
}

std::unique_ptr<Draft> CustomizerFiles::LoadDraft(bool& damaged) const {
    damaged = false;
    const auto bytes = ReadWholeFile(draftPath_);
    if (!bytes) return nullptr;
    std::unique_ptr<Draft> draft = DecodeDraft(*bytes);
    damaged = draft == nullptr;
    return draft;
}

void CustomizerFiles::DeleteDraft() const {
    (void)DeleteFileW(draftPath_.c_str());  // absent already is fine
    (void)DeleteFileW((draftPath_ + L".bak").c_str());
}

}  // namespace korvid
