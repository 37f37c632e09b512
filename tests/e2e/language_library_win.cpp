#include "language_library_win.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "protocol/korvid_protocol.h"
#include "staging_win.h"

namespace korvid::e2e {
namespace {

// A string table resource holds sixteen strings: block n has the ids
// (n - 1) * 16 to n * 16 - 1, each as a length word and that many UTF-16
// units, without terminator; a missing string has length 0.
constexpr unsigned kStringsPerBlock = 16;
constexpr unsigned kFirstId = kTextOpenSettings;

std::wstring TargetPath(const std::wstring& folder) { return folder + kLanguageLibraryName; }

std::vector<std::uint16_t> StringBlock(const LanguageTexts& texts) {
    std::vector<std::uint16_t> block;
    const unsigned blockStart = kFirstId / kStringsPerBlock * kStringsPerBlock;
    for (unsigned id = blockStart; id < blockStart + kStringsPerBlock; ++id) {
        const unsigned index = id - kFirstId;
        const std::optional<std::wstring>* text = id >= kFirstId && index < texts.size() ? &texts[index] : nullptr;
        if (text == nullptr || !text->has_value()) {
            block.push_back(0);
            continue;
        }
        block.push_back(static_cast<std::uint16_t>((*text)->size()));
        block.insert(block.end(), (*text)->begin(), (*text)->end());
    }
    return block;
}

}  // namespace

bool StageBuiltLanguageLibrary(const std::wstring& folder) {
    return CopyFileW(WinePath(KORVID_LAN_DLL_PATH).c_str(), TargetPath(folder).c_str(), FALSE) != 0;
}

bool StageLanguageLibrary(const std::wstring& folder, const LanguageTexts& texts) {
    if (!StageBuiltLanguageLibrary(folder)) return false;
    // Start from the built library's image, without any of its resources.
    HANDLE update = BeginUpdateResourceW(TargetPath(folder).c_str(), TRUE);
    if (update == nullptr) return false;
    std::vector<std::uint16_t> block = StringBlock(texts);
    const WORD blockNumber = static_cast<WORD>(kFirstId / kStringsPerBlock + 1);
    const bool added = UpdateResourceW(update, MAKEINTRESOURCEW(6) /* RT_STRING */, MAKEINTRESOURCEW(blockNumber),
                                       MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), block.data(),
                                       static_cast<DWORD>(block.size() * sizeof(std::uint16_t))) != 0;
    return EndUpdateResourceW(update, !added) != 0 && added;
}

std::wstring BuiltLanguageText(unsigned id) {
    HMODULE library = LoadLibraryExW(WinePath(KORVID_LAN_DLL_PATH).c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (library == nullptr) return {};
    wchar_t text[260] = {};
    const int length = LoadStringW(library, id, text, 260);
    (void)FreeLibrary(library);
    return std::wstring(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

}  // namespace korvid::e2e
