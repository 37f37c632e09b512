#include "customizer/field_binding.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <vector>

#include "customizer/control_ids.h"
#include "customizer/edit_session.h"
#include "inspect/config_text.h"
#include "runtime/pointer_settings.h"

namespace korvid {
namespace {

using enum BindingKind;

constexpr std::array<Binding, 26> kPlainBindings = {{
    {ID_PROFILE_NAME, kText, "profileName", -1},
    {ID_POINTER_SPEED, kNumber, "pointerSpeed", -1},
    {ID_POINTER_ACCEL, kCheck, "pointerAcceleration", -1},
    {ID_DOUBLE_CLICK, kDoubleClick, "doubleClickSpeed", -1},
    {ID_WHEEL_LINES, kNumber, "wheelScrollLines", -1},
    {ID_WHEEL_PAGE_MODE, kCheck, "wheelScrollPage", -1},
    {ID_PROGRAM_PATH, kText, "programPath", -1},
    {ID_OPTION07, kNumber, "option07", -1},
    {ID_PROFILE_OPTION, kNumber, "profileOption", -1},
    {ID_DPI_OPTION_A, kNumber, "dpiOptionA", -1},
    {ID_DPI_OPTION_B, kNumber, "dpiOptionB", -1},
    {ID_DPI_OPTION_C, kNumber, "dpiOptionC", -1},
    {ID_DPI_OPTION_D, kNumber, "dpiOptionD", -1},
    {ID_LIGHT_MODE_A, kMode, "lightModeA", -1},
    {ID_LIGHT_PARAM_A1, kNumber, "lightParamA1", -1},
    {ID_LIGHT_PARAM_A2, kNumber, "lightParamA2", -1},
    {ID_LIGHT_PARAM_A3, kNumber, "lightParamA3", -1},
    {ID_LIGHT_COLOR_A, kColor, "lightColorA", -1},
    {ID_LIGHT_MODE_B, kMode, "lightModeB", -1},
    {ID_LIGHT_PARAM_B1, kNumber, "lightParamB1", -1},
    {ID_LIGHT_PARAM_B2, kNumber, "lightParamB2", -1},
    {ID_LIGHT_COLOR_B, kColor, "lightColorB", -1},
    {ID_BUTTON_LAUNCH, kText, "launchPath", -1, BindingScope::kButton},
    {ID_MACRO_NAME, kText, "macroName", -1, BindingScope::kMacro},
    {ID_MACRO_REPEAT, kNumber, "macroRepeat", -1, BindingScope::kMacro},
    {ID_MACRO_OPTION, kNumber, "macroOption", -1, BindingScope::kMacro},
}};

std::vector<Binding> BuildBindings() {
    std::vector<Binding> all(kPlainBindings.begin(), kPlainBindings.end());
    for (int stage = 0; stage < kStageCount; ++stage) {
        all.push_back({ID_STAGE_ENABLED + stage, kCheck, "stageEnabled", stage});
        all.push_back({ID_STAGE_X + stage, kDpi, "dpiX", stage});
        all.push_back({ID_STAGE_Y + stage, kDpi, "dpiY", stage});
    }
    for (int slot = 0; slot < kLightSlotCount; ++slot) {
        all.push_back({ID_LIGHT_SLOT_ENABLED + slot, kCheck, "lightSlotEnabled", slot});
        all.push_back({ID_LIGHT_SLOT_COLOR + slot, kColor, "lightSlotColor", slot});
    }
    return all;
}

}  // namespace

std::span<const Binding> Bindings() {
    static const std::vector<Binding> all = BuildBindings();
    return all;
}

const Binding* FindBinding(int controlId) {
    for (const Binding& binding : Bindings()) {
        if (binding.controlId == controlId) return &binding;
    }
    return nullptr;
}

const Field* FieldOf(const Binding& binding, int profile, int slot) {
    if (binding.scope == BindingScope::kProfile) return ProfileField(profile, binding.field, binding.element);
    return ProfileField(profile, "buttons[" + std::to_string(slot) + "]." + binding.field, binding.element);
}

const Field* ProfileField(int profile, std::string_view name, int element) {
    std::string full = "profiles[";
    full += std::to_string(profile);
    full += "].";
    full += name;
    if (element >= 0) {
        full += '[';
        full += std::to_string(element);
        full += ']';
    }
    return FindField(full);
}

TypedValue ParseTyped(const Field& field, std::u16string_view text) {
    TypedValue typed;
    FieldValue value;
    if (field.type == FieldType::kColor) {
        std::string ascii;
        for (char16_t c : text) ascii.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        auto parsed = ParseFieldValue(field, ascii);
        if (auto* refusal = std::get_if<std::string>(&parsed)) {
            typed.refusal = field.name + ": " + *refusal;
            return typed;
        }
        value = std::get<FieldValue>(parsed);
    } else if (field.type == FieldType::kText) {
        value = std::u16string(text);
    } else {
        std::string digits;
        for (char16_t c : text) {
            if (c > 0x7F) {
                digits.clear();
                break;
            }
            digits.push_back(static_cast<char>(c));
        }
        const auto first = digits.find_first_not_of(' ');
        const auto last = digits.find_last_not_of(' ');
        digits = first == std::string::npos ? std::string() : digits.substr(first, last - first + 1);
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
            typed.refusal = field.name + " takes a whole number from " + std::to_string(field.min) + " to " +
                            std::to_string(field.max);
            return typed;
        }
        value = number;
    }
    typed.refusal = CheckValue(field, value);
    if (typed.refusal.empty()) typed.value = std::move(value);
    return typed;
}

std::span<const int> DoubleClickSteps() {
    static const std::vector<int> steps = [] {
        const Field* field = FindField("profiles[0].doubleClickSpeed");
        std::vector<int> all;
        for (std::int64_t step = field->max; step >= field->min; --step) all.push_back(static_cast<int>(step));
        return all;
    }();
    return steps;
}

int DoubleClickMs(int step) { return DoubleClickTime(step); }

}  // namespace korvid
