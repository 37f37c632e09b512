#include "driver_log_win.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <span>

#include "device/command_frame.h"
#include "folders_win.h"
#include "inspect/driver_log.h"
#include "waits_win.h"

namespace korvid::harness {
namespace {

DriverCall Parse(const std::string& line) {
    DriverCall call;
    call.line = line;
    if (const std::optional<DriverLogLine> parsed = ParseDriverLogLine(line)) {
        call.ms = parsed->ms;
        call.entryPoint = parsed->entryPoint;
        call.args = parsed->args;
        call.result = parsed->result;
        call.parsed = true;
    }
    return call;
}

std::string HexLine(std::span<const std::uint8_t> bytes) {
    std::string line;
    char hex[4];
    for (std::uint8_t b : bytes) {
        (void)std::snprintf(hex, sizeof hex, line.empty() ? "%02X" : " %02X", b);
        line += hex;
    }
    return line;
}

}  // namespace

std::string DriverCall::Call() const { return entryPoint + (args.empty() ? "" : " " + args) + " -> " + result; }

std::vector<DriverCall> ReadDriverLog(const std::wstring& path) {
    std::vector<DriverCall> calls;
    const auto bytes = ReadFileBytes(path);
    if (!bytes) return calls;
    std::string line;
    for (std::uint8_t b : *bytes) {
        if (b == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            calls.push_back(Parse(line));
            line.clear();
        } else {
            line += static_cast<char>(b);
        }
    }
    if (!line.empty()) calls.push_back(Parse(line));  // an unterminated last line is kept (and fails to match)
    return calls;
}

std::vector<DriverCall> CallsOf(const std::vector<DriverCall>& log, const std::string& entryPoint) {
    std::vector<DriverCall> calls;
    std::copy_if(log.begin(), log.end(), std::back_inserter(calls),
                 [&](const DriverCall& call) { return call.entryPoint == entryPoint; });
    return calls;
}

std::vector<std::string> CallTexts(const std::vector<DriverCall>& log) {
    std::vector<std::string> calls;
    for (const DriverCall& call : log) calls.push_back(call.parsed ? call.Call() : "unparsed: " + call.line);
    return calls;
}

std::vector<std::string> EntryPoints(const std::vector<DriverCall>& log) {
    std::vector<std::string> names;
    for (const DriverCall& call : log) names.push_back(call.entryPoint);
    return names;
}

std::vector<LoggedFrame> LoggedFrames(const std::vector<DriverCall>& log) {
    std::vector<LoggedFrame> frames;
    for (const DriverCall& call : CallsOf(log, "SetFeature")) {
        std::optional<std::vector<std::uint8_t>> bytes = ParseSetFeatureArgs(call.args);
        if (!bytes) ReportFailure("SetFeature " + call.args + ": no frame of the length it gives");
        frames.push_back(
            {.ms = call.ms, .bytes = bytes.value_or(std::vector<std::uint8_t>{}), .accepted = call.result != "0"});
    }
    return frames;
}

std::vector<LoggedFrame> FramesFrom(const std::vector<LoggedFrame>& frames, std::size_t from) {
    if (from >= frames.size()) return {};
    return std::vector(frames.begin() + static_cast<std::ptrdiff_t>(from), frames.end());
}

std::vector<LoggedFrame> FramesOf(const std::vector<LoggedFrame>& frames, std::uint8_t command) {
    std::vector<LoggedFrame> of;
    std::copy_if(frames.begin(), frames.end(), std::back_inserter(of),
                 [&](const LoggedFrame& f) { return f.Command() == command; });
    return of;
}

std::size_t PushEnds(const std::vector<LoggedFrame>& frames) {
    return static_cast<std::size_t>(
        std::count_if(frames.begin(), frames.end(), [](const LoggedFrame& f) { return f.Command() == CMD_END; }));
}

std::string CommandBytes(const std::vector<LoggedFrame>& frames) {
    std::vector<std::uint8_t> commands;
    for (const LoggedFrame& frame : frames) commands.push_back(frame.Command());
    return HexLine(commands);
}

std::vector<std::string> HexFrames(const std::vector<LoggedFrame>& frames) {
    std::vector<std::string> lines;
    for (const LoggedFrame& frame : frames) lines.push_back(HexLine(frame.bytes));
    return lines;
}

std::vector<std::string> HexFrames(const std::vector<std::vector<std::uint8_t>>& frames) {
    std::vector<std::string> lines;
    for (const auto& frame : frames) lines.push_back(HexLine(frame));
    return lines;
}

std::vector<LoggedFrame> WaitForPushEnds(const std::wstring& path, std::size_t ends, DWORD timeoutMs) {
    std::vector<LoggedFrame> frames;
    // The log file is the only trace of the worker's progress: polled.
    if (!PollUntil(
            [&] {
                frames = LoggedFrames(ReadDriverLog(path));
                return PushEnds(frames) >= ends;
            },
            timeoutMs)) {
        ReportFailure("no " + std::to_string(ends) + " pushes within " + std::to_string(timeoutMs) +
                      " ms; frames sent: " + CommandBytes(frames));
    }
    return frames;
}

std::vector<LoggedFrame> WaitForPushesDone(const std::wstring& path, std::size_t ends, DWORD timeoutMs) {
    std::vector<LoggedFrame> frames = WaitForPushEnds(path, ends, timeoutMs);
    Sleep(static_cast<DWORD>(10 * kFramePauseMs));
    return frames;
}

bool WaitForFirstFrame(const std::wstring& path, DWORD timeoutMs) {
    return PollUntil([&] { return !CallsOf(ReadDriverLog(path), "SetFeature").empty(); }, timeoutMs);
}

}  // namespace korvid::harness
