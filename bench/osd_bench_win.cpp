// korvid_osd_bench: how soon the on-screen display shows a profile change,
// with Korvid.exe, the simulated hiddriver.dll and the real FerroxOSD.exe
// under Wine. Prints figures; decides nothing (scripts/bench runs it).
//
//   1. stages the host with FerroxOSD.exe and a config.ini whose display
//      shows for 200 ms without a fade, starts the host and waits for the
//      display's window;
//   2. kRuns times: posts the mouse's profile button event to the host and
//      times until the display's window is visible (the host's handling, its
//      WM_OSD_SHOW and the display's reading of the section and drawing);
//   3. kRuns times: posts WM_OSD_SHOW to the display itself and times the
//      same (the display's part alone).
// The waits ask IsWindowVisible in a tight loop with Sleep(0); the clock is
// QueryPerformanceCounter.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_host_win.h"
#include "config/factory_defaults.h"
#include "osd/osd_look.h"
#include "protocol/korvid_protocol.h"

namespace {

using namespace korvid::bench;

constexpr int kRuns = 20;
constexpr DWORD kShownBoundMs = 10000;

// Milliseconds until the window's visibility is `visible`, or -1 at the bound.
double MsUntilVisible(HWND window, bool visible, double start) {
    while ((IsWindowVisible(window) != FALSE) != visible) {
        if (NowMs() - start > kShownBoundMs) return -1;
        Sleep(0);
    }
    return NowMs() - start;
}

std::string QuickDisplayIni() {
    korvid::OsdSettings settings = korvid::FactoryOsdSettings();
    korvid::OsdLook look = korvid::DecodeOsdLook(settings);
    look.showMs = 200;
    look.fadeMs = 0;
    korvid::EncodeOsdLook(look, settings);
    std::vector<std::uint8_t> bytes(sizeof settings);
    std::memcpy(bytes.data(), &settings, sizeof settings);
    return "[OSDSetting]\r\nconfig=" + korvid::EncodeProfileStruct(bytes) + "\r\n";
}

void Print(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    if (ms.empty() || ms.front() < 0) {
        std::printf("%s: not shown within %lu ms at least once\n", what, kShownBoundMs);
        return;
    }
    std::printf("%s: median %.1f ms, min %.1f ms, max %.1f ms (%zu runs)\n", what, ms[ms.size() / 2], ms.front(),
                ms.back(), ms.size());
}

}  // namespace

int main() {
    const std::wstring dir = WorkDir() + L"\\osd";
    auto image = std::make_unique<korvid::ShareData>();
    korvid::BuildFactoryDefaults(*image);
    const auto exe = StageHost(dir, *image);
    if (!exe) return 1;
    const std::wstring installDir = exe->substr(0, exe->find_last_of(L'\\') + 1);
    const std::string ini = QuickDisplayIni();
    if (!CopyFileW(WinePath(KORVID_OSD_EXE_PATH).c_str(), (installDir + korvid::kOsdExeName).c_str(), FALSE) ||
        !WriteFileBytes(installDir + korvid::kSettingsFileName,
                        std::span(reinterpret_cast<const std::uint8_t*>(ini.data()), ini.size()))) {
        std::fprintf(stderr, "could not stage FerroxOSD.exe and config.ini\n");
        return 1;
    }
    auto host = StartHost(*exe, dir + L"\\driver.log");
    if (host == nullptr) return 1;
    HWND osd = nullptr;
    if (!PollUntil([&] { return (osd = FindWindowW(nullptr, korvid::kOsdWindowTitle)) != nullptr; }, kWaitMs)) {
        std::fprintf(stderr, "the host did not start FerroxOSD.exe\n");
        return 1;
    }

    std::vector<double> fromHost;
    std::vector<double> direct;
    for (int run = 0; run < kRuns; ++run) {
        const int button = run % korvid::kProfileCount + 1;
        double start = NowMs();
        (void)host->Post(korvid::WM_DEVICE_EVENT, korvid::EVENT_PROFILE, button);
        fromHost.push_back(MsUntilVisible(osd, true, start));
        (void)MsUntilVisible(osd, false, NowMs());
        start = NowMs();
        (void)PostMessageW(osd, korvid::WM_OSD_SHOW, korvid::kOsdShowWParam, korvid::OsdShowLParam(button - 1));
        direct.push_back(MsUntilVisible(osd, true, start));
        (void)MsUntilVisible(osd, false, NowMs());
    }
    Print("profile button event posted to the host -> display visible", fromHost);
    Print("WM_OSD_SHOW posted to the display -> display visible", direct);

    (void)PostMessageW(osd, WM_CLOSE, 0, 0);
    (void)host->Close(kWaitMs);
    return 0;
}
