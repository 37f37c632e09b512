#include "staging_win.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace korvid::e2e {
namespace {

std::wstring CurrentTestFolderName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info == nullptr ? "no_test" : std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':') c = '_';
    return Widen(name);
}

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

}  // namespace

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    (void)MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
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

std::string EncodeProfileStruct(std::span<const std::uint8_t> bytes) {
    std::string text;
    unsigned sum = 0;
    char hex[3];
    for (std::uint8_t b : bytes) {
        (void)std::snprintf(hex, sizeof hex, "%02X", b);
        text += hex;
        sum += b;
    }
    (void)std::snprintf(hex, sizeof hex, "%02X", sum & 0xFFu);
    return text + hex;
}

InstallFolder InstallFolder::ForCurrentTest() {
    InstallFolder folder;
    folder.testDir_ = WinePath(KORVID_E2E_WORK_DIR) + L"\\" + CurrentTestFolderName() + L"\\";
    folder.installDir_ = folder.testDir_ + L"install\\";
    EXPECT_TRUE(RemoveTree(folder.testDir_)) << "an older test folder cannot be removed (a host still running?)";
    EXPECT_TRUE(MakeTree(folder.installDir_));
    return folder;
}

bool InstallFolder::StageHost() const {
    const std::wstring built = BuiltHost();
    return !built.empty() && CopyFileW(built.c_str(), HostExe().c_str(), FALSE) != 0;
}

bool InstallFolder::StageDriver(Driver driver) const {
    const std::wstring target = installDir_ + L"hiddriver.dll";
    if (driver == Driver::kNone) return (DeleteFileW(target.c_str()) != 0 || !FileExists(target));
    return CopyFileW(BuiltDriver(driver).c_str(), target.c_str(), FALSE) != 0;
}

std::string OsdSettingsIni(std::int32_t osdEnabled) {
    std::uint8_t record[kOsdRecordSize];
    for (std::size_t i = 0; i < kOsdRecordSize; ++i) record[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const auto value = static_cast<std::uint32_t>(osdEnabled);
    for (std::size_t i = 0; i < 4; ++i) record[kOsdEnabledOffset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return "[OSDSetting]\r\nconfig=" + EncodeProfileStruct(record) + "\r\n";
}

bool InstallFolder::WriteInstallFile(const wchar_t* name, const std::string& bytes) const {
    return WriteFileBytes(installDir_ + name,
                          std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::wstring HostDataFolder() {
    wchar_t appData[MAX_PATH] = {};
    const HRESULT hr =
        SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData);
    EXPECT_TRUE(SUCCEEDED(hr)) << "no application-data folder";
    return std::wstring(appData) + L"\\QIV Brennox 2";
}

std::wstring ConfigDataPath() { return HostDataFolder() + L"\\Config\\Config.data"; }

bool ClearHostDataFolder() { return RemoveTree(HostDataFolder()); }

bool WriteConfigData(std::span<const std::uint8_t> bytes) {
    return MakeTree(HostDataFolder() + L"\\Config") && WriteFileBytes(ConfigDataPath(), bytes);
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr) != 0) && got != 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    (void)CloseHandle(file);
    if (!ok) return std::nullopt;
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
                          written == bytes.size());
    return CloseHandle(file) != 0 && ok;
}

std::optional<std::uint64_t> LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace korvid::e2e
