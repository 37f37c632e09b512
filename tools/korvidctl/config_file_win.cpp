#include "config_file_win.h"

#include <shlobj.h>
#include <windows.h>

#include "base/unique_resource_win.h"
#include "base/wide_text_win.h"
#include "config/data_folder.h"
#include "console_win.h"

namespace korvid::ctl {
namespace {

// Another program may hold Config.data open for a moment (the customizer
// writes it too); the rename is retried for about a second.
constexpr int kReplaceAttempts = 20;
constexpr DWORD kReplacePauseMs = 50;

// Larger files are no configuration image; they are not read at all.
constexpr std::int64_t kLargestFile = std::int64_t{1} << 30;

}  // namespace

std::optional<std::wstring> ConfigDataPath(std::string& error) {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData))) {
        error = "the application-data folder is unknown";
        return std::nullopt;
    }
    const std::optional<std::u16string> dataFolder = DataFolderIn(ToU16(appData));
    if (!dataFolder) {
        error = "the data folder under \"" + ToUtf8(appData) + "\" is too deep for a path";
        return std::nullopt;
    }
    // An existing folder makes these fail, which is fine; a real failure
    // shows when the file is written.
    (void)CreateDirectoryW(ToWide(dataFolder->substr(0, dataFolder->size() - 1)).c_str(), nullptr);
    (void)CreateDirectoryW(ToWide(ConfigFolderOf(*dataFolder)).c_str(), nullptr);
    return ToWide(ConfigFileOf(*dataFolder));
}

bool SaveImageReplacing(const std::wstring& path, const ShareData& image, std::string& error) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    wchar_t temporary[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), L"kvc", 0, temporary) == 0) {
        error = SystemErrorMessage("cannot create a temporary file in", folder, GetLastError());
        return false;
    }
    std::string failure;
    {
        const UniqueFileHandle file(
            CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD count = 0;
        if (!file || !WriteFile(file.get(), &image, static_cast<DWORD>(kImageSize), &count, nullptr) ||
            !FlushFileBuffers(file.get())) {
            failure = SystemErrorMessage("cannot write", temporary, GetLastError());  // before the handle closes
        } else if (count != kImageSize) {
            failure = "cannot write \"" + ToUtf8(temporary) + "\": " + std::to_string(count) + " of " +
                      std::to_string(kImageSize) + " bytes written";
        }
    }
    if (!failure.empty()) {
        error = failure;
        (void)DeleteFileW(temporary);  // best effort; the file has a temporary name
        return false;
    }
    DWORD replaceError = ERROR_SUCCESS;
    for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
        if (MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        replaceError = GetLastError();
        Sleep(kReplacePauseMs);
    }
    error = SystemErrorMessage("cannot replace", path, replaceError);
    (void)DeleteFileW(temporary);
    return false;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::wstring& path, std::string& error) {
    const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = SystemErrorMessage("cannot open", path, GetLastError());  // not found, access denied, ...
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        error = SystemErrorMessage("cannot read the size of", path, GetLastError());
        return std::nullopt;
    }
    if (size.QuadPart > kLargestFile) {
        error = "cannot read \"" + ToUtf8(path) + "\": " + std::to_string(size.QuadPart) + " bytes, more than " +
                std::to_string(kLargestFile);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    if (bytes.empty()) return bytes;
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        error = SystemErrorMessage("cannot read", path, GetLastError());
        return std::nullopt;
    }
    if (read != bytes.size()) {
        error = "cannot read \"" + ToUtf8(path) + "\": short read, " + std::to_string(read) + " of " +
                std::to_string(bytes.size()) + " bytes (the file changed while it was read?)";
        return std::nullopt;
    }
    return bytes;
}

}  // namespace korvid::ctl
