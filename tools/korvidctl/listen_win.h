// korvidctl listen and stop: the customizer's side of the conversation, for
// trying the host from a script. listen opens a window titled exactly like
// the customizer's and prints what the host posts to it; stop ends the host
// the way Windows does at log-off, with WM_CLOSE to its window, and waits for
// the process to go.
#pragma once

#include <span>
#include <string>

namespace korvid::ctl {

// MS [--count N]: listens for at most MS milliseconds, or until N messages
// arrived. Exit 0 when N arrived (or no N was given), 3 when the time ran
// out first, 1 when a customizer window is already open.
int RunListen(std::span<const std::string> args);

// [MS]: WM_CLOSE to the host window, then waits up to MS (default 30000) for
// the host process to end. Exit 0 when it ended with exit code 0, 2 when no
// host runs, 3 when it did not end in time or ended with another code.
int RunStop(std::span<const std::string> args);

}  // namespace korvid::ctl
