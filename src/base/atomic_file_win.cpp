#include "base/atomic_file_win.h"

#include "base/unique_resource_win.h"

namespace korvid {
namespace {

// Another program may hold the target open for a moment (the host reads
// Config.data at start-up, korvidctl writes it): the swap is retried for
// about a second.
constexpr int kReplaceAttempts = 20;
constexpr DWORD kReplacePauseMs = 50;

std::wstring SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
    if (buffer != nullptr) (void)LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

bool Fail(FileError& error, const wchar_t* step, const std::wstring& path) {
    error.code = GetLastError();  // first, before anything else can change it
    error.step = step;
    error.path = path;
    return false;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Puts temporary in place of target, the old target becoming backup.
bool Swap(const std::wstring& temporary, const std::wstring& target, const std::wstring& backup) {
    if (!FileExists(target)) return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    if (ReplaceFileW(target.c_str(), temporary.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr)) {
        return true;
    }
    // ReplaceFileW refuses some volumes; copying the old file to the backup
    // and renaming over the target keeps the same guarantee in two steps.
    const DWORD code = GetLastError();
    if (!CopyFileW(target.c_str(), backup.c_str(), FALSE)) {
        SetLastError(code);
        return false;
    }
    return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

std::wstring FileError::Text() const {
    std::wstring text = L"Cannot " + step + L" " + path;
    const std::wstring reason = SystemText(code);
    if (!reason.empty()) text += L": " + reason;
    return text + L" (error " + std::to_wstring(code) + L")";
}

bool SaveFileReplacing(const std::wstring& target, std::span<const std::uint8_t> bytes, FileError& error) {
    const std::size_t slash = target.find_last_of(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : target.substr(0, slash);
    wchar_t temporary[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), L"kvt", 0, temporary) == 0) {
        return Fail(error, L"create a temporary file in", folder);
    }
    {
        const UniqueFileHandle file(
            CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size() || !FlushFileBuffers(file.get())) {
            Fail(error, L"write", temporary);
            (void)DeleteFileW(temporary);  // best effort: it has a temporary name
            return false;
        }
    }
    const std::wstring backup = target + L".bak";
    for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
        if (Swap(temporary, target, backup)) return true;
        if (attempt + 1 < kReplaceAttempts) Sleep(kReplacePauseMs);
    }
    Fail(error, L"replace", target);
    (void)DeleteFileW(temporary);
    return false;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::wstring& path) {
    const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

}  // namespace korvid
