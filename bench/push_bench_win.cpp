// korvid_push_bench: how long a push of everything takes and how the host's
// window answers meanwhile, with Korvid.exe and the simulated hiddriver.dll
// under Wine. Prints figures; decides nothing (scripts/bench runs it).
//
// For each scenario (a configuration with 0 and with 40 macro buttons) it
//   1. stages an install folder of its own (Korvid.exe, hiddriver.dll) under
//      the build folder and writes Config.data into the host's data folder
//      of this Wine prefix, replacing what was there;
//   2. starts the host with the simulated driver's log switched on and waits
//      for its window; timer 502 starts the push of everything 200 ms later;
//   3. as soon as the first frame is in the log, sends WM_NULL to the host
//      window 100 times (SendMessageTimeout, 10 ms apart) and times each reply;
//   4. waits for CMD_END, closes the host with WM_CLOSE and reads the log.
// Figures: the push's wall time (first to last frame stamp, plus the pause
// after the last frame when the device took it), the accepted frames, the
// ratio wall / (accepted x 100 ms), and the median and worst reply time.
// Frame stamps are GetTickCount64 values, which under Wine move in steps of up
// to about 16 ms; the replies are timed with QueryPerformanceCounter.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench_host_win.h"
#include "config/factory_defaults.h"
#include "config/share_data.h"
#include "device/command_frame.h"

namespace {

using namespace korvid::bench;

constexpr std::uint8_t kFunctionMacro = 16;
constexpr int kProbes = 100;
constexpr DWORD kProbeSpacingMs = 10;

// The configuration of a scenario: the factory defaults with `macros` macro
// buttons, eight to a profile in the slots that are unassigned by default.
std::unique_ptr<korvid::ShareData> ConfigWithMacros(int macros) {
    auto image = std::make_unique<korvid::ShareData>();
    korvid::BuildFactoryDefaults(*image);
    for (int n = 0; n < macros; ++n) {
        korvid::ButtonData& slot = image->profiles[n / 8 % korvid::kProfileCount].buttons[6 + n % 8];
        slot.function = kFunctionMacro;
        slot.macroOption = 1;
        slot.macroRepeat = 1;
        const std::string name = "Macro " + std::to_string(n + 1);
        for (std::size_t i = 0; i < name.size(); ++i) slot.macroName[i] = static_cast<char16_t>(name[i]);
        slot.eventCount = 10;
        for (int e = 0; e < 10; ++e) {
            slot.events[e] = {static_cast<std::uint8_t>(4 + e / 2), static_cast<std::uint8_t>(e % 2 == 0 ? 1 : 0), 30};
        }
    }
    return image;
}

struct Figures {
    std::size_t frames = 0;
    std::size_t accepted = 0;
    double wallMs = 0;
    std::vector<double> replyMs;
    bool probesWithinPush = false;
    std::optional<DWORD> exitCode;
};

std::optional<Figures> RunScenario(const std::wstring& workDir, int macros) {
    const std::wstring dir = workDir + L"\\macros" + std::to_wstring(macros);
    const std::wstring log = dir + L"\\driver.log";
    const auto exe = StageHost(dir, *ConfigWithMacros(macros));
    if (!exe) return std::nullopt;

    auto host = StartHost(*exe, log);
    if (host == nullptr) return std::nullopt;
    if (!WaitForFirstFrame(log, kWaitMs)) {
        std::fprintf(stderr, "the push did not begin\n");
        return std::nullopt;
    }

    Figures figures;
    for (int i = 0; i < kProbes; ++i) {
        // A reply that does not come counts as the whole bound.
        figures.replyMs.push_back(ReplyMs(host->Window()).value_or(static_cast<double>(kReplyBoundMs)));
        Sleep(kProbeSpacingMs);  // the spacing of the probes, not a wait
    }
    const auto ended = [&] {
        const auto frames = LoggedFrames(ReadDriverLog(log));
        return !frames.empty() && frames.back().Command() == korvid::CMD_END;
    };
    figures.probesWithinPush = !ended();
    if (!PollUntil(ended, kWaitMs)) {
        std::fprintf(stderr, "the push did not end\n");
        return std::nullopt;
    }
    figures.exitCode = host->Close(kWaitMs);

    const auto frames = LoggedFrames(ReadDriverLog(log));
    figures.frames = frames.size();
    figures.accepted = static_cast<std::size_t>(
        std::count_if(frames.begin(), frames.end(), [](const LoggedFrame& f) { return f.accepted; }));
    figures.wallMs = static_cast<double>(frames.back().ms - frames.front().ms) +
                     (frames.back().accepted ? static_cast<double>(kFramePauseMs) : 0.0);
    return figures;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    const std::wstring workDir = WorkDir();
    std::printf("push of everything, Korvid.exe with the simulated hiddriver.dll under Wine\n");
    std::printf("%-7s %7s %9s %9s %16s %16s %16s\n", "macros", "frames", "accepted", "wall ms", "wall/(acc*100)",
                "reply median ms", "reply worst ms");
    bool complete = true;
    for (const int macros : {0, 40}) {
        const auto figures = RunScenario(workDir, macros);
        if (!figures) {
            complete = false;
            continue;
        }
        const double ratio =
            figures->accepted == 0
                ? 0.0
                : figures->wallMs / (static_cast<double>(figures->accepted) * static_cast<double>(kFramePauseMs));
        std::string notes;
        if (!figures->probesWithinPush) notes += " (the push ended before the last probe)";
        if (figures->exitCode != 0u) {
            notes += figures->exitCode ? " (exit code " + std::to_string(*figures->exitCode) + ")"
                                       : " (the host did not end)";
        }
        std::printf("%-7d %7zu %9zu %9.0f %16.4f %16.3f %16.3f%s\n", macros, figures->frames, figures->accepted,
                    figures->wallMs, ratio, Median(figures->replyMs),
                    *std::max_element(figures->replyMs.begin(), figures->replyMs.end()), notes.c_str());
    }
    std::printf("replies: %d WM_NULL sent with SendMessageTimeout while the push ran; frame stamps +-16 ms\n", kProbes);
    return complete ? 0 : 1;
}
