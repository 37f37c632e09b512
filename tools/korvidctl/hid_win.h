// korvidctl hid: why the mouse does (not) respond. Lists the present HID
// collections of the mouse named in config.ini's [Device] section (or of
// every HID device), what each declares, whether it opens, and which ones the
// driver library would use for frames and for events. Sends nothing to any
// device; the host need not run.
#pragma once

#include <span>
#include <string>

namespace korvid::ctl {

// [--all]: exit 0 when a collection for frames would be opened, 3 when none
// would (the host cannot configure the mouse), 1 for other arguments.
int RunHid(std::span<const std::string> args);

}  // namespace korvid::ctl
