#include "shared_section_win.h"

#include <cstring>

#include "config/share_data.h"

namespace korvid::e2e {
namespace {

// Runs copy(view) with the section mapped and the mutex held.
template <typename F>
bool WithSection(DWORD access, DWORD timeoutMs, F&& copy) {
    HANDLE mapping = OpenFileMappingW(access, FALSE, kSectionName);
    if (mapping == nullptr) return false;
    bool done = false;
    if (void* view = MapViewOfFile(mapping, access, 0, 0, kImageSize)) {
        if (HANDLE mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kSectionMutexName)) {
            const DWORD wait = WaitForSingleObject(mutex, timeoutMs);
            if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
                copy(static_cast<std::uint8_t*>(view));
                done = true;
                (void)ReleaseMutex(mutex);
            }
            (void)CloseHandle(mutex);
        }
        (void)UnmapViewOfFile(view);
    }
    (void)CloseHandle(mapping);
    return done;
}

}  // namespace

bool SectionExists() {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, kSectionName);
    if (mapping == nullptr) return false;
    (void)CloseHandle(mapping);
    return true;
}

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
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name);
    if (mutex == nullptr) return false;
    (void)CloseHandle(mutex);
    return true;
}

}  // namespace korvid::e2e
