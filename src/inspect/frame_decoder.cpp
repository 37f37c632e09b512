#include "inspect/frame_decoder.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "inspect/config_text.h"
#include "inspect/field_table.h"
#include "device/command_frame.h"
#include "device/macro_command.h"

namespace korvid {
namespace {

struct FixedByte {
    std::size_t at;
    std::uint8_t value;
};

// What every command's frame must look like outside its fields.
struct Layout {
    std::uint8_t command;
    const char* name;
    std::size_t length;
    std::vector<FixedByte> fixed;    // byte 1 included
    std::vector<std::size_t> zeros;  // bytes no field fills
};

const std::vector<Layout>& Layouts() {
    static const std::vector<Layout> layouts = {
        {CMD_BEGIN, "CMD_BEGIN", kBeginLength, {{1, 0x00}, {2, 0xFF}}, {}},
        {CMD_ACTIVE_PROFILE, "CMD_ACTIVE_PROFILE", kActiveProfileLength, {{1, 0x04}, {3, 0x05}}, {4, 5, 6, 7}},
        {CMD_DPI, "CMD_DPI", kDpiLength, {{1, kDpiLength}, {49, 0x03}, {50, 0x08}}, {53}},
        {CMD_OPTION07, "CMD_OPTION07", kOption07Length, {{1, kOption07Length}}, {4, 5, 6, 7}},
        {CMD_LIGHTING, "CMD_LIGHTING", kLightingLength, {{1, kLightingLength}, {7, 0x02}, {41, 0x02}}, {}},
        {CMD_BUTTONS, "CMD_BUTTONS", kButtonsLength, {{1, kButtonsLength}}, {63}},
        {CMD_MACRO, "CMD_MACRO", kMacroLength, {{1, kMacroLength}}, {3, 5, 6, 7}},
        {CMD_END, "CMD_END", kEndLength, {{1, kEndLength}}, {3, 4, 5, 6, 7}},
    };
    return layouts;
}

// The parts appended one after another. (Chains of "text" + std::string
// temporaries trip a false -Wrestrict of GCC 12 at -O3.)
template <typename... Parts>
std::string Cat(const Parts&... parts) {
    std::string out;
    (out += ... += parts);
    return out;
}

std::string Num(unsigned value) { return std::to_string(value); }

std::string Hex2(std::uint8_t b) {
    char cell[8];
    std::snprintf(cell, sizeof cell, "0x%02X", b);
    return cell;
}

// A frame padded with zeros to its command's length, so every field can be
// read; the notes collect what does not fit the layout.
class Reader {
public:
    Reader(std::span<const std::uint8_t> frame, std::size_t length)
        : bytes_(frame.begin(), frame.end()), actual_(frame.size()) {
        if (bytes_.size() < length) bytes_.resize(length, 0);
    }
    std::uint8_t operator[](std::size_t at) const { return bytes_[at]; }
    std::size_t ActualLength() const { return actual_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t actual_;
};

// "name value", the name checked against the field table and the value
// written as the table writes it (colours as #RRGGBB).
std::string Named(std::string_view recordField, std::int64_t value) {
    for (const char* record : {"", "profiles[0].", "profiles[0].buttons[0]."}) {
        if (const Field* field = FindField(record + std::string(recordField))) {
            return Cat(recordField, " ", FormatValue(*field, value));
        }
    }
    return Cat("?", recordField, " ", std::to_string(value));
}

std::int64_t ColorAt(const Reader& r, std::size_t at) {
    // Sent as bits 16-23, 8-15, 0-7 of the stored 0x00BBGGRR.
    return std::int64_t{r[at]} << 16 | std::int64_t{r[at + 1]} << 8 | r[at + 2];
}

std::string Colors(const Reader& r, std::size_t at, int count, std::string_view field) {
    std::string out(field);
    const Field* row = FindField(Cat("profiles[0].", field, "[0]"));
    for (int i = 0; i < count; ++i) {
        const std::int64_t color = ColorAt(r, at + 3 * static_cast<std::size_t>(i));
        out += ' ';
        out += row ? FormatValue(*row, color) : std::to_string(color);
    }
    return out;
}

// "1-5", "1-3,6", "none" for the set bits of a mask, numbered from 1.
std::string MaskRanges(std::uint8_t mask) {
    std::string out;
    for (int i = 0; i < 8;) {
        if ((mask >> i & 1) == 0) {
            ++i;
            continue;
        }
        int last = i;
        while (last + 1 < 8 && (mask >> (last + 1) & 1)) ++last;
        if (!out.empty()) out += ",";
        out += Num(static_cast<unsigned>(i + 1));
        if (last > i) out += Cat("-", Num(static_cast<unsigned>(last + 1)));
        i = last + 1;
    }
    return out.empty() ? "none" : out;
}

std::string Axis(const Reader& r, const char* label, std::size_t values, std::size_t rangeMask) {
    std::string out = label;
    for (std::size_t i = 0; i < static_cast<std::size_t>(kStageCount); ++i) {
        out += Cat(" ", Num(r[values + i]));
        if (r[rangeMask] >> i & 1) out += "*";
    }
    return out;
}

std::string DecodeDpi(const Reader& r) {
    return Cat("profile ", Num(r[2]), ": stages ", MaskRanges(r[5]), " on, current ", Num(r[24] + 1u), ", ",
               Axis(r, "X", 8, 6), ", ", Axis(r, "Y", 16, 7), ", ", Colors(r, 25, kStageCount, "stageColor"), ", ",
               Named("dpiOptionA", r[3]), ", ", Named("dpiOptionB", r[4]), ", ", Named("dpiOptionC", r[51]), ", ",
               Named("dpiOptionD", r[52]));
}

std::string Mode(const Reader& r, std::size_t at, const char* zone) {
    std::string out = Cat("zone ", zone, " ");
    if (r[at] == 0) {
        out += "off";
        if (r[at + 1] != 0) out += Cat(" (mode byte ", Num(r[at + 1]), ")");
        return out;
    }
    if (r[at] != 1) out += Cat("on-byte ", Hex2(r[at]), " ");
    return Cat(out, "mode ", Num(r[at + 1]));
}

std::string DecodeLighting(const Reader& r) {
    return Cat("profile ", Num(r[2]), ": ", Mode(r, 3, "A"), ", ", Named("lightParamA1", r[5]), ", ",
               Named("lightParamA2", r[6]), ", ", Named("lightColorA", ColorAt(r, 8)), ", slots ", MaskRanges(r[11]),
               " on, ", Colors(r, 12, kLightSlotCount, "lightSlotColor"), ", ", Named("lightParamA3", r[36]), "; ",
               Mode(r, 37, "B"), ", ", Named("lightParamB1", r[39]), ", ", Named("lightParamB2", r[40]), ", ",
               Named("lightColorB", ColorAt(r, 42)));
}

std::string Assignment3(std::uint8_t f, std::uint8_t a, std::uint8_t b) {
    if (f == 0 && a == 0 && b == 0) return "none";
    if (f == 5) return Cat("key ", Num(b), " modifiers ", Hex2(a));
    if (f == 16) return Cat("macro ", Num(b), " option ", Num(a));
    std::string out = Cat("function ", Num(f));
    if (a != 0 || b != 0) out += Cat(" (", Num(a), " ", Num(b), ")");
    return out;
}

std::string DecodeButtons(const Reader& r) {
    std::string out = Cat("profile ", Num(r[2]), ":");
    for (int j = 0; j < kButtonCount;) {
        const auto at = [](int slot) { return 3 + 3 * static_cast<std::size_t>(slot); };
        const std::string text = Assignment3(r[at(j)], r[at(j) + 1], r[at(j) + 2]);
        int last = j;
        while (last + 1 < kButtonCount &&
               Assignment3(r[at(last + 1)], r[at(last + 1) + 1], r[at(last + 1) + 2]) == text)
            ++last;
        out += j == 0 ? " " : ", ";
        out += Cat("[", Num(static_cast<unsigned>(j)));
        if (last > j) out += Cat("-", Num(static_cast<unsigned>(last)));
        out += Cat("] ", text);
        j = last + 1;
    }
    return out;
}

std::string MacroName(const Reader& r) {
    constexpr std::size_t kName = 9;
    std::string out = "\"";
    for (std::size_t i = kName; i < kName + kMacroNameBytes && r[i] != 0; ++i) {
        if (r[i] >= 0x20 && r[i] < 0x7F && r[i] != '"' && r[i] != '\\') {
            out += static_cast<char>(r[i]);
        } else {
            char cell[8];
            std::snprintf(cell, sizeof cell, "\\x%02X", r[i]);
            out += cell;
        }
    }
    return out + "\"";
}

std::string DecodeMacro(const Reader& r) {
    constexpr std::size_t kUnits = 33;
    constexpr std::size_t kEntries = 34;
    constexpr unsigned kUnitMs[] = {50, 100, 200};
    std::string steps;
    std::size_t at = kEntries;
    unsigned units = 0;
    // A long entry starts with 0x01 (0x81): so does a short one whose delay
    // is below 4 ms. The fourth byte, a unit 1 to 3, tells them apart.
    while (units < r[kUnits] && at + 2 <= kMacroLength) {
        const std::uint8_t lead = r[at];
        const char* action = (lead & 0x80) ? "release " : "press ";
        const bool isLong =
            (lead & 0x7F) == 1 && units + 2 <= r[kUnits] && at + 4 <= kMacroLength && r[at + 3] >= 1 && r[at + 3] <= 3;
        steps += steps.empty() ? " " : ", ";
        steps += Cat(action, Num(r[at + 1]), " ");
        if (isLong) {
            steps += Cat(Num(r[at + 2] * kUnitMs[r[at + 3] - 1]), "ms");
            at += 4;
            units += 2;
        } else {
            steps += Cat("~", Num((lead & 0x7Fu) * 2), "ms");
            at += 2;
            units += 1;
        }
    }
    std::string out = Cat(Num(r[2]), ": ", Named("macroOption", r[4]), ", ", Named("macroRepeat", r[8]), ", macroName ",
                          MacroName(r), ", ", steps.empty() ? "no steps" : Cat("steps", steps));
    if (units != r[kUnits]) out += Cat(" [unit count ", Num(r[kUnits]), ", ", Num(units), " read]");
    return out;
}

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (const std::uint8_t b : bytes) {
        char cell[4];
        std::snprintf(cell, sizeof cell, "%s%02X", out.empty() ? "" : " ", b);
        out += cell;
    }
    return out;
}

}  // namespace

std::string DecodeFrame(std::span<const std::uint8_t> frame) {
    if (frame.empty()) return "empty frame";
    const Layout* layout = nullptr;
    for (const Layout& l : Layouts()) {
        if (l.command == frame[0]) layout = &l;
    }
    if (layout == nullptr) {
        return Cat("unknown command ", Hex2(frame[0]), ", ", std::to_string(frame.size()), " bytes: ", Hex(frame));
    }
    const Reader r(frame, layout->length);
    std::string out = layout->name;
    switch (layout->command) {
        case CMD_ACTIVE_PROFILE:
            out += Cat(" ", Named("activeProfile", r[2]));
            break;
        case CMD_DPI:
            out += Cat(" ", DecodeDpi(r));
            break;
        case CMD_OPTION07:
            out += Cat(" profile ", Num(r[2]), ": ", Named("option07", r[3]));
            break;
        case CMD_LIGHTING:
            out += Cat(" ", DecodeLighting(r));
            break;
        case CMD_BUTTONS:
            out += Cat(" ", DecodeButtons(r));
            break;
        case CMD_MACRO:
            out += Cat(" ", DecodeMacro(r));
            break;
        case CMD_END:
            out += Cat(" ", Named("profileOption", r[2]));
            break;
        default:
            break;
    }

    std::string notes;
    const auto note = [&](const std::string& text) { notes += Cat(notes.empty() ? "" : ", ", text); };
    if (r.ActualLength() != layout->length) {
        note(Cat("length ", std::to_string(r.ActualLength()), ", expected ", std::to_string(layout->length)));
    }
    for (const FixedByte& fixed : layout->fixed) {
        if (fixed.at < r.ActualLength() && r[fixed.at] != fixed.value) {
            note(Cat("byte ", std::to_string(fixed.at), " ", Hex2(r[fixed.at]), ", expected ", Hex2(fixed.value)));
        }
    }
    for (const std::size_t at : layout->zeros) {
        if (at < r.ActualLength() && r[at] != 0) note(Cat("byte ", std::to_string(at), " ", Hex2(r[at])));
    }
    if (!notes.empty()) out += Cat(" [", notes, "]");
    return out;
}

}  // namespace korvid
