#include "bench_host_win.h"

#include <cstdio>
#include <span>

#include "protocol/korvid_protocol.h"

namespace korvid::bench {

std::wstring WorkDir() { return WinePath(KORVID_BENCH_WORK_DIR); }

std::optional<std::wstring> StageHost(const std::wstring& dir, const ShareData& image) {
    const InstallFolder folder = InstallFolder::At(dir + L"\\");
    if (!folder.ok() || !folder.StageHost() || !folder.StageDriver(Driver::kSim)) {
        std::fprintf(stderr, "cannot stage the install folder\n");
        return std::nullopt;
    }
    if (!WriteConfigData(std::span(reinterpret_cast<const std::uint8_t*>(&image), kImageSize))) {
        std::fprintf(stderr, "cannot write Config.data\n");
        return std::nullopt;
    }
    return folder.HostExe();
}

std::unique_ptr<ChildProcess> StartHost(const std::wstring& exe, const std::wstring& log) {
    // Only the log is switched on: the child's KORVID_SIM_* are this one alone.
    auto host = ChildProcess::Start(exe, {.arguments = {}, .environment = {{L"KORVID_SIM_LOG", log}}});
    if (host == nullptr) {
        std::fprintf(stderr, "cannot start Korvid.exe\n");
        return nullptr;
    }
    if (host->WaitForWindow(kHostWindowTitle, kWaitMs) == nullptr) {
        std::fprintf(stderr, "the host window did not appear (another host running in this prefix?)\n");
        return nullptr;
    }
    return host;
}

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace korvid::bench
