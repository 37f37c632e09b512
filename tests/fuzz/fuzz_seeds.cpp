// Writes the seeds too large or too binary to keep in tests/fuzz/corpus:
// whole images, macro slots, the frames of a push and the head of an export.
// scripts/fuzz runs it into the scratch corpus of each target:
//   korvid_fuzz_seeds DIR    writes DIR/<target>/<seed>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/button_command.h"
#include "device/settings_push.h"
#include "fuzz_support.h"
#include "inspect/config_text.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

bool WriteSeed(const fs::path& dir, const std::string& name, std::span<const std::uint8_t> bytes) {
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::span<const std::uint8_t> BytesOf(const ShareData& image) {
    return {reinterpret_cast<const std::uint8_t*>(&image), sizeof image};
}

void SetText(char16_t* text, std::size_t capacity, std::u16string_view value) {
    std::fill(text, text + capacity, u'\0');
    std::copy_n(value.begin(), std::min(value.size(), capacity), text);
}

// A macro slot: a name, and steps alternating press and release with the
// given delays (short, long in each unit, clamped).
void MakeMacro(ButtonData& slot, std::u16string_view name, std::initializer_list<std::uint16_t> delays) {
    slot.function = kFunctionMacro;
    slot.macroOption = 1;
    slot.macroRepeat = 2;
    slot.macroNumber = 99;
    SetText(slot.macroName, kMacroNameChars, name);
    slot.eventCount = static_cast<std::uint16_t>(delays.size());
    int i = 0;
    for (const std::uint16_t delay : delays) {
        slot.events[i] = {static_cast<std::uint8_t>(4 + i / 2), static_cast<std::uint8_t>(i % 2 == 0), delay};
        ++i;
    }
}

// Images: the factory one, one with macros and change flags, one that needs
// every kind of repair.
std::vector<std::pair<std::string, std::unique_ptr<ShareData>>> Images() {
    std::vector<std::pair<std::string, std::unique_ptr<ShareData>>> images;
    const auto add = [&](std::string name, const std::function<void(ShareData&)>& change) {
        auto image = std::make_unique<ShareData>(fuzz::FactoryImage());
        change(*image);
        images.emplace_back(std::move(name), std::move(image));
    };
    add("factory.bin", [](ShareData&) {});
    add("macros_and_flags.bin", [](ShareData& s) {
        s.activeProfile = 3;
        MakeMacro(s.profiles[0].buttons[3], u"abc", {100, 300});
        MakeMacro(s.profiles[0].buttons[7], u"Ünïcödé \U0001F600 name that is long", {2, 255, 256, 6400, 25600, 65535});
        MakeMacro(s.profiles[3].buttons[0], u"", {1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000});
        s.profiles[2].buttons[5].function = kFunctionKey;
        s.profiles[2].buttons[5].keyModifiers = 0x01;
        s.profiles[2].buttons[5].keyCode = 6;
        SetText(s.profiles[1].programPath, kProgramPathChars, u"C:\\Games\\game.exe");
        s.activeProfileChanged = 1;
        s.dpiChanged[1] = 1;
        s.option07Changed[2] = 2;  // not 1: counts as clear
        s.lightingChanged[4] = 1;
        s.buttonChanged[0][3] = 1;
        s.buttonChanged[2][5] = 0xFF;
    });
    add("needs_repair.bin", [](ShareData& s) {
        s.activeProfile = 7;
        MakeMacro(s.profiles[1].buttons[0], u"x", {10, 10});
        s.profiles[1].buttons[0].eventCount = 500;
        std::fill(std::begin(s.profiles[4].programPath), std::end(s.profiles[4].programPath), u'a');
        std::fill(std::begin(s.profiles[0].buttons[19].macroName), std::end(s.profiles[0].buttons[19].macroName),
                  u'\xD83D');
    });
    add("every_slot_a_macro.bin", [](ShareData& s) {
        for (ProfileData& p : s.profiles) {
            for (ButtonData& slot : p.buttons) MakeMacro(slot, u"m", {300, 300});
        }
    });
    return images;
}

bool WriteMacroSeeds(const fs::path& dir) {
    const struct {
        const char* name;
        std::uint8_t converter;
        std::int32_t number;
        std::function<void(ButtonData&)> make;
    } kSeeds[] = {
        {"two_steps.bin", 0, 1,
         [](ButtonData& b) {
             MakeMacro(b, u"abc", {100, 300});
         }},
        {"long_entries.bin", 1, 120,
         [](ButtonData& b) {
             MakeMacro(b, u"Ünïcödé name", {256, 6400, 12800, 25600, 51200, 65535});
         }},
        {"forty_steps.bin", 2, 7,
         [](ButtonData& b) {
             MakeMacro(b, u"\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600", {});
             b.eventCount = kMaxMacroEvents;
             for (int i = 0; i < kMaxMacroEvents; ++i) b.events[i] = {4, static_cast<std::uint8_t>(i % 2), 1000};
         }},
        {"unterminated.bin", 3, -1,
         [](ButtonData& b) {
             MakeMacro(b, u"", {0, 1, 2, 3});
             std::fill(std::begin(b.macroName), std::end(b.macroName), u'n');
             b.eventCount = 0xFFFF;
         }},
    };
    for (const auto& seed : kSeeds) {
        std::vector<std::uint8_t> input(fuzz::kMacroInputSize, 0);
        input[fuzz::kMacroConverterByte] = seed.converter;
        std::memcpy(input.data() + fuzz::kMacroNumberBytes, &seed.number, sizeof seed.number);
        auto slot = std::make_unique<ButtonData>();
        seed.make(*slot);
        std::memcpy(input.data() + fuzz::kMacroSlotBytes, slot.get(), sizeof(ButtonData));
        if (!WriteSeed(dir, seed.name, input)) return false;
    }
    return true;
}

// Every frame of a push-all of an image with macros, one seed per command.
bool WriteFrameSeeds(const fs::path& dir, ShareData& image) {
    std::vector<std::vector<std::uint8_t>> frames;
    (void)PushSettings(
        image, true,
        [&](std::span<const std::uint8_t> frame) {
            frames.emplace_back(frame.begin(), frame.end());
            return 1;
        },
        [](std::u16string_view text) { return Utf16ToUtf8(text); });
    std::vector<std::uint8_t> written;
    for (const auto& frame : frames) {
        if (std::find(written.begin(), written.end(), frame[0]) != written.end()) continue;
        written.push_back(frame[0]);
        char name[32];
        std::snprintf(name, sizeof name, "command_%02X.bin", frame[0]);
        if (!WriteSeed(dir, name, frame)) return false;
    }
    return true;
}

// The first lines of an export, as korvidctl import reads it back.
bool WriteExportSeed(const fs::path& dir, const ShareData& image) {
    const std::string text = ExportText(image);
    std::size_t end = 0;
    for (int line = 0; line < 60 && end != std::string::npos; ++line) end = text.find('\n', end + 1);
    const std::string head = text.substr(0, end == std::string::npos ? text.size() : end + 1);
    return WriteSeed(dir, "export_head.txt", {reinterpret_cast<const std::uint8_t*>(head.data()), head.size()});
}

}  // namespace
}  // namespace korvid

int main(int argc, char** argv) {
    using namespace korvid;
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvid_fuzz_seeds DIR\n");
        return 2;
    }
    const fs::path dir = argv[1];
    bool ok = true;
    auto images = Images();
    for (const auto& [name, image] : images) ok = ok && WriteSeed(dir / "image", name, BytesOf(*image));
    ok = ok && WriteMacroSeeds(dir / "macro");
    ok = ok && WriteFrameSeeds(dir / "frame_decoder", *images[1].second);
    ok = ok && WriteExportSeed(dir / "config_text", *images[1].second);
    if (!ok) {
        std::fprintf(stderr, "korvid_fuzz_seeds: cannot write under %s\n", argv[1]);
        return 1;
    }
    return 0;
}
