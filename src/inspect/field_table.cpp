#include "inspect/field_table.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <unordered_map>

namespace korvid {
namespace {

// Which change flag a field of a record belongs to; resolved to a byte once
// the profile (and slot) of the row is known.
enum class FlagGroup : std::uint8_t { kNone, kActiveProfile, kDpi, kOption07, kLighting, kButton };

// One field of one record, before expansion.
struct RecordField {
    const char* name;
    std::size_t offset;  // in its record
    FieldType type;
    int count;  // array elements; 1 = a single value
    std::int64_t min;
    std::int64_t max;  // text: characters before the terminator
    FlagGroup flag;
    FieldRole role;
    int columns = 0;  // a second array dimension (buttonChanged[k][j]); 0 = none
};

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kUint32Max = std::numeric_limits<std::uint32_t>::max();

using enum FieldType;
using enum FlagGroup;
constexpr FieldRole kSet = FieldRole::kSetting;
constexpr FieldRole kSpare = FieldRole::kSpare;
constexpr FieldRole kFlag = FieldRole::kChangeFlag;
constexpr FieldRole kPad = FieldRole::kPadding;

// ShareData outside the profiles.
constexpr RecordField kShareFields[] = {
    {"spare0", offsetof(ShareData, spare0), kUint32, 1, 0, kUint32Max, kNone, kSpare},
    {"activeProfile", offsetof(ShareData, activeProfile), kInt32, 1, 0, kProfileCount - 1, kActiveProfile, kSet},
    {"activeProfileChanged", offsetof(ShareData, activeProfileChanged), kUint8, 1, 0, 1, kNone, kFlag},
    {"dpiChanged", offsetof(ShareData, dpiChanged), kUint8, kProfileCount, 0, 1, kNone, kFlag},
    {"option07Changed", offsetof(ShareData, option07Changed), kUint8, kProfileCount, 0, 1, kNone, kFlag},
    {"lightingChanged", offsetof(ShareData, lightingChanged), kUint8, kProfileCount, 0, 1, kNone, kFlag},
    {"buttonChanged", offsetof(ShareData, buttonChanged), kUint8, kProfileCount, 0, 1, kNone, kFlag, kButtonCount},
};

// The ranges: what the host or the device makes of a value. Fields of which
// the device takes the low byte accept 0..255; indexes accept what they
// index; the pointer settings accept what Windows can hold.
constexpr RecordField kProfileFields[] = {
    {"profileName", offsetof(ProfileData, profileName), kText, 1, 0, kProfileNameChars - 1, kNone, kSet},
    {"programPath", offsetof(ProfileData, programPath), kText, 1, 0, kProgramPathChars - 1, kNone, kSet},
    // Double-click time 900 - 70 * step ms: 60 to 4960 ms.
    {"doubleClickSpeed", offsetof(ProfileData, doubleClickSpeed), kInt32, 1, -58, 12, kNone, kSet},
    {"wheelScrollLines", offsetof(ProfileData, wheelScrollLines), kInt32, 1, 0, 100, kNone, kSet},
    {"wheelScrollPage", offsetof(ProfileData, wheelScrollPage), kInt32, 1, 0, 1, kNone, kSet},
    {"pointerSpeed", offsetof(ProfileData, pointerSpeed), kInt32, 1, 1, 11, kNone, kSet},
    {"spare1516", offsetof(ProfileData, spare1516), kInt32, 1, kInt32Min, kInt32Max, kNone, kSpare},
    {"pointerAcceleration", offsetof(ProfileData, pointerAcceleration), kInt32, 1, 0, 1, kNone, kSet},
    {"spare1524", offsetof(ProfileData, spare1524), kInt32, 1, kInt32Min, kInt32Max, kNone, kSpare},
    {"dpiOptionA", offsetof(ProfileData, dpiOptionA), kInt32, 1, 0, 255, kDpi, kSet},
    {"dpiOptionB", offsetof(ProfileData, dpiOptionB), kInt32, 1, 0, 255, kDpi, kSet},
    {"spare1536", offsetof(ProfileData, spare1536), kInt32, 1, kInt32Min, kInt32Max, kNone, kSpare},
    {"stageEnabled", offsetof(ProfileData, stageEnabled), kUint8, kStageCount, 0, 1, kDpi, kSet},
    // Resolution indexes: 1..62 direct, 63..125 the upper range.
    {"dpiX", offsetof(ProfileData, dpiX), kInt32, kStageCount, 1, 125, kDpi, kSet},
    {"dpiY", offsetof(ProfileData, dpiY), kInt32, kStageCount, 1, 125, kDpi, kSet},
    {"spare1612", offsetof(ProfileData, spare1612), kUint8, 1, 0, 255, kNone, kSpare},
    {"padding1613", offsetof(ProfileData, padding1613), kUint8, 3, 0, 255, kNone, kPad},
    {"currentStage", offsetof(ProfileData, currentStage), kInt32, 1, 0, kStageCount - 1, kDpi, kSet},
    {"stageColor", offsetof(ProfileData, stageColor), kColor, kStageCount, 0, kUint32Max, kDpi, kSet},
    {"dpiOptionC", offsetof(ProfileData, dpiOptionC), kUint8, 1, 0, 255, kDpi, kSet},
    {"padding1653", offsetof(ProfileData, padding1653), kUint8, 3, 0, 255, kNone, kPad},
    {"dpiOptionD", offsetof(ProfileData, dpiOptionD), kInt32, 1, 0, 255, kDpi, kSet},
    {"option07", offsetof(ProfileData, option07), kInt32, 1, 0, 255, kOption07, kSet},
    {"lightModeA", offsetof(ProfileData, lightModeA), kInt32, 1, 0, 255, kLighting, kSet},
    {"spare1668", offsetof(ProfileData, spare1668), kInt32, 1, kInt32Min, kInt32Max, kNone, kSpare},
    {"lightParamA1", offsetof(ProfileData, lightParamA1), kInt32, 1, 0, 255, kLighting, kSet},
    {"lightParamA2", offsetof(ProfileData, lightParamA2), kInt32, 1, 0, 255, kLighting, kSet},
    {"lightColorA", offsetof(ProfileData, lightColorA), kColor, 1, 0, kUint32Max, kLighting, kSet},
    {"lightSlotEnabled", offsetof(ProfileData, lightSlotEnabled), kUint8, kLightSlotCount, 0, 1, kLighting, kSet},
    {"lightSlotColor", offsetof(ProfileData, lightSlotColor), kColor, kLightSlotCount, 0, kUint32Max, kLighting, kSet},
    {"lightParamA3", offsetof(ProfileData, lightParamA3), kInt32, 1, 0, 255, kLighting, kSet},
    {"lightModeB", offsetof(ProfileData, lightModeB), kInt32, 1, 0, 255, kLighting, kSet},
    {"spare1732", offsetof(ProfileData, spare1732), kInt32, 1, kInt32Min, kInt32Max, kNone, kSpare},
    {"lightParamB1", offsetof(ProfileData, lightParamB1), kInt32, 1, 0, 255, kLighting, kSet},
    {"lightParamB2", offsetof(ProfileData, lightParamB2), kInt32, 1, 0, 255, kLighting, kSet},
    {"lightColorB", offsetof(ProfileData, lightColorB), kColor, 1, 0, kUint32Max, kLighting, kSet},
    // Sent at the end of every push: no flag.
    {"profileOption", offsetof(ProfileData, profileOption), kInt32, 1, 0, 255, kNone, kSet},
};

constexpr RecordField kButtonFields[] = {
    {"slotIndex", offsetof(ButtonData, slotIndex), kUint8, 1, 0, kButtonCount - 1, kButton, kSet},
    {"function", offsetof(ButtonData, function), kUint8, 1, 0, 255, kButton, kSet},
    {"keyModifiers", offsetof(ButtonData, keyModifiers), kUint8, 1, 0, 255, kButton, kSet},
    {"keyCode", offsetof(ButtonData, keyCode), kUint8, 1, 0, 255, kButton, kSet},
    // The host numbers the macros at every push; any stored number is kept.
    {"macroNumber", offsetof(ButtonData, macroNumber), kInt32, 1, kInt32Min, kInt32Max, kButton, kSet},
    {"macroOption", offsetof(ButtonData, macroOption), kInt32, 1, 0, 255, kButton, kSet},
    {"macroName", offsetof(ButtonData, macroName), kText, 1, 0, kMacroNameChars - 1, kNone, kSet},
    {"macroRepeat", offsetof(ButtonData, macroRepeat), kInt32, 1, 0, 255, kButton, kSet},
    {"eventCount", offsetof(ButtonData, eventCount), kUint16, 1, 0, kMaxMacroEvents, kButton, kSet},
    {"launchPath", offsetof(ButtonData, launchPath), kText, 1, 0, kLaunchPathChars - 1, kNone, kSet},
    {"padding746", offsetof(ButtonData, padding746), kUint8, 2, 0, 255, kNone, kPad},
};

constexpr RecordField kEventFields[] = {
    {"key", offsetof(MacroEvent, key), kUint8, 1, 0, 255, kButton, kSet},
    {"state", offsetof(MacroEvent, state), kUint8, 1, 0, 255, kButton, kSet},  // 1 press, other release
    {"delay", offsetof(MacroEvent, delay), kUint16, 1, 0, 65535, kButton, kSet},
};

std::size_t ElementSize(const RecordField& f) {
    switch (f.type) {
        case kInt32:
        case kUint32:
        case kColor:
            return 4;
        case kUint16:
            return 2;
        case kUint8:
            return 1;
        case kText:
            return 2 * static_cast<std::size_t>(f.max + 1);
    }
    return 1;
}

std::optional<std::size_t> FlagOffset(FlagGroup group, int k, int j) {
    const auto kk = static_cast<std::size_t>(k);
    switch (group) {
        case kNone:
            return std::nullopt;
        case kActiveProfile:
            return offsetof(ShareData, activeProfileChanged);
        case kDpi:
            return offsetof(ShareData, dpiChanged) + kk;
        case kOption07:
            return offsetof(ShareData, option07Changed) + kk;
        case kLighting:
            return offsetof(ShareData, lightingChanged) + kk;
        case kButton:
            return offsetof(ShareData, buttonChanged) + kButtonCount * kk + static_cast<std::size_t>(j);
    }
    return std::nullopt;
}

std::string Indexed(int i) {
    std::string text = "[";
    text += std::to_string(i);
    text += ']';
    return text;
}

// Appends the rows of one record at base, names prefixed; k and j are the
// profile and slot the record belongs to (-1 outside).
template <std::size_t N>
void AddRecord(std::vector<Field>& table, const RecordField (&fields)[N], const std::string& prefix, std::size_t base,
               int k, int j) {
    for (const RecordField& f : fields) {
        const std::size_t element = ElementSize(f);
        const int rows = f.count;
        const int columns = f.columns == 0 ? 1 : f.columns;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                Field row;
                row.name = prefix + f.name;
                if (f.count > 1) row.name += Indexed(r);
                if (f.columns > 0) row.name += Indexed(c);
                row.offset = base + f.offset + element * static_cast<std::size_t>(r * columns + c);
                row.size = element;
                row.type = f.type;
                row.role = f.role;
                row.min = f.min;
                row.max = f.max;
                row.changeFlag = FlagOffset(f.flag, k, j);
                row.profile = k;
                table.push_back(std::move(row));
            }
        }
    }
}

