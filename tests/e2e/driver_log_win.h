// The simulated driver's log, as lines: "<ms> <EntryPoint>[ <args>] -> <result>".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvid::e2e {

struct DriverCall {
    std::uint64_t ms = 0;
    std::string entryPoint;
    std::string args;  // empty when the entry point logs none
    std::string result;
    bool parsed = false;  // false: the line did not have the form above
    std::string line;     // the whole line as written

    // "<EntryPoint>[ <args>] -> <result>": the line without its time stamp.
    std::string Call() const;
};

// Every line of the log; nothing when the file does not exist.
std::vector<DriverCall> ReadDriverLog(const std::wstring& path);

// Only the calls of one entry point.
std::vector<DriverCall> CallsOf(const std::vector<DriverCall>& log, const std::string& entryPoint);
// The calls without their time stamps ("unparsed: <line>" for a bad line).
std::vector<std::string> CallTexts(const std::vector<DriverCall>& log);
// The entry point names in log order.
std::vector<std::string> EntryPoints(const std::vector<DriverCall>& log);

}  // namespace korvid::e2e
