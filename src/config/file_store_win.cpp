#include "config/file_store_win.h"

#include <share.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "base/debug_output_win.h"
#include "base/unique_resource_win.h"
#include "base/wide_text_win.h"
#include "config/data_folder.h"
#include "config/factory_defaults.h"
#include "config/image_file.h"

namespace korvid {
namespace {

bool IsDirectory(const std::wstring& path) {
    // Searches for the exact path (no wildcard) and looks at the entry found.
    WIN32_FIND_DATAW found;
    const UniqueFindHandle search(FindFirstFileW(path.c_str(), &found));
    return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void EnsureDirectory(const std::wstring& path) {
    if (!IsDirectory(path)) (void)CreateDirectoryW(path.c_str(), nullptr);  // a failure shows at the open
}

std::wstring ConfigFilePath(const std::wstring& installDir) {
    const std::u16string dataFolder = ToU16(ResolveDataFolder(installDir));
    EnsureDirectory(ToWide(ConfigFolderOf(dataFolder)));
    return ToWide(ConfigFileOf(dataFolder));
}

// Binary stream shared for reading and writing with other processes (the
// customizer keeps the file up to date while the host runs).
FILE* OpenShared(const std::wstring& path, const wchar_t* mode) { return _wfsopen(path.c_str(), mode, _SH_DENYNO); }

}  // namespace

std::wstring ResolveDataFolder(const std::wstring& installDir) {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return installDir;
    const std::optional<std::u16string> folder = DataFolderIn(ToU16(appData));
    if (!folder) return installDir;  // too deep for the file functions

    const std::wstring product = std::wstring(appData) + ToWide(kProductFolder);
    if (IsDirectory(appData)) {
        EnsureDirectory(product);
    } else if (CreateDirectoryW(appData, nullptr)) {
        EnsureDirectory(product);
    }
    return ToWide(*folder);
}

bool LoadConfiguration(WorkingCopy& image, const std::wstring& installDir, PointerSettingsCapture capture) {
    const std::wstring path = ConfigFilePath(installDir);
    auto loaded = std::make_unique<ShareData>();
    bool activeProfileValid = true;
    if (FILE* file = OpenShared(path, L"rb")) {
        std::vector<std::uint8_t> bytes(kImageSize);
        const std::size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        bytes.resize(read);
        const LoadedImage result = ImageFromFileBytes(bytes, *loaded);
        activeProfileValid = !result.repaired.activeProfile;
        if (result.repaired.Any()) {
            DebugLineF(L"LoadConfiguration repaired Config.data: activeProfile %d, eventCount %d, text %d\n",
                       result.repaired.activeProfile ? 1 : 0, result.repaired.eventCounts, result.repaired.textFields);
        }
    } else {
        BuildFactoryDefaults(*loaded);
        SaveConfiguration(*loaded, installDir);
    }
    // The user's current Windows pointer settings become the active profile's,
    // so starting the host changes none of them. A file whose active profile
    // was out of range names no profile to capture into.
    if (activeProfileValid) capture(loaded->profiles[loaded->activeProfile]);
    image.Write([&](ShareData& working) { working = *loaded; });
    return true;
}

void SaveConfiguration(const ShareData& image, const std::wstring& installDir) {
    const std::wstring path = ConfigFilePath(installDir);
    FILE* file = OpenShared(path, L"wb");
    if (file == nullptr) return;  // nothing is reported; the next start tries again
    (void)std::fwrite(&image, 1, sizeof image, file);
    std::fclose(file);
}

}  // namespace korvid