std::vector<Field> BuildTable() {
    std::vector<Field> table;
    AddRecord(table, kShareFields, "", 0, -1, -1);
    for (int k = 0; k < kProfileCount; ++k) {
        const std::string profile = "profiles" + Indexed(k) + ".";
        AddRecord(table, kProfileFields, profile, ProfileOffset(k), k, -1);
        for (int j = 0; j < kButtonCount; ++j) {
            const std::string slot = profile + "buttons" + Indexed(j) + ".";
            AddRecord(table, kButtonFields, slot, ButtonOffset(k, j), k, j);
            for (int e = 0; e < kMaxMacroEvents; ++e) {
                AddRecord(table, kEventFields, slot + "events" + Indexed(e) + ".",
                          ButtonOffset(k, j) + offsetof(ButtonData, events) + kMacroEventSize * e, k, j);
            }
        }
    }
    std::stable_sort(table.begin(), table.end(), [](const Field& a, const Field& b) { return a.offset < b.offset; });
    return table;
}

// A name split into its pattern (every "[digits]" replaced by "[]") and the
// indexes it held; nothing when a bracket holds anything but digits.
struct NameShape {
    std::string pattern;
    std::vector<long long> indexes;
    std::vector<std::string> owners;  // the name part before each bracket
};

std::optional<NameShape> ShapeOf(std::string_view name) {
    NameShape shape;
    std::size_t partStart = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '.') partStart = i + 1;
        if (c != '[') {
            shape.pattern += c;
            continue;
        }
        const std::size_t close = name.find(']', i);
        if (close == std::string_view::npos || close == i + 1 || close - i > 10) return std::nullopt;
        long long index = 0;
        for (std::size_t d = i + 1; d < close; ++d) {
            if (name[d] < '0' || name[d] > '9') return std::nullopt;
            index = index * 10 + (name[d] - '0');
        }
        std::size_t ownerStart = partStart;
        shape.owners.emplace_back(name.substr(ownerStart, name.find('[', ownerStart) - ownerStart));
        shape.indexes.push_back(index);
        shape.pattern += "[]";
        i = close;
    }
    return shape;
}

