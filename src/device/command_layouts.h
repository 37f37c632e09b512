// Every command's layout in command-number order, for readers of frames of
// any command: the frame decoder, the fuzz targets and the tests that check
// logged frames. Each layout is stated in its command's header.
#pragma once

#include <cstdint>

#include "device/button_command.h"
#include "device/command_frame.h"
#include "device/dpi_command.h"
#include "device/lighting_command.h"
#include "device/macro_command.h"

namespace korvid {

inline constexpr CommandLayout kCommandLayouts[] = {
    LayoutOf<BeginLayout>(),    LayoutOf<ActiveProfileLayout>(), LayoutOf<DpiLayout>(),   LayoutOf<Option07Layout>(),
    LayoutOf<LightingLayout>(), LayoutOf<ButtonsLayout>(),       LayoutOf<MacroLayout>(), LayoutOf<EndLayout>(),
};

constexpr bool CommandsAreInOrder() {
    for (std::size_t i = 0; i < std::size(kCommandLayouts); ++i) {
        if (kCommandLayouts[i].command != CMD_BEGIN + i) return false;
    }
    return true;
}
static_assert(CommandsAreInOrder(), "one layout per command, CMD_BEGIN to CMD_END");
static_assert(std::size(kCommandLayouts) == CMD_END - CMD_BEGIN + 1u);

// The layout of a command number, or null for a number no command has.
constexpr const CommandLayout* FindCommandLayout(std::uint8_t command) {
    if (command < CMD_BEGIN || command > CMD_END) return nullptr;
    return &kCommandLayouts[command - CMD_BEGIN];
}

}  // namespace korvid
