// korvidctl frames over any bytes: a simulated driver's log may hold frames
// of any length and content. DecodeFrame never fails: it names the command
// it knows (or says it does not), and a frame shorter or longer than its
// command is read as far as it goes and reported with its length.
#include <string>

#include "device/command_frame.h"
#include "inspect/frame_decoder.h"
#include "fuzz_support.h"

namespace {

struct Known {
    std::uint8_t command;
    const char* name;
    std::size_t length;
};
constexpr Known kKnown[] = {
    {korvid::CMD_BEGIN, "CMD_BEGIN", korvid::kBeginLength},
    {korvid::CMD_ACTIVE_PROFILE, "CMD_ACTIVE_PROFILE", korvid::kActiveProfileLength},
    {korvid::CMD_DPI, "CMD_DPI", korvid::kDpiLength},
    {korvid::CMD_OPTION07, "CMD_OPTION07", korvid::kOption07Length},
    {korvid::CMD_LIGHTING, "CMD_LIGHTING", korvid::kLightingLength},
    {korvid::CMD_BUTTONS, "CMD_BUTTONS", korvid::kButtonsLength},
    {korvid::CMD_MACRO, "CMD_MACRO", korvid::kMacroLength},
    {korvid::CMD_END, "CMD_END", korvid::kEndLength},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = korvid::DecodeFrame({data, size});
    if (size == 0) {
        KORVID_FUZZ_CHECK(text == "empty frame", "an empty frame");
        return 0;
    }
    for (const Known& known : kKnown) {
        if (data[0] != known.command) continue;
        KORVID_FUZZ_CHECK(text.starts_with(known.name), "the command's name");
        const std::string length = "length " + std::to_string(size) + ", expected " + std::to_string(known.length);
        KORVID_FUZZ_CHECK((text.find(length) != std::string::npos) == (size != known.length), "the length note");
        return 0;
    }
    KORVID_FUZZ_CHECK(text.starts_with("unknown command "), "an unknown command");
    return 0;
}