struct Index {
    std::unordered_map<std::string_view, const Field*> byName;
    std::map<std::string, std::vector<long long>> boundsByPattern;  // elements per bracket
};

const Index& NameIndex() {
    static const Index index = [] {
        Index built;
        for (const Field& field : FieldTable()) {
            built.byName.emplace(field.name, &field);
            const std::optional<NameShape> shape = ShapeOf(field.name);
            if (!shape) continue;
            std::vector<long long>& bounds = built.boundsByPattern[shape->pattern];
            bounds.resize(shape->indexes.size(), 0);
            for (std::size_t i = 0; i < bounds.size(); ++i) bounds[i] = std::max(bounds[i], shape->indexes[i] + 1);
        }
        return built;
    }();
    return index;
}

const std::uint8_t* BytesOf(const ShareData& image) { return reinterpret_cast<const std::uint8_t*>(&image); }
std::uint8_t* BytesOf(ShareData& image) { return reinterpret_cast<std::uint8_t*>(&image); }

template <typename T>
T Load(const ShareData& image, std::size_t offset) {
    T value;
    std::memcpy(&value, BytesOf(image) + offset, sizeof value);
    return value;
}

template <typename T>
void Store(ShareData& image, std::size_t offset, std::int64_t value) {
    const T stored = static_cast<T>(value);
    std::memcpy(BytesOf(image) + offset, &stored, sizeof stored);
}

}  // namespace

