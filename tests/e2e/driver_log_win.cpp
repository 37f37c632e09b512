#include "driver_log_win.h"

#include <cstdlib>

#include "staging_win.h"

namespace korvid::e2e {
namespace {

DriverCall Parse(const std::string& line) {
    DriverCall call;
    call.line = line;
    const std::size_t stampEnd = line.find(' ');
    const std::size_t arrow = line.rfind(" -> ");
    if (stampEnd == std::string::npos || stampEnd == 0 || arrow == std::string::npos || arrow <= stampEnd) return call;
    const std::string stamp = line.substr(0, stampEnd);
    if (stamp.find_first_not_of("0123456789") != std::string::npos) return call;
    call.ms = std::strtoull(stamp.c_str(), nullptr, 10);
    const std::string head = line.substr(stampEnd + 1, arrow - stampEnd - 1);
    const std::size_t nameEnd = head.find(' ');
    call.entryPoint = head.substr(0, nameEnd);
    if (nameEnd != std::string::npos) call.args = head.substr(nameEnd + 1);
    call.result = line.substr(arrow + 4);
    call.parsed = !call.entryPoint.empty() && !call.result.empty();
    return call;
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
    for (const DriverCall& call : log)
        if (call.entryPoint == entryPoint) calls.push_back(call);
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

}  // namespace korvid::e2e
