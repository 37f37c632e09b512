// korvid_customizer_bench: how fast the customizer opens and how soon an Apply
// reaches the mouse, with Korvid.exe and the simulated hiddriver.dll under
// Wine. Prints figures; decides nothing (scripts/bench runs it).
//
//   1. stages the host with Option.exe beside it, and an empty window program
//      (the suite's stand-in, which only shows a window titled like the
//      customizer) as Option.exe in a second folder; starts the host and
//      waits for its start-up push to end;
//   2. starts each program kRuns times, alternately, the same way
//      (CreateProcessW), and times from the call until its window answers and
//      its status bar holds text (the empty program: until its window
//      answers); then closes it with WM_CLOSE;
//   3. with the customizer open, changes a DPI stage and presses Apply
//      kApplies times, and times from the click to the first frame the
//      simulated mouse logs (GetTickCount64 on both sides: steps of up to
//      about 16 ms under Wine).
// Figures: the medians, the ratio customizer / empty window, the apply times.
#include <windows.h>
// After <windows.h>:
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/child_window_win.h"
#include "bench_host_win.h"
#include "config/factory_defaults.h"
#include "customizer/control_ids.h"
#include "protocol/korvid_protocol.h"

namespace {

using namespace korvid::bench;

constexpr int kRuns = 10;
constexpr int kApplies = 5;

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

HWND WindowOf(DWORD processId) { return FindWindowOf(korvid::kCustomizerWindowTitle, processId); }

bool Answers(HWND window) { return ReplyMs(window).has_value(); }

bool StatusFilled(HWND window) {
    HWND bar = FindWindowExW(window, nullptr, STATUSCLASSNAMEW, nullptr);
    DWORD_PTR length = 0;
    return bar != nullptr && SendMessageTimeoutW(bar, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kReplyBoundMs, &length) &&
           length > 0;
}

// Starts the program, waits for its window to be shown and filled, closes
// it; the milliseconds to the shown window, or nothing.
std::optional<double> TimeOneStart(const std::wstring& exe, bool filled) {
    const double start = Now();
    auto process = ChildProcess::Start(exe);
    if (process == nullptr) return std::nullopt;
    HWND window = nullptr;
    const bool shown = PollUntil(
        [&] {
            window = WindowOf(process->Id());
            return window != nullptr && IsWindowVisible(window) && Answers(window) && (!filled || StatusFilled(window));
        },
        kWaitMs);
    const double elapsed = Now() - start;
    if (window != nullptr) (void)PostMessageW(window, WM_CLOSE, 0, 0);
    if (!process->WaitForExit(kWaitMs)) process->Terminate();
    if (!shown) return std::nullopt;
    return elapsed;
}

void Select(HWND window, int id, int index) {
    HWND control = korvid::FindDescendant(window, id);
    DWORD_PTR ignored = 0;
    (void)SendMessageTimeoutW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_NORMAL, kReplyBoundMs,
                              &ignored);
    (void)SendMessageTimeoutW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                              reinterpret_cast<LPARAM>(control), SMTO_NORMAL, kReplyBoundMs, &ignored);
}

}  // namespace

int main() {
    auto image = std::make_unique<korvid::ShareData>();
    korvid::BuildFactoryDefaults(*image);
    const std::wstring dir = WorkDir() + L"\\customizer";
    const auto hostExe = StageHost(dir, *image);
    if (!hostExe) return 1;
    const std::wstring customizer = dir + L"\\install\\Option.exe";
    const std::wstring empty = dir + L"\\empty\\Option.exe";
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(dir + L"\\empty"), error);
    if (!CopyFileW(WinePath(KORVID_OPTION_EXE_PATH).c_str(), customizer.c_str(), FALSE) ||
        !CopyFileW(WinePath(KORVID_TEST_PROGRAM_PATH).c_str(), empty.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot stage Option.exe and the empty window program\n");
        return 1;
    }

    const std::wstring log = dir + L"\\mouse.log";
    auto host = StartHost(*hostExe, log);
    if (host == nullptr || WaitForPushEnds(log, 1, kWaitMs).empty()) {
        std::fprintf(stderr, "the host did not start or finish its start-up push\n");
        return 1;
    }

    std::vector<double> customizerMs, emptyMs;
    for (int run = 0; run < kRuns; ++run) {
        if (const auto ms = TimeOneStart(empty, false)) emptyMs.push_back(*ms);
        if (const auto ms = TimeOneStart(customizer, true)) customizerMs.push_back(*ms);
    }
    const double customizerMedian = Median(customizerMs), emptyMedian = Median(emptyMs);
    std::printf("start to window shown and filled (median of %zu): Option.exe %.1f ms\n", customizerMs.size(),
                customizerMedian);
    std::printf("start to window shown (median of %zu): empty window program %.1f ms\n", emptyMs.size(), emptyMedian);
    if (emptyMedian > 0) std::printf("ratio Option.exe / empty window: %.2f\n", customizerMedian / emptyMedian);

    // Apply to the first frame.
    auto process = ChildProcess::Start(customizer);
    if (process == nullptr) return 1;
    HWND window = nullptr;
    (void)PollUntil([&] { return (window = WindowOf(process->Id())) != nullptr && Answers(window); }, kWaitMs);
    std::vector<double> applyMs;
    for (int apply = 0; apply < kApplies && window != nullptr; ++apply) {
        const std::size_t before = LoggedFrames(ReadDriverLog(log)).size();
        Select(window, korvid::ID_STAGE_X + 2, 20 + apply);  // 2100 DPI, 2200 DPI, ...
        const ULONGLONG clicked = GetTickCount64();
        DWORD_PTR ignored = 0;
        (void)SendMessageTimeoutW(korvid::FindDescendant(window, korvid::ID_APPLY), BM_CLICK, 0, 0, SMTO_NORMAL,
                                  kReplyBoundMs, &ignored);
        std::vector<LoggedFrame> frames;
        if (!PollUntil([&] { return (frames = LoggedFrames(ReadDriverLog(log))).size() > before; }, kWaitMs)) break;
        applyMs.push_back(static_cast<double>(frames[before].ms) - static_cast<double>(clicked));
        (void)PollUntil([&] { return IsWindowEnabled(korvid::FindDescendant(window, korvid::ID_APPLY)) != 0; },
                        kWaitMs);
    }
    std::printf("Apply to first frame (median of %zu, GetTickCount64): %.1f ms\n", applyMs.size(), Median(applyMs));
    if (window != nullptr) (void)PostMessageW(window, WM_CLOSE, 0, 0);
    if (!process->WaitForExit(kWaitMs)) process->Terminate();
    (void)host->Close(kWaitMs);
    return 0;
}
