// What the tests of the host's life after start-up share: images as records,
// the frames in the simulated driver's log, and the stand-in program copied
// under a chosen name, started by the test or by the host, with the log of
// its starts (KORVID_TEST_PROGRAM_LOG).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "config/share_data.h"
#include "e2e_harness_win.h"
#include "protocol/korvid_protocol.h"
#include "recorder_window_win.h"
#include "suite_programs_win.h"

namespace korvid::e2e {

// Writes the text with its terminator into a record's text array.
void SetText(char16_t* field, std::size_t capacity, const std::wstring& text);

// activeProfile of the image in the shared section; nothing when it cannot be read.
std::optional<int> SectionActiveProfile();

// The frames the host sent, as the log writes them ("3 04 00 FF": length,
// then the bytes), of the calls from index `from` on.
std::vector<std::string> SentFrames(const std::vector<DriverCall>& log, std::size_t from = 0);
// How many of those frames begin with these bytes ("0B" for CMD_END).
std::size_t CountFrames(const std::vector<DriverCall>& log, const std::string& firstBytes, std::size_t from = 0);
// The number of calls of the entry point in the log from index `from` on.
std::size_t CountCalls(const std::vector<DriverCall>& log, const std::string& entryPoint, std::size_t from = 0);

// Returns once the recorder has handled everything posted to it before: the
// test posts a message of its own and waits for it.
bool FlushRecorder(const RecorderWindow& recorder);

// Copies the built stand-in program to this path (a Windows path).
bool StageStandIn(const std::wstring& path);

// The file names of the starts in a stand-in's log (ReadStandInStarts).
std::vector<std::wstring> StartedFileNames(const std::wstring& logPath);

// The id of the process that owns the foreground window; 0 without one.
DWORD ForegroundProcessId();

// Ends every process that owns a top-level window with this title, asking
// with WM_CLOSE first; false when one is still there afterwards.
bool CloseWindowsTitled(const wchar_t* title);

}  // namespace korvid::e2e
