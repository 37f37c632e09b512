// korvidctl.exe: the configuration of the mouse from the command line, for
// users without the customizer and for scripts. It speaks the host's own
// protocol: the shared section under its mutex, Config.data, and the window
// messages of the customizer and of the driver library.
#include <windows.h>

#include <string>
#include <vector>

#include "commands_win.h"
#include "console_win.h"
#include "hid_win.h"
#include "listen_win.h"

namespace {

constexpr char kUsage[] =
    "usage: korvidctl COMMAND [ARGUMENTS]\n"
    "\n"
    "  show [--all] [--file Config.data]   the configuration by field name, profile by profile; without --all\n"
    "                                      only what differs from the factory defaults; from the running host's\n"
    "                                      shared section, or from a file\n"
    "  set NAME=VALUE...                   change fields of the running host's configuration and apply them:\n"
    "                                      profiles[1].dpiX[2]=24  profiles[2].programPath=C:\\Games\\game.exe\n"
    "                                      activeProfile=3  profiles[0].lightColorA=#00FF00\n"
    "  export [--file Config.data]         every field as NAME=VALUE lines\n"
    "  import FILE                         set every NAME=VALUE line of FILE (an export)\n"
    "  event profile N | stage N | button N | open-customizer | attach | remove\n"
    "                                      post what the mouse's driver would post to the host\n"
    "  frames LOG                          decode the log of the simulated hiddriver.dll\n"
    "  listen MS [--count N]               act as the customizer's window for MS milliseconds (or until N\n"
    "                                      messages) and print what the host posts to it\n"
    "  stop [MS]                           end the host (WM_CLOSE to its window) and wait for it to exit\n"
    "  hid [--all]                         the mouse's HID collections (or every device's), whether they open,\n"
    "                                      and which the driver library uses; exit 3 when none takes frames\n"
    "\n"
    "Field names follow the records: activeProfile, profiles[K].FIELD, profiles[K].FIELD[I],\n"
    "profiles[K].buttons[J].FIELD, profiles[K].buttons[J].events[E].key|state|delay, dpiChanged[K],\n"
    "buttonChanged[K][J]; korvidctl export lists them all. Numbers are decimal or 0x hex, colours #RRGGBB.\n"
    "\n"
    "Exit codes: 0 done, 1 refused (nothing changed), 2 no host running, 3 not confirmed, not saved, or not\n"
    "heard in time.\n";

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace korvid::ctl;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(ToUtf8(argv[i]));
    if (args.empty()) {
        Err("no command given");
        korvid::ctl::Out(kUsage);
        return kExitRefused;
    }
    const std::string command = args[0];
    const std::span<const std::string> rest(args.data() + 1, args.size() - 1);
    if (command == "show") return RunShow(rest);
    if (command == "set") return RunSet(rest);
    if (command == "export") return RunExport(rest);
    if (command == "import") return RunImport(rest);
    if (command == "event") return RunEvent(rest);
    if (command == "frames") return RunFrames(rest);
    if (command == "listen") return RunListen(rest);
    if (command == "stop") return RunStop(rest);
    if (command == "hid") return RunHid(rest);
    if (command == "help" || command == "--help" || command == "-h" || command == "/?") {
        Out(kUsage);
        return kExitOk;
    }
    Err("unknown command \"" + command + "\"");
    Out(kUsage);
    return kExitRefused;
}
