#include "folders_win.h"

// after windows.h
#include <shlobj.h>

#include <filesystem>
#include <system_error>

#include "base/unique_resource_win.h"
#include "base/wide_text_win.h"
#include "protocol/korvid_protocol.h"
#include "waits_win.h"

namespace korvid::harness {

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    (void)MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n), '\0');
    (void)WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr,
                              nullptr);
    return narrow;
}

std::wstring WinePath(const char* unixPath) {
    std::wstring path = L"Z:" + Widen(unixPath);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

std::wstring BuiltDriver(Driver driver) {
    switch (driver) {
        case Driver::kSim:
            return WinePath(KORVID_SIM_DRIVER_PATH);
        case Driver::kNoFeature:
            return WinePath(KORVID_SIM_DRIVER_NOFEATURE_PATH);
        case Driver::kNoSet:
            return WinePath(KORVID_SIM_DRIVER_NOSET_PATH);
        case Driver::kHid:
            return WinePath(KORVID_HID_DRIVER_PATH);
        case Driver::kNone:
            break;
    }
    return {};
}

std::wstring BuiltHost() {
#ifdef KORVID_EXE_PATH
    return WinePath(KORVID_EXE_PATH);
#else
    return {};
#endif
}

std::wstring BuiltStandIn() { return WinePath(KORVID_TEST_PROGRAM_PATH); }

bool RemoveTree(const std::wstring& path) {
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(path), error);
    return !error && !std::filesystem::exists(std::filesystem::path(path), error);
}

bool MakeTree(const std::wstring& path) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path), error);
    return std::filesystem::is_directory(std::filesystem::path(path), error);
}

InstallFolder InstallFolder::At(const std::wstring& dir) {
    InstallFolder folder;
    folder.testDir_ = dir;
    folder.installDir_ = dir + L"install\\";
    folder.ok_ = RemoveTree(folder.testDir_) && MakeTree(folder.installDir_);
    return folder;
}

std::wstring InstallFolder::HostExe() const { return installDir_ + kHostExeName; }

bool InstallFolder::StageHost() const {
    const std::wstring built = BuiltHost();
    return !built.empty() && CopyFileW(built.c_str(), HostExe().c_str(), FALSE) != 0;
}

bool InstallFolder::StageDriver(Driver driver) const {
    const std::wstring target = installDir_ + kDriverLibraryName;
    if (driver == Driver::kNone) return (DeleteFileW(target.c_str()) != 0 || !FileExists(target));
    return CopyFileW(BuiltDriver(driver).c_str(), target.c_str(), FALSE) != 0;
}

bool InstallFolder::WriteInstallFile(const wchar_t* name, const std::string& bytes) const {
    return WriteFileBytes(installDir_ + name,
                          std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::wstring HostDataFolder() {
    wchar_t appData[MAX_PATH] = {};
    const HRESULT hr =
        SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData);
    if (FAILED(hr)) {
        ReportFailure("no application-data folder");
        return {};
    }
    return std::wstring(appData) + ToWide(kProductFolder);
}

std::wstring ConfigDataPath() { return HostDataFolder() + L"\\" + ToWide(kConfigFolderName) + ToWide(kConfigFileName); }

bool ClearHostDataFolder() { return RemoveTree(HostDataFolder()); }

bool WriteConfigData(std::span<const std::uint8_t> bytes) {
    return MakeTree(HostDataFolder() + L"\\" + ToWide(kConfigFolderName)) && WriteFileBytes(ConfigDataPath(), bytes);
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::wstring& path) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) != 0) && got != 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    if (!ok) return std::nullopt;
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    const bool ok = bytes.empty() ||
                    (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
                     written == bytes.size());
    return ok;
}

std::optional<std::uint64_t> LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace korvid::harness
