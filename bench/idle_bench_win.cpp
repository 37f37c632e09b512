// korvid_idle_bench: what Korvid.exe costs while nothing happens, with the
// simulated mouse attached, so that timer 500 checks the foreground program
// every two seconds. Prints figures; decides nothing (scripts/bench runs it).
//
//   korvid_idle_bench [SECONDS]     default 60
//
// It stages an install folder of its own with the factory configuration,
// starts the host, waits for the start-up push to end, then reads the host's
// CPU time, waits SECONDS of wall time and reads it again; then the host's
// memory counters, and it ends the host with WM_CLOSE.
//
// The CPU time of another process: Windows answers GetProcessTimes; Wine 8
// answers it for another process with next to nothing, but fills the
// system's process list (NtQuerySystemInformation, SystemProcessInformation)
// from the Linux process. Both are printed; the process list is the figure.
#include <windows.h>
// after windows.h
#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench_host_win.h"
#include "config/factory_defaults.h"
#include "config/share_data.h"

namespace {

using namespace korvid::bench;

constexpr unsigned kDefaultSeconds = 60;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
// In a SYSTEM_PROCESS_INFORMATION entry (x64): UserTime and KernelTime, in
// 100 ns units, at these offsets (inside Reserved1 of winternl.h's struct).
constexpr std::size_t kUserTimeOffset = 40;
constexpr std::size_t kKernelTimeOffset = 48;
constexpr double kMiB = 1024.0 * 1024.0;

std::uint64_t Ticks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// User plus kernel time of the process, in ms, as GetProcessTimes reports it.
std::optional<double> ProcessTimesCpuMs(HANDLE process) {
    FILETIME created;
    FILETIME exited;
    FILETIME kernel;
    FILETIME user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return std::nullopt;
    return static_cast<double>(Ticks(kernel) + Ticks(user)) / 10000.0;
}

// The same from the system's process list.
std::optional<double> ProcessListCpuMs(DWORD processId) {
    std::vector<std::uint8_t> buffer(std::size_t{1} << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                              static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch) {
        buffer.resize(needed + 65536);
    }
    if (status != 0) return std::nullopt;
    for (std::size_t at = 0; at + sizeof(SYSTEM_PROCESS_INFORMATION) <= buffer.size();) {
        SYSTEM_PROCESS_INFORMATION entry;
        std::memcpy(&entry, buffer.data() + at, sizeof entry);
        if (static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(entry.UniqueProcessId)) == processId) {
            std::int64_t user = 0;
            std::int64_t kernel = 0;
            std::memcpy(&user, buffer.data() + at + kUserTimeOffset, sizeof user);
            std::memcpy(&kernel, buffer.data() + at + kKernelTimeOffset, sizeof kernel);
            return static_cast<double>(user + kernel) / 10000.0;
        }
        if (entry.NextEntryOffset == 0) break;
        at += entry.NextEntryOffset;
    }
    return std::nullopt;
}

std::string Ms(const std::optional<double>& ms) {
    if (!ms) return "n/a";
    char text[32];
    (void)std::snprintf(text, sizeof text, "%.0f", *ms);
    return text;
}

std::optional<double> Difference(const std::optional<double>& later, const std::optional<double>& earlier) {
    if (!later || !earlier) return std::nullopt;
    return *later - *earlier;
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned seconds = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : kDefaultSeconds;
    if (seconds == 0) {
        std::fprintf(stderr, "usage: korvid_idle_bench [SECONDS]\n");
        return 2;
    }
    const std::wstring dir = WorkDir() + L"\\idle";
    const std::wstring log = dir + L"\\driver.log";
    auto image = std::make_unique<korvid::ShareData>();
    korvid::BuildFactoryDefaults(*image);
    const auto exe = StageHost(dir, *image);
    if (!exe) return 1;

    auto host = StartHost(*exe, log);
    if (host == nullptr) return 1;
    if (!PollUntil([&] { return PushEnds(LoggedFrames(ReadDriverLog(log))) >= 1; }, kWaitMs)) {
        std::fprintf(stderr, "the start-up push did not end\n");
        return 1;
    }
    const std::size_t logBytes = ReadFileBytes(log).value_or(std::vector<std::uint8_t>{}).size();

    const ULONGLONG began = GetTickCount64();
    const auto listBefore = ProcessListCpuMs(host->Id());
    const auto timesBefore = ProcessTimesCpuMs(host->Handle());
    // The measured period; a host that ends in it ends it early.
    if (WaitForSingleObject(host->Handle(), seconds * 1000) == WAIT_OBJECT_0)
        std::fprintf(stderr, "the host ended while idle\n");
    const auto listAfter = ProcessListCpuMs(host->Id());
    const auto timesAfter = ProcessTimesCpuMs(host->Handle());
    const double wallMs = static_cast<double>(GetTickCount64() - began);

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    const bool haveMemory = GetProcessMemoryInfo(host->Handle(), &memory, sizeof memory) != 0;
    const bool driverQuiet = ReadFileBytes(log).value_or(std::vector<std::uint8_t>{}).size() == logBytes;
    const std::optional<DWORD> exitCode = host->Close(kWaitMs);

    const auto cpuMs = Difference(listAfter, listBefore);
    std::printf(
        "idle host, mouse attached (foreground check every 2 s), Korvid.exe with the simulated "
        "hiddriver.dll under Wine\n");
    std::printf("%-28s %10.0f ms\n", "wall time", wallMs);
    std::printf("%-28s %10s ms", "CPU time (process list)", Ms(cpuMs).c_str());
    if (cpuMs) std::printf("   %.3f %% of one core", 100.0 * *cpuMs / wallMs);
    std::printf("\n%-28s %10s ms\n", "CPU time (GetProcessTimes)", Ms(Difference(timesAfter, timesBefore)).c_str());
    if (haveMemory) {
        std::printf("%-28s %10.1f MiB\n", "peak working set", static_cast<double>(memory.PeakWorkingSetSize) / kMiB);
        std::printf("%-28s %10.1f MiB\n", "working set", static_cast<double>(memory.WorkingSetSize) / kMiB);
        std::printf("%-28s %10.1f MiB\n", "pagefile usage (private)", static_cast<double>(memory.PagefileUsage) / kMiB);
    } else {
        std::printf("memory counters: n/a\n");
    }
    std::printf("%-28s %10s\n", "driver calls while idle", driverQuiet ? "none" : "some");
    if (exitCode != 0u) {
        std::printf("the host %s\n",
                    exitCode ? ("ended with exit code " + std::to_string(*exitCode)).c_str() : "did not end");
        return 1;
    }
    return cpuMs ? 0 : 1;
}
