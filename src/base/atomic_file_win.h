// Whole-file writes that never leave a torn file behind, and whole-file reads,
// for every program of the suite that keeps a file a person cares about.
//
// SaveFileReplacing writes the bytes to a temporary file in the target's own
// folder (so the final step is a rename on one volume), flushes it, then puts
// it in place of the target in one step, keeping the previous target as
// "<target>.bak". When any step fails, the target is as it was and the
// temporary file is gone; the error names the step, the path and the system's
// reason.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvid {

struct FileError {
    std::wstring step;  // "create a temporary file in", "write", "replace", ...
    std::wstring path;
    DWORD code = 0;
    // "Cannot replace C:\...\Config.data: Access is denied. (error 5)"
    std::wstring Text() const;
};

// True when the target now holds exactly the bytes; otherwise error says why.
bool SaveFileReplacing(const std::wstring& target, std::span<const std::uint8_t> bytes, FileError& error);

// The whole file (at most 1 GiB); nothing when it cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::wstring& path);

}  // namespace korvid
