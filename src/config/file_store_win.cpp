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

// Appended to the path of Config.data for the file a save writes first.
constexpr wchar_t kTemporarySuffix[] = L".tmp";

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
    // The image is written under a temporary name beside Config.data and then
    // renamed over it, so a save that fails part-way (a full disk, a write
    // error) never leaves a truncated Config.data for the next start to read
    // as a short file. After any failure the temporary file is removed and
    // Config.data is as it was (usually absent: the next start builds the
    // defaults and tries again). Nothing is reported.
    const std::wstring path = ConfigFilePath(installDir);
    const std::wstring temporary = path + kTemporarySuffix;
    bool written = false;
    if (FILE* file = OpenShared(temporary, L"wb")) {
        written = std::fwrite(&image, 1, sizeof image, file) == sizeof image;
        written = std::fclose(file) == 0 && written;  // the close writes what is buffered
    }
    if (written && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return;
    (void)DeleteFileW(temporary.c_str());  // may not exist; a stale one is overwritten by the next save
}

}  // namespace korvid
