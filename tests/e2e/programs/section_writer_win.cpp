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

namespace {

constexpr wchar_t kSectionName[] = L"T593K_Gaming_Mouse_ShareData";
constexpr wchar_t kSectionMutexName[] = L"T593K_Gaming_Mouse_Mutex_Object";
constexpr std::size_t kImageSize = 83684;
constexpr DWORD kLifetimeMs = 60000;
constexpr int kExitDone = 0;
constexpr int kExitMissing = 2;
constexpr int kExitUsage = 3;

struct Section {
    HANDLE mapping = nullptr;
    std::uint8_t* view = nullptr;
    HANDLE mutex = nullptr;
};

// Both objects, or nothing: they are the host's, so they exist already.
bool OpenSection(Section& section) {
    section.mapping = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, kSectionName);
    if (section.mapping == nullptr) return false;
    section.view =
        static_cast<std::uint8_t*>(MapViewOfFile(section.mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kImageSize));
    section.mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kSectionMutexName);
    return section.view != nullptr && section.mutex != nullptr;
}

bool ReadWholeFile(const wchar_t* path, std::vector<std::uint8_t>& bytes) {
    HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.assign(kImageSize, 0);
    DWORD got = 0;
    const bool read = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) != 0;
    CloseHandle(file);
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
    HANDLE stop = OpenEventW(SYNCHRONIZE, FALSE, stopEventName);
    if (!OpenSection(section) || stop == nullptr) return kExitMissing;
    std::mt19937 random(seed);
    std::vector<std::uint8_t> image(kImageSize);
    std::uint64_t writes = 0;
    std::uint64_t abandoned = 0;
    const ULONGLONG deadline = GetTickCount64() + kLifetimeMs;
    while (WaitForSingleObject(stop, 0) == WAIT_TIMEOUT && GetTickCount64() < deadline) {
        NextImage(random, writes, image);
        const DWORD wait = WaitForSingleObject(section.mutex, 5000);
        if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) continue;
        if (wait == WAIT_ABANDONED) ++abandoned;
        std::memcpy(section.view, image.data(), kImageSize);
        ReleaseMutex(section.mutex);
        ++writes;
        Sleep(1);
    }
    HANDLE report = CreateFileW(reportPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (report != INVALID_HANDLE_VALUE) {
        const std::string text =
            "writes " + std::to_string(writes) + " abandoned " + std::to_string(abandoned) + "\r\n";
        DWORD written = 0;
        WriteFile(report, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(report);
    }
    return writes > 0 ? kExitDone : kExitMissing;
}

int Abandon(const wchar_t* imagePath, std::size_t bytes, DWORD holdMs, const wchar_t* readyEventName) {
    Section section;
    std::vector<std::uint8_t> image;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, readyEventName);
    if (!OpenSection(section) || ready == nullptr || !ReadWholeFile(imagePath, image)) return kExitMissing;
    const DWORD wait = WaitForSingleObject(section.mutex, kLifetimeMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return kExitMissing;
    SetEvent(ready);
    std::memcpy(section.view, image.data(), bytes < image.size() ? bytes : image.size());
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
