// The commands of korvidctl. Each takes the arguments after its own name
// (UTF-8) and returns the exit code (console_win.h).
#pragma once

#include <span>
#include <string>

namespace korvid::ctl {

int RunShow(std::span<const std::string> args);    // [--all] [--file PATH]
int RunExport(std::span<const std::string> args);  // [--file PATH]
int RunSet(std::span<const std::string> args);     // NAME=VALUE...
int RunImport(std::span<const std::string> args);  // FILE
int RunEvent(std::span<const std::string> args);   // profile N | stage N | button N | open-customizer | attach | remove
int RunFrames(std::span<const std::string> args);  // LOG

}  // namespace korvid::ctl
