// korvidctl frames over any bytes: a simulated driver's log may hold frames
// of any length and content. DecodeFrame never fails: it names the command
// it knows (or says it does not), and a frame shorter or longer than its
// command is read as far as it goes and reported with its length.
#include <string>

#include "device/command_layouts.h"
#include "fuzz_support.h"
#include "inspect/frame_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = korvid::DecodeFrame({data, size});
    if (size == 0) {
        KORVID_FUZZ_CHECK(text == "empty frame", "an empty frame");
        return 0;
    }
    if (const korvid::CommandLayout* known = korvid::FindCommandLayout(data[0])) {
        KORVID_FUZZ_CHECK(text.starts_with(known->name), "the command's name");
        const std::string length = "length " + std::to_string(size) + ", expected " + std::to_string(known->length);
        KORVID_FUZZ_CHECK((text.find(length) != std::string::npos) == (size != known->length), "the length note");
        return 0;
    }
    KORVID_FUZZ_CHECK(text.starts_with("unknown command "), "an unknown command");
    return 0;
}
