// korvid_section_writer: a misbehaving customizer for the end-to-end tests.
// It opens the host's shared section "T593K_Gaming_Mouse_ShareData" and the
// mutex "T593K_Gaming_Mouse_Mutex_Object" (both made by the host) and
//
//   --storm SEED STOP_EVENT REPORT
//       rewrites the whole section with random bytes under the mutex, about
//       once a millisecond, until the named event STOP_EVENT is set. The
//       images come in three kinds, in turn: uniform random bytes; bytes
//       drawn from 00 01 10 11 FF (set flags, macro and launch buttons,
//       small indexes); the previous image with a few bytes changed. At the
//       end it writes "writes N abandoned M" to the file REPORT.
//
//   --abandon IMAGE BYTES HOLD_MS READY_EVENT
//       takes the mutex, sets the named event READY_EVENT, copies the first
//       BYTES bytes of the file IMAGE into the section, waits HOLD_MS and
//       ends without releasing the mutex: a customizer that died in the
//       middle of its work. The mutex is then abandoned.
//
// Exit code 0 when it did its work; 2 when the section, the mutex, the event
// or the file cannot be opened; 3 for wrong arguments. It never runs longer
// than a minute, so a failed test leaves nothing behind.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/unique_resource_win.h"
#include "config/share_data.h"
#include "protocol/korvid_protocol.h"

namespace {

using korvid::kImageSize;
using korvid::kSectionMutexName;
using korvid::kSectionName;
using korvid::MutexGuard;
using korvid::UniqueFileHandle;
using korvid::UniqueHandle;
using korvid::UniqueMappedView;

constexpr DWORD kLifetimeMs = 60000;
constexpr int kExitDone = 0;
constexpr int kExitMissing = 2;
constexpr int kExitUsage = 3;

struct Section {
    UniqueHandle mapping;
    UniqueMappedView view;
    UniqueHandle mutex;
    std::uint8_t* Bytes() const { return static_cast<std::uint8_t*>(view.get()); }
};

// Both objects, or nothing: they are the host's, so they exist already.
bool OpenSection(Section& section) {
    section.mapping.reset(OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, kSectionName));
    if (!section.mapping) return false;
    section.view.reset(MapViewOfFile(section.mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kImageSize));
    section.mutex.reset(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kSectionMutexName));
    return section.view && section.mutex;
}

bool ReadWholeFile(const wchar_t* path, std::vector<std::uint8_t>& bytes) {
    const UniqueFileHandle file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bytes.assign(kImageSize, 0);
    DWORD got = 0;
    const bool read = ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) != 0;
    bytes.resize(got);
    return read;
}

void NextImage(std::mt19937& random, std::uint64_t n, std::vector<std::uint8_t>& image) {
    static constexpr std::uint8_t kPalette[] = {0x00, 0x01, 0x10, 0x11, 0xFF};
    switch (n % 3) {
        case 0:
            for (std::uint8_t& b : image) b = static_cast<std::uint8_t>(random());
            break;
        case 1:
            for (std::uint8_t& b : image) b = kPalette[random() % std::size(kPalette)];
            break;
        default:
            for (int i = 0; i < 64; ++i) image[random() % image.size()] = static_cast<std::uint8_t>(random());
            break;
    }
}

int Storm(unsigned seed, const wchar_t* stopEventName, const wchar_t* reportPath) {
    Section section;
    const UniqueHandle stop(OpenEventW(SYNCHRONIZE, FALSE, stopEventName));
    if (!OpenSection(section) || !stop) return kExitMissing;
    std::mt19937 random(seed);
    std::vector<std::uint8_t> image(kImageSize);
    std::uint64_t writes = 0;
    std::uint64_t abandoned = 0;
    const ULONGLONG deadline = GetTickCount64() + kLifetimeMs;
    while (WaitForSingleObject(stop.get(), 0) == WAIT_TIMEOUT && GetTickCount64() < deadline) {
        NextImage(random, writes, image);
        {
            const MutexGuard guard(section.mutex.get(), 5000);
            if (!guard.acquired()) continue;
            if (guard.abandoned()) ++abandoned;
            std::memcpy(section.Bytes(), image.data(), kImageSize);
        }
        ++writes;
        Sleep(1);  // pacing: the host gets its turns between the writes
    }
    const UniqueFileHandle report(
        CreateFileW(reportPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (report) {
        const std::string text =
            "writes " + std::to_string(writes) + " abandoned " + std::to_string(abandoned) + "\r\n";
        DWORD written = 0;
        WriteFile(report.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    return writes > 0 ? kExitDone : kExitMissing;
}

int Abandon(const wchar_t* imagePath, std::size_t bytes, DWORD holdMs, const wchar_t* readyEventName) {
    Section section;
    std::vector<std::uint8_t> image;
    const UniqueHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, readyEventName));
    if (!OpenSection(section) || !ready || !ReadWholeFile(imagePath, image)) return kExitMissing;
    // Taken without a guard: it must not be released.
    const DWORD wait = WaitForSingleObject(section.mutex.get(), kLifetimeMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return kExitMissing;
    SetEvent(ready.get());
    std::memcpy(section.Bytes(), image.data(), bytes < image.size() ? bytes : image.size());
    Sleep(holdMs < kLifetimeMs ? holdMs : kLifetimeMs);
    // Ends while it owns the mutex: the system abandons it.
    ExitProcess(kExitDone);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wcscmp(argv[1], L"--storm") == 0) {
        return Storm(static_cast<unsigned>(std::wcstoul(argv[2], nullptr, 0)), argv[3], argv[4]);
    }
    if (argc == 6 && std::wcscmp(argv[1], L"--abandon") == 0) {
        return Abandon(argv[2], std::wcstoul(argv[3], nullptr, 0), std::wcstoul(argv[4], nullptr, 0), argv[5]);
    }
    return kExitUsage;
}
