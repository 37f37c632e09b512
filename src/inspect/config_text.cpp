#include "inspect/config_text.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <set>

#include "config/factory_defaults.h"
#include "inspect/utf8_text.h"

namespace korvid {
namespace {

// Larger magnitudes are simply out of every range.
constexpr std::int64_t kLargestParsed = std::int64_t{1} << 40;

std::optional<int> HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return std::nullopt;
}

// "-12", "+7", "0x1f": nothing for anything else. Magnitudes beyond
// kLargestParsed come back as kLargestParsed + 1 (with their sign).
std::optional<std::int64_t> ParseNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        const std::optional<int> digit = HexDigit(c);
        if (!digit || *digit >= base) return std::nullopt;
        if (value <= kLargestParsed) value = value * base + *digit;
    }
    if (value > kLargestParsed) value = kLargestParsed + 1;
    return negative ? -value : value;
}

// "#RRGGBB" as the stored 0x00BBGGRR.
std::optional<std::int64_t> ParseWebColor(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') return std::nullopt;
    std::int64_t rgb = 0;
    for (const char c : text.substr(1)) {
        const std::optional<int> digit = HexDigit(c);
        if (!digit) return std::nullopt;
        rgb = rgb * 16 + *digit;
    }
    const std::int64_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return b << 16 | g << 8 | r;
}

std::string Quoted(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::string shown(text.substr(0, kShown));
    if (text.size() > kShown) shown += "...";
    return "\"" + shown + "\"";
}

std::string Range(const Field& field) {
    if (field.type == FieldType::kColor) return "#000000 to #FFFFFF, or 0 to 0xFFFFFFFF";
    return std::to_string(field.min) + " to " + std::to_string(field.max);
}

}  // namespace

std::variant<FieldValue, std::string> ParseFieldValue(const Field& field, std::string_view text) {
    if (field.type == FieldType::kText) {
        const std::optional<std::u16string> utf16 = Utf8ToUtf16(text);
        if (!utf16) return std::string("text is not valid UTF-8");
        for (const char16_t c : *utf16) {
            if (c < 0x20 || c == 0x7F) return std::string("text holds a control character");
        }
        if (static_cast<std::int64_t>(utf16->size()) > field.max) {
            return "text of " + std::to_string(utf16->size()) + " characters is too long (at most " +
                   std::to_string(field.max) + ")";
        }
        return FieldValue(*utf16);
    }
    std::optional<std::int64_t> number = ParseNumber(text);
    if (!number && field.type == FieldType::kColor) number = ParseWebColor(text);
    if (!number) {
        const char* kind =
            field.type == FieldType::kColor ? "a colour (#RRGGBB or a number)" : "a number (decimal, or hex with 0x)";
        return Quoted(text) + " is not " + kind;
    }
    if (*number < field.min || *number > field.max) return Quoted(text) + " is out of range (" + Range(field) + ")";
    return FieldValue(*number);
}

namespace {

// "name=value" into an assignment, or a refusal naming the item.
std::variant<Assignment, std::string> ParseItem(std::string_view item) {
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos) return Quoted(item) + " is not of the form NAME=VALUE";
    const std::string_view name = item.substr(0, equals);
    const std::string_view text = item.substr(equals + 1);
    const Field* field = FindField(name);
    if (field == nullptr) return Quoted(name) + " " + ExplainUnknownName(name);
    if (field->role == FieldRole::kPadding) return std::string(name) + " is padding and cannot be set";
    auto value = ParseFieldValue(*field, text);
    if (auto* refusal = std::get_if<std::string>(&value)) return std::string(name) + ": " + *refusal;
    return Assignment{field, std::get<FieldValue>(std::move(value))};
}

void Collect(ParsedAssignments& parsed, std::set<const Field*>& seen, std::string_view item,
             const std::string& refusalPrefix) {
    auto result = ParseItem(item);
    if (auto* refusal = std::get_if<std::string>(&result)) {
        parsed.refusals.push_back(refusalPrefix + *refusal);
        return;
    }
    Assignment& a = std::get<Assignment>(result);
    if (!seen.insert(a.field).second) {
        parsed.refusals.push_back(refusalPrefix + a.field->name + " is given twice");
        return;
    }
    parsed.assignments.push_back(std::move(a));
}

