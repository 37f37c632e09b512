#include "inspect/frame_decoder.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "device/command_layouts.h"
#include "inspect/config_text.h"
#include "inspect/field_table.h"

namespace korvid {
namespace {

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
    std::span<const std::uint8_t> Bytes() const { return bytes_; }
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

std::int64_t ColorOf(const Reader& r, std::size_t at) { return ColorAt(r.Bytes(), at); }

std::string Colors(const Reader& r, std::size_t at, int count, std::string_view field) {
    std::string out(field);
    const Field* row = FindField(Cat("profiles[0].", field, "[0]"));
    for (int i = 0; i < count; ++i) {
        const std::int64_t color = ColorOf(r, at + kColorBytes * static_cast<std::size_t>(i));
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
    using L = DpiLayout;
    return Cat("profile ", Num(r[L::kProfile]), ": stages ", MaskRanges(r[L::kStageMask]), " on, current ",
               Num(r[L::kCurrentStage] + 1u), ", ", Axis(r, "X", L::kXValues, L::kXRangeMask), ", ",
               Axis(r, "Y", L::kYValues, L::kYRangeMask), ", ", Colors(r, L::kStageColors, kStageCount, "stageColor"),
               ", ", Named("dpiOptionA", r[L::kOptionA]), ", ", Named("dpiOptionB", r[L::kOptionB]), ", ",
               Named("dpiOptionC", r[L::kOptionC]), ", ", Named("dpiOptionD", r[L::kOptionD]));
}

std::string Mode(const Reader& r, std::size_t at, const char* zone) {
    std::string out = Cat("zone ", zone, " ");
    if (r[at] == 0) {
        out += "off";
        if (r[at + 1] != 0) out += Cat(" (mode byte ", Num(r[at + 1]), ")");
        return out;
    }
    if (r[at] != kLightZoneOn) out += Cat("on-byte ", Hex2(r[at]), " ");
    return Cat(out, "mode ", Num(r[at + 1]));
}

std::string DecodeLighting(const Reader& r) {
    using L = LightingLayout;
    return Cat("profile ", Num(r[L::kProfile]), ": ", Mode(r, L::kModeA, "A"), ", ",
               Named("lightParamA1", r[L::kParamA1]), ", ", Named("lightParamA2", r[L::kParamA2]), ", ",
               Named("lightColorA", ColorOf(r, L::kColorA)), ", slots ", MaskRanges(r[L::kSlotMask]), " on, ",
               Colors(r, L::kSlotColors, kLightSlotCount, "lightSlotColor"), ", ",
               Named("lightParamA3", r[L::kParamA3]), "; ", Mode(r, L::kModeB, "B"), ", ",
               Named("lightParamB1", r[L::kParamB1]), ", ", Named("lightParamB2", r[L::kParamB2]), ", ",
               Named("lightColorB", ColorOf(r, L::kColorB)));
}

// The three bytes of slot j in words.
std::string Assignment(const Reader& r, int j) {
    const std::size_t at = ButtonsLayout::Slot(j);
    const std::uint8_t f = r[at + kSlotFunction];
    const std::uint8_t a = r[at + kSlotParam1];
    const std::uint8_t b = r[at + kSlotParam2];
    if (f == 0 && a == 0 && b == 0) return "none";
    if (f == kFunctionKey) return Cat("key ", Num(b), " modifiers ", Hex2(a));
    if (f == kFunctionMacro) return Cat("macro ", Num(b), " option ", Num(a));
    std::string out = Cat("function ", Num(f));
    if (a != 0 || b != 0) out += Cat(" (", Num(a), " ", Num(b), ")");
    return out;
}

std::string DecodeButtons(const Reader& r) {
    std::string out = Cat("profile ", Num(r[ButtonsLayout::kProfile]), ":");
    for (int j = 0; j < kButtonCount;) {
        const std::string text = Assignment(r, j);
        int last = j;
        while (last + 1 < kButtonCount && Assignment(r, last + 1) == text) ++last;
        out += j == 0 ? " " : ", ";
        out += Cat("[", Num(static_cast<unsigned>(j)));
        if (last > j) out += Cat("-", Num(static_cast<unsigned>(last)));
        out += Cat("] ", text);
        j = last + 1;
    }
    return out;
}

std::string MacroName(const Reader& r) {
    constexpr std::size_t kName = MacroLayout::kName;
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
    using L = MacroLayout;
    using E = MacroEntryLayout;
    const unsigned counted = r[L::kUnitCount];
    std::string steps;
    std::size_t at = L::kEntries;
    unsigned units = 0;
    // A long entry starts with kMacroLongLead: so does a short one whose delay
    // is below 4 ms. The unit byte, 1 to 3, tells them apart.
    const auto unitOf = [&](std::size_t entry) -> const MacroDelayUnit* {
        for (const MacroDelayUnit& u : kMacroDelayUnits) {
            if (r[entry + E::kUnit] == u.unit) return &u;
        }
        return nullptr;
    };
    while (units < counted && at + E::kShortBytes <= kMacroLength) {
        const std::uint8_t lead = r[at + E::kLead];
        const char* action = (lead & kMacroReleaseBit) ? "release " : "press ";
        const unsigned leadValue = static_cast<std::uint8_t>(lead & ~kMacroReleaseBit);
        const std::size_t longUnits = E::kLongBytes / L::kUnitBytes;
        const MacroDelayUnit* unit =
            leadValue == kMacroLongLead && units + longUnits <= counted && at + E::kLongBytes <= kMacroLength
                ? unitOf(at)
                : nullptr;
        steps += steps.empty() ? " " : ", ";
        steps += Cat(action, Num(r[at + E::kKey]), " ");
        if (unit != nullptr) {
            steps += Cat(Num(r[at + E::kValue] * unit->milliseconds), "ms");
            at += E::kLongBytes;
            units += longUnits;
        } else {
            steps += Cat("~", Num(leadValue * 2), "ms");
            at += E::kShortBytes;
            units += 1;
        }
    }
    std::string out =
        Cat(Num(r[L::kNumber]), ": ", Named("macroOption", r[L::kOption]), ", ", Named("macroRepeat", r[L::kRepeat]),
            ", macroName ", MacroName(r), ", ", steps.empty() ? "no steps" : Cat("steps", steps));
    if (units != counted) out += Cat(" [unit count ", Num(counted), ", ", Num(units), " read]");
    return out;
}

}  // namespace

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (const std::uint8_t b : bytes) {
        char cell[4];
        std::snprintf(cell, sizeof cell, "%s%02X", out.empty() ? "" : " ", b);
        out += cell;
    }
    return out;
}

std::string DecodeFrame(std::span<const std::uint8_t> frame) {
    if (frame.empty()) return "empty frame";
    const CommandLayout* layout = FindCommandLayout(frame[kCommandByte]);
    if (layout == nullptr) {
        return Cat("unknown command ", Hex2(frame[0]), ", ", std::to_string(frame.size()), " bytes: ", Hex(frame));
    }
    const Reader r(frame, layout->length);
    std::string out = layout->name;
    switch (layout->command) {
        case CMD_ACTIVE_PROFILE:
            out += Cat(" ", Named("activeProfile", r[ActiveProfileLayout::kProfile]));
            break;
        case CMD_DPI:
            out += Cat(" ", DecodeDpi(r));
            break;
        case CMD_OPTION07:
            out +=
                Cat(" profile ", Num(r[Option07Layout::kProfile]), ": ", Named("option07", r[Option07Layout::kValue]));
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
            out += Cat(" ", Named("profileOption", r[EndLayout::kValue]));
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
