#include "config_file_win.h"

#include <shlobj.h>
#include <windows.h>

#include "base/unique_resource_win.h"
#include "config/data_folder.h"
#include "console_win.h"

namespace korvid::ctl {
namespace {

// Another program may hold Config.data open for a moment (the customizer
// writes it too); the rename is retried for about a second.
constexpr int kReplaceAttempts = 20;
constexpr DWORD kReplacePauseMs = 50;

std::wstring Wide(const std::u16string& text) { return {text.begin(), text.end()}; }

// CreateFileW reports failure as INVALID_HANDLE_VALUE, not as a null handle.
UniqueHandle FileHandle(HANDLE handle) { return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle); }

std::string LastError(const char* what, const std::wstring& path) {
    return std::string(what) + " \"" + ToUtf8(path) + "\" (error " + std::to_string(GetLastError()) + ")";
}

}  // namespace

std::optional<std::wstring> ConfigDataPath(std::string& error) {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData))) {
        error = "the application-data folder is unknown";
        return std::nullopt;
    }
    const std::wstring appDataText = appData;
    const std::optional<std::u16string> dataFolder =
        DataFolderIn(std::u16string(appDataText.begin(), appDataText.end()));
    if (!dataFolder) {
        error = "the data folder under \"" + ToUtf8(appData) + "\" is too deep for a path";
        return std::nullopt;
    }
    // An existing folder makes these fail, which is fine; a real failure
    // shows when the file is written.
    (void)CreateDirectoryW(Wide(dataFolder->substr(0, dataFolder->size() - 1)).c_str(), nullptr);
    (void)CreateDirectoryW(Wide(ConfigFolderOf(*dataFolder)).c_str(), nullptr);
    return Wide(ConfigFileOf(*dataFolder));
}

bool SaveImageReplacing(const std::wstring& path, const ShareData& image, std::string& error) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    wchar_t temporary[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), L"kvc", 0, temporary) == 0) {
        error = LastError("cannot create a temporary file in", folder);
        return false;
    }
    bool written = false;
    {
        const UniqueHandle file = FileHandle(
            CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DWORD count = 0;
            written = WriteFile(file.get(), &image, static_cast<DWORD>(kImageSize), &count, nullptr) &&
                      count == kImageSize && FlushFileBuffers(file.get());
        }
    }
    if (!written) {
        error = LastError("cannot write", temporary);
        (void)DeleteFileW(temporary);  // best effort; the file has a temporary name
        return false;
    }
    for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
        if (MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        Sleep(kReplacePauseMs);
    }
    error = LastError("cannot replace", path);
    (void)DeleteFileW(temporary);
    return false;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::wstring& path) {
    const UniqueHandle file =
        FileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (std::int64_t{1} << 30)) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace korvid::ctl
