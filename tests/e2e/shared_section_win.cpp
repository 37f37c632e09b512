#include "shared_section_win.h"

#include <cstring>

#include "base/unique_resource_win.h"
#include "config/share_data.h"

namespace korvid::e2e {
namespace {

// Runs copy(view) with the section mapped and the mutex held.
template <typename F>
bool WithSection(DWORD access, DWORD timeoutMs, F&& copy) {
    const UniqueHandle mapping(OpenFileMappingW(access, FALSE, kSectionName));
    if (!mapping) return false;
    const UniqueMappedView view(MapViewOfFile(mapping.get(), access, 0, 0, kImageSize));
    const UniqueHandle mutex(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kSectionMutexName));
    if (!view || !mutex) return false;
    const MutexGuard guard(mutex.get(), timeoutMs);
    if (!guard.acquired()) return false;
    copy(static_cast<std::uint8_t*>(view.get()));
    return true;
}

}  // namespace

bool SectionExists() { return static_cast<bool>(UniqueHandle(OpenFileMappingW(FILE_MAP_READ, FALSE, kSectionName))); }

std::optional<std::vector<std::uint8_t>> ReadSection(DWORD timeoutMs) {
    std::vector<std::uint8_t> image(kImageSize);
    if (!WithSection(FILE_MAP_READ, timeoutMs,
                     [&](const std::uint8_t* view) { std::memcpy(image.data(), view, kImageSize); }))
        return std::nullopt;
    return image;
}

bool WriteSection(std::span<const std::uint8_t> image, DWORD timeoutMs) {
    if (image.size() != kImageSize) return false;
    return WithSection(FILE_MAP_READ | FILE_MAP_WRITE, timeoutMs,
                       [&](std::uint8_t* view) { std::memcpy(view, image.data(), kImageSize); });
}

bool NamedMutexExists(const wchar_t* name) {
    return static_cast<bool>(UniqueHandle(OpenMutexW(SYNCHRONIZE, FALSE, name)));
}

}  // namespace korvid::e2e
