// Korvid.exe's entry point: the one application object runs the host.
#include <windows.h>

#include "app/korvid_app_win.h"

namespace {

korvid::CKorvidApp theApp;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) { return theApp.Run(instance, commandLine); }
