#include "hid/device_config_win.h"

#include <vector>

namespace korvid::hid {
namespace {

std::wstring ReadKey(const std::wstring& configPath, const wchar_t* key) {
    wchar_t text[128] = {};
    (void)GetPrivateProfileStringW(L"Device", key, L"", text, 128, configPath.c_str());  // missing: the default
    std::wstring value(text);
    const std::size_t first = value.find_first_not_of(L" \t");
    const std::size_t last = value.find_last_not_of(L" \t");
    return first == std::wstring::npos ? std::wstring() : value.substr(first, last - first + 1);
}

}  // namespace

HMODULE ThisModule() {
    static const int anchor = 0;
    HMODULE module = nullptr;
    (void)GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCWSTR>(&anchor), &module);  // cannot fail for our own address
    return module;
}

CollectionNames ReadCollectionNames(const std::wstring& configPath) {
    return {ReadKey(configPath, L"FrameCollection"), ReadKey(configPath, L"EventCollection")};
}

std::wstring ConfigPathBeside(HMODULE module) {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            std::wstring folder(path.data(), length);
            const std::size_t slash = folder.find_last_of(L"\\/");
            if (slash == std::wstring::npos) return {};
            return folder.substr(0, slash + 1) + L"config.ini";
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

}  // namespace korvid::hid
