#include "waits_win.h"

#include <cstdio>

namespace korvid::harness {
namespace {

void PrintFailure(const std::string& failure) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    (void)std::fflush(stderr);
}

FailureReporter& Reporter() {
    static FailureReporter reporter = &PrintFailure;
    return reporter;
}

}  // namespace

FailureReporter SetFailureReporter(FailureReporter reporter) {
    FailureReporter before = Reporter();
    Reporter() = reporter != nullptr ? reporter : &PrintFailure;
    return before;
}

void ReportFailure(const std::string& failure) { Reporter()(failure); }

bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return condition();
        Sleep(kPollPeriodMs);
    }
}

bool ExpectNothingFor(DWORD periodMs, const std::string& whatMustNotHappen, const std::function<bool()>& happened) {
    const ULONGLONG start = GetTickCount64();
    const ULONGLONG end = start + periodMs;
    for (;;) {
        if (happened()) {
            ReportFailure(whatMustNotHappen + " happened within " + std::to_string(GetTickCount64() - start) +
                          " ms (quiet period " + std::to_string(periodMs) + " ms)");
            return false;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return true;
        Sleep(static_cast<DWORD>(end - now < kPollPeriodMs ? end - now : kPollPeriodMs));
    }
}

}  // namespace korvid::harness
