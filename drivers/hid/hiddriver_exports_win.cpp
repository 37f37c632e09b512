// The entry points of hiddriver.dll (drivers/hiddriver.h), exported with
// undecorated names. These seven are the library's only exports.
//
// One HidLibrary on the real system calls serves them. No C++ exception
// leaves an entry point: a failure becomes the entry point's failure result
// (0; 1 for the closes, which have nothing to report) and a debug line. It is never destroyed:
// at process exit its threads are gone already, and a destructor run under the
// loader lock must not wait for a thread. While the monitor thread runs, the
// library holds a reference to its own module, so that a host unloading it
// without Close_DevMonitor does not pull the code from under that thread.

#include <windows.h>

#include <mutex>
#include <string>
#include <type_traits>

#include "hid/device_config_win.h"
#include "hid/hid_library_win.h"
#include "hiddriver.h"

namespace {

using korvid::hid::HidLibrary;

// The library's own operations catch what they throw; this catches what the
// entry points add (the module reference, config.ini).
template <typename Call>
int Guarded(const wchar_t* entryPoint, int failure, Call call) noexcept {
    return korvid::hid::Guarded(korvid::hid::SystemHidApi(), entryPoint, failure, call);
}

HidLibrary& Library() {
    static HidLibrary* const library = new HidLibrary(korvid::hid::SystemHidApi());
    return *library;
}

std::mutex moduleMutex;
HMODULE heldModule = nullptr;  // guarded by moduleMutex

void HoldModule() {
    const std::lock_guard lock(moduleMutex);
    if (heldModule != nullptr) return;
    static const int anchor = 0;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&anchor), &heldModule)) {
        heldModule = nullptr;
    }
}

void ReleaseModule() {
    const std::lock_guard lock(moduleMutex);
    if (heldModule == nullptr) return;
    (void)FreeLibrary(heldModule);  // the host's own reference keeps the module loaded
    heldModule = nullptr;
}

}  // namespace

extern "C" {

// Set_VIDPID also reads the collection names of config.ini beside the library.
__declspec(dllexport) int Set_VIDPID(unsigned short vendorId, unsigned short productId) {
    return Guarded(L"Set_VIDPID", 1, [&] {
        const std::wstring config = korvid::hid::ConfigPathBeside(korvid::hid::ThisModule());
        if (!config.empty()) Library().SetCollectionNames(korvid::hid::ReadCollectionNames(config));
        return Library().SetVidPid(vendorId, productId);
    });
}

__declspec(dllexport) int Open_DevMonitor(HWND window, UINT eventMsg, UINT connectionMsg) {
    return Guarded(L"Open_DevMonitor", 0, [&] {
        const int result = Library().OpenDevMonitor(window, eventMsg, connectionMsg);
        if (result != 0) HoldModule();
        return result;
    });
}

__declspec(dllexport) int Close_DevMonitor() {
    return Guarded(L"Close_DevMonitor", 1, [] {
        const int result = Library().CloseDevMonitor();
        ReleaseModule();
        return result;
    });
}

__declspec(dllexport) int Open_FeatureDevice() {
    return Guarded(L"Open_FeatureDevice", 0, [] { return Library().OpenFeatureDevice(); });
}

__declspec(dllexport) int Close_FeatureDevice() {
    return Guarded(L"Close_FeatureDevice", 1, [] { return Library().CloseFeatureDevice(); });
}

__declspec(dllexport) int SetFeature(const unsigned char* frame, int length) {
    return Guarded(L"SetFeature", 0, [&] { return Library().SetFeature(frame, length); });
}

__declspec(dllexport) int GetFeature(unsigned char* buffer, int length) {
    return Guarded(L"GetFeature", 0, [&] { return Library().GetFeature(buffer, length); });
}

}  // extern "C"

// The exported functions have exactly the contract's types.
static_assert(std::is_same_v<decltype(&Set_VIDPID), SetVidPidFn>);
static_assert(std::is_same_v<decltype(&Open_DevMonitor), OpenDevMonitorFn>);
static_assert(std::is_same_v<decltype(&Close_DevMonitor), CloseDevMonitorFn>);
static_assert(std::is_same_v<decltype(&Open_FeatureDevice), OpenFeatureDeviceFn>);
static_assert(std::is_same_v<decltype(&Close_FeatureDevice), CloseFeatureDeviceFn>);
static_assert(std::is_same_v<decltype(&SetFeature), SetFeatureFn>);
static_assert(std::is_same_v<decltype(&GetFeature), GetFeatureFn>);
