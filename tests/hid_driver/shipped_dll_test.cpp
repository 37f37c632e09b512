// The built hiddriver.dll itself, on Wine's real (empty) HID stack: its
// exports, and what it does with no mouse present.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "device/device_ids.h"
#include "hiddriver.h"
#include "host_window_win.h"

namespace korvid::hid::testing {
namespace {

// "/work/build/x" -> "Z:\work\build\x": Wine's drive for the Unix root.
std::wstring WinePath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c != '\0'; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

const std::wstring kDllPath = WinePath(KORVID_HID_DRIVER_PATH);

std::set<std::string> ExportedNames(HMODULE module) {
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (directory.Size == 0) return names;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    EXPECT_EQ(exports->NumberOfFunctions, exports->NumberOfNames) << "exports by ordinal only";
    const auto* nameOffsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.insert(reinterpret_cast<const char*>(base + nameOffsets[i]));
    }
    return names;
}

template <typename Fn>
Fn Bind(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class Library {
public:
    Library() : module_(LoadLibraryW(kDllPath.c_str())) {}
    ~Library() {
        if (module_ != nullptr) (void)FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    HMODULE get() const { return module_; }
    bool Free() { return FreeLibrary(std::exchange(module_, nullptr)) != FALSE; }

private:
    HMODULE module_;
};

TEST(HidDriverDll, ExportsExactlyTheSevenEntryPoints) {
    Library dll;
    ASSERT_NE(dll.get(), nullptr) << "cannot load the library";
    const std::set<std::string> expected(std::begin(kHidDriverEntryPoints), std::end(kHidDriverEntryPoints));
    EXPECT_EQ(ExportedNames(dll.get()), expected);
}

TEST(HidDriverDll, WithNoMousePresentOpensNothingAndClosesCleanly) {
    HostWindow host;
    Library dll;
    ASSERT_NE(dll.get(), nullptr) << "cannot load the library";
    const auto setVidPid = Bind<SetVidPidFn>(dll.get(), "Set_VIDPID");
    const auto openDevMonitor = Bind<OpenDevMonitorFn>(dll.get(), "Open_DevMonitor");
    const auto closeDevMonitor = Bind<CloseDevMonitorFn>(dll.get(), "Close_DevMonitor");
    const auto openFeatureDevice = Bind<OpenFeatureDeviceFn>(dll.get(), "Open_FeatureDevice");
    const auto closeFeatureDevice = Bind<CloseFeatureDeviceFn>(dll.get(), "Close_FeatureDevice");
    const auto setFeature = Bind<SetFeatureFn>(dll.get(), "SetFeature");
    const auto getFeature = Bind<GetFeatureFn>(dll.get(), "GetFeature");

    // The host's start-up: IDs, monitor, device.
    (void)setVidPid(kMouseVendorId, kMouseProductId);
    EXPECT_NE(openDevMonitor(host.get(), kEventMsg, kConnectionMsg), 0);
    EXPECT_EQ(openFeatureDevice(), 0);

    const unsigned char begin[] = {0x04, 0x00, 0xFF};
    EXPECT_EQ(setFeature(begin, 3), 0);
    unsigned char buffer[8] = {0x0A};
    EXPECT_EQ(getFeature(buffer, 8), 0);

    // The host's shut-down. Close_DevMonitor returns only when the monitor
    // thread has ended; the test's time limit bounds a hang.
    (void)closeDevMonitor();
    (void)closeFeatureDevice();
    EXPECT_EQ(host.Take(), std::vector<Posted>{});

    EXPECT_TRUE(dll.Free());
    EXPECT_EQ(GetModuleHandleW(kDllPath.c_str()), nullptr) << "the library still holds a reference to itself";
}

}  // namespace
}  // namespace korvid::hid::testing
