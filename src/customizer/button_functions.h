// The functions a person can give a button slot, with the names the
// customizer shows. The codes are those of ButtonFunctionTable
// (device/button_command.h); a code gets a name only where its meaning is
// known (a keyboard key, a macro, launching a program, the fixed key
// combinations); every other code is "Function N".
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace korvid {

struct ButtonFunctionName {
    std::uint8_t code;
    const char* name;
};

// Every named code, one row each.
std::span<const ButtonFunctionName> ButtonFunctionNames();

// The name of a code: its row, "Function N" for a code the table sends
// without a known meaning, "Function N (not sent: 00 00 00)" for a code the
// table does not list.
std::string ButtonFunctionLabel(std::uint8_t code);

// The codes the Buttons page offers, in the order it lists them: the named
// functions first (keyboard key, macro, launch program, the key
// combinations), then the others by code.
std::span<const std::uint8_t> OfferedButtonFunctions();

}  // namespace korvid
