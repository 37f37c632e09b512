// The files a test sets up around Korvid.exe:
//   - a private install folder per test, under this build's test directory:
//     Korvid.exe, the chosen hiddriver.dll (or none), a config.ini the test
//     writes; beside it the test's driver log;
//   - the host's data folder "<application data>\QIV Brennox 2", which the
//     test process sees exactly as the host does (same Wine prefix): cleared
//     before each test, Config.data written and read by the test.
// All paths are Windows paths (the build's Unix paths prefixed with "Z:").
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvid::e2e {

// "/work/build/x" -> "Z:\work\build\x".
std::wstring WinePath(const char* unixPath);
// UTF-8 text as UTF-16.
std::wstring Widen(const std::string& text);

// The driver library a test installs as hiddriver.dll.
enum class Driver {
    kSim,        // all seven entry points
    kNoFeature,  // no Open_FeatureDevice, no SetFeature
    kNoSet,      // no SetFeature
    kHid,        // the real library on the Windows HID stack (no mouse under Wine)
    kNone,       // no hiddriver.dll at all
};

// The built driver library of that kind; empty for kNone.
std::wstring BuiltDriver(Driver driver);
// The built Korvid.exe; empty while the build has none.
std::wstring BuiltHost();

// The on-screen-display record of config.ini: 348 bytes, osdEnabled (int32)
// at offset 8; the test fills the other bytes with a pattern.
inline constexpr std::size_t kOsdRecordSize = 348;
inline constexpr std::size_t kOsdEnabledOffset = 8;

// The value of section "OSDSetting", key "config" in the encoding of the
// profile-structure functions: every byte as two uppercase hex digits, then
// the 8-bit sum of the bytes as two more.
std::string EncodeProfileStruct(std::span<const std::uint8_t> bytes);

// A config.ini holding an OSDSetting record whose osdEnabled is the value.
std::string OsdSettingsIni(std::int32_t osdEnabled);

class InstallFolder {
public:
    // A fresh, empty folder for the running test: <work>\<suite>.<test>\,
    // with the install folder install\ inside it. Fails the test when an
    // older folder of that name cannot be removed.
    static InstallFolder ForCurrentTest();

    const std::wstring& TestDir() const { return testDir_; }        // ends with a backslash
    const std::wstring& InstallDir() const { return installDir_; }  // ends with a backslash
    std::wstring HostExe() const { return installDir_ + L"Korvid.exe"; }
    // A driver log path of this test (outside the install folder).
    std::wstring LogPath(const wchar_t* name = L"driver.log") const { return testDir_ + name; }

    bool StageHost() const;
    // Copies the driver as hiddriver.dll, or makes sure there is none.
    bool StageDriver(Driver driver) const;
    bool WriteInstallFile(const wchar_t* name, const std::string& bytes) const;

private:
    std::wstring testDir_;
    std::wstring installDir_;
};

// "<application data>\QIV Brennox 2", without a trailing backslash.
std::wstring HostDataFolder();
// "<data folder>\Config\Config.data".
std::wstring ConfigDataPath();
// Removes the data folder with everything in it; false when something stays.
bool ClearHostDataFolder();
// Creates the folders and writes Config.data with exactly these bytes.
bool WriteConfigData(std::span<const std::uint8_t> bytes);

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, std::span<const std::uint8_t> bytes);
// The last-write time in 100 ns units; nothing when the file does not exist.
std::optional<std::uint64_t> LastWriteTime(const std::wstring& path);
bool FileExists(const std::wstring& path);

}  // namespace korvid::e2e
