// Bounded waits for the end-to-end tests and the benchmarks, and where a
// failed wait is reported.
//   - PollUntil asks a condition until it holds; use it only where the thing
//     awaited gives no signal of its own (a file growing, a window appearing
//     in another process). A signal (an event, a process handle, a window's
//     reply) is waited on directly.
//   - ExpectNothingFor is the one way to prove an absence: it watches for the
//     thing that must not happen for the whole quiet period and reports it,
//     named, when it does.
// Failures go to the reporter: the tests install one that fails the running
// test (GoogleTest's ADD_FAILURE); the benchmarks keep the default, which
// prints to stderr. Every bound is a bound, never an expectation of speed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace korvid::harness {

using FailureReporter = void (*)(const std::string& failure);
// Replaces the reporter; returns the one before.
FailureReporter SetFailureReporter(FailureReporter reporter);
void ReportFailure(const std::string& failure);

// How often PollUntil and ExpectNothingFor ask.
inline constexpr DWORD kPollPeriodMs = 10;

// Asks the condition every kPollPeriodMs until it holds or the time is up;
// its last answer.
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Watches for `happened` during the whole period. True when it never held;
// otherwise reports "<what must not happen> happened within <n> ms" and
// returns false at once.
bool ExpectNothingFor(DWORD periodMs, const std::string& whatMustNotHappen, const std::function<bool()>& happened);

}  // namespace korvid::harness