void Finish(ParsedAssignments& parsed) {
    if (!parsed.refusals.empty()) parsed.assignments.clear();
}

bool Exported(const Field& field) { return field.role == FieldRole::kSetting || field.role == FieldRole::kSpare; }

void AppendLine(std::string& out, const ShareData& image, const Field& field) {
    out += FormatField(image, field);
    out += '\n';
}

}  // namespace

std::string FormatValue(const Field& field, const FieldValue& value) {
    if (const auto* text = std::get_if<std::u16string>(&value)) {
        // Control characters would break the line; they cannot be set anyway.
        std::u16string shown = *text;
        for (char16_t& c : shown) {
            if (c < 0x20 || c == 0x7F) c = u'\uFFFD';
        }
        return Utf16ToUtf8(shown);
    }
    const std::int64_t n = std::get<std::int64_t>(value);
    if (field.type == FieldType::kColor) {
        char cell[24];
        if ((n >> 24) != 0) {
            std::snprintf(cell, sizeof cell, "0x%08llX", static_cast<unsigned long long>(n & 0xFFFFFFFF));
        } else {
            std::snprintf(cell, sizeof cell, "#%02X%02X%02X", static_cast<unsigned>(n & 0xFF),
                          static_cast<unsigned>((n >> 8) & 0xFF), static_cast<unsigned>((n >> 16) & 0xFF));
        }
        return cell;
    }
    return std::to_string(n);
}

std::string FormatField(const ShareData& image, const Field& field) {
    return field.name + "=" + FormatValue(field, ReadField(image, field));
}

std::string ExportText(const ShareData& image) {
    std::string out;
    for (const Field& field : FieldTable()) {
        if (Exported(field)) AppendLine(out, image, field);
    }
    return out;
}

std::string ShowText(const ShareData& image, bool all) {
    auto defaults = std::make_unique<ShareData>();
    BuildFactoryDefaults(*defaults);
    const auto shown = [&](const Field& field) {
        if (field.role == FieldRole::kPadding) return false;
        if (field.role == FieldRole::kChangeFlag) return all || ReadField(image, field) != FieldValue(std::int64_t{0});
        if (all) return true;
        return ReadField(image, field) != ReadField(*defaults, field);
    };

    std::string out;
    // The fields outside the profiles, with activeProfile always.
    for (const Field& field : FieldTable()) {
        if (field.profile >= 0 || field.role == FieldRole::kChangeFlag) continue;
        if (field.name == "activeProfile" || shown(field)) AppendLine(out, image, field);
    }
    for (int k = 0; k < kProfileCount; ++k) {
        const Field* nameField = FindField("profiles[" + std::to_string(k) + "].profileName");
        out += "\n== profile " + std::to_string(k) + " \"" + FormatValue(*nameField, ReadField(image, *nameField)) +
               "\"" + (image.activeProfile == k ? " (active)" : "") + "\n";
        std::size_t lines = 0;
        for (const Field& field : FieldTable()) {
            if (field.profile != k || !shown(field)) continue;
            AppendLine(out, image, field);
            ++lines;
        }
        if (lines == 0) out += "(as the factory defaults)\n";
    }
    std::string flags;
    for (const Field& field : FieldTable()) {
        if (field.role == FieldRole::kChangeFlag && shown(field)) AppendLine(flags, image, field);
    }
    out += "\n== change flags\n";
    out += flags.empty() ? "(none set)\n" : flags;
    return out;
}

ParsedAssignments ParseAssignments(std::span<const std::string> items) {
    ParsedAssignments parsed;
    std::set<const Field*> seen;
    for (const std::string& item : items) Collect(parsed, seen, item, "");
    Finish(parsed);
    return parsed;
}

ParsedAssignments ParseImportText(std::string_view text) {
    ParsedAssignments parsed;
    std::set<const Field*> seen;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        Collect(parsed, seen, line, "line " + std::to_string(lineNumber) + ": ");
    }
    Finish(parsed);
    return parsed;
}

}  // namespace korvid