const std::vector<Field>& FieldTable() {
    static const std::vector<Field> table = BuildTable();
    return table;
}

const Field* FindField(std::string_view name) {
    const auto& byName = NameIndex().byName;
    const auto found = byName.find(name);
    return found == byName.end() ? nullptr : found->second;
}

std::string ExplainUnknownName(std::string_view name) {
    const std::optional<NameShape> shape = ShapeOf(name);
    if (shape) {
        const auto& patterns = NameIndex().boundsByPattern;
        const auto found = patterns.find(shape->pattern);
        if (found != patterns.end()) {
            for (std::size_t i = 0; i < shape->indexes.size(); ++i) {
                if (shape->indexes[i] >= found->second[i]) {
                    return "has index " + std::to_string(shape->indexes[i]) + " where " + shape->owners[i] +
                           " takes 0 to " + std::to_string(found->second[i] - 1);
                }
            }
        }
    }
    return "is not a field name";
}

FieldValue ReadField(const ShareData& image, const Field& field) {
    switch (field.type) {
        case kInt32:
            return std::int64_t{Load<std::int32_t>(image, field.offset)};
        case kUint32:
        case kColor:
            return std::int64_t{Load<std::uint32_t>(image, field.offset)};
        case kUint16:
            return std::int64_t{Load<std::uint16_t>(image, field.offset)};
        case kUint8:
            return std::int64_t{Load<std::uint8_t>(image, field.offset)};
        case kText:
            break;
    }
    std::u16string text;
    for (std::size_t at = field.offset; at < field.offset + field.size; at += 2) {
        const auto c = Load<char16_t>(image, at);
        if (c == u'\0') break;
        text += c;
    }
    return text;
}

void WriteField(ShareData& image, const Field& field, const FieldValue& value) {
    if (field.type == kText) {
        const std::u16string* text = std::get_if<std::u16string>(&value);
        std::uint8_t* bytes = BytesOf(image) + field.offset;
        std::memset(bytes, 0, field.size);
        if (text == nullptr) return;
        const std::size_t chars = std::min(text->size(), field.size / 2 - 1);
        std::memcpy(bytes, text->data(), chars * 2);
        return;
    }
    const std::int64_t* number = std::get_if<std::int64_t>(&value);
    const std::int64_t n = number == nullptr ? 0 : *number;
    switch (field.type) {
        case kInt32:
            Store<std::int32_t>(image, field.offset, n);
            break;
        case kUint32:
        case kColor:
            Store<std::uint32_t>(image, field.offset, n);
            break;
        case kUint16:
            Store<std::uint16_t>(image, field.offset, n);
            break;
        case kUint8:
            Store<std::uint8_t>(image, field.offset, n);
            break;
        case kText:
            break;
    }
}

}  // namespace korvid
