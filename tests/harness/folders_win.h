// The files and folders the tests and the benchmarks set up around
// Korvid.exe:
//   - an install folder of their own under the build folder: Korvid.exe, the
//     chosen hiddriver.dll (or none), files such as config.ini;
//   - the host's data folder "<application data>\QIV Brennox 2", which this
//     process sees exactly as the host does (same Wine prefix).
// All paths are Windows paths (the build's Unix paths prefixed with "Z:").
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvid::harness {

// "/work/build/x" -> "Z:\work\build\x".
std::wstring WinePath(const char* unixPath);
// UTF-8 text as UTF-16, and back.
std::wstring Widen(const std::string& text);
std::string Utf8(const std::wstring& text);

// The driver library staged as hiddriver.dll.
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
// The built stand-in of the suite's other programs (korvid_test_program).
std::wstring BuiltStandIn();

class InstallFolder {
public:
    InstallFolder() = default;
    // A fresh, empty folder dir (ending with a backslash) with the install
    // folder install\ inside it. ok() is false when an older folder of that
    // name could not be removed or the new one not made.
    static InstallFolder At(const std::wstring& dir);

    bool ok() const { return ok_; }
    const std::wstring& TestDir() const { return testDir_; }        // ends with a backslash
    const std::wstring& InstallDir() const { return installDir_; }  // ends with a backslash
    std::wstring HostExe() const;
    // A log path beside the install folder (outside it).
    std::wstring LogPath(const wchar_t* name = L"driver.log") const { return testDir_ + name; }

    bool StageHost() const;
    // Copies the driver as hiddriver.dll, or makes sure there is none.
    bool StageDriver(Driver driver) const;
    bool WriteInstallFile(const wchar_t* name, const std::string& bytes) const;

private:
    std::wstring testDir_;
    std::wstring installDir_;
    bool ok_ = false;
};

// "<application data>\QIV Brennox 2", without a trailing backslash; empty
// when there is no application-data folder.
std::wstring HostDataFolder();
// "<data folder>\Config\Config.data".
std::wstring ConfigDataPath();
// Removes the data folder with everything in it; false when something stays.
bool ClearHostDataFolder();
// Creates the folders and writes Config.data with exactly these bytes.
bool WriteConfigData(std::span<const std::uint8_t> bytes);

bool RemoveTree(const std::wstring& path);
bool MakeTree(const std::wstring& path);
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, std::span<const std::uint8_t> bytes);
// The last-write time in 100 ns units; nothing when the file does not exist.
std::optional<std::uint64_t> LastWriteTime(const std::wstring& path);
bool FileExists(const std::wstring& path);

}  // namespace korvid::harness
