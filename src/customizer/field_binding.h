// Which control of the customizer shows which field of the profile being
// edited, and how text a person typed becomes a value. The window code fills
// every bound control from the session and, when one changes, turns its
// content into a value here, checks it (CheckValue) and stores it, or shows
// the refusal; nothing else decides what a control means.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "inspect/field_table.h"

namespace korvid {

enum class BindingKind {
    kNumber,       // edit holding a decimal number
    kText,         // edit holding text
    kCheck,        // check box: 0 or 1
    kDpi,          // combo box of OfferedDpis; the field holds the index
    kDoubleClick,  // combo box of DoubleClickSteps, shown in milliseconds
    kMode,         // combo box whose item i is the value i (lighting modes 0..255)
    kColor,        // edit holding #RRGGBB, read as korvidctl reads a colour
};

// Where a binding's field lies inside the edited profile.
enum class BindingScope {
    kProfile,  // a field of the profile
    kButton,   // a field of the button slot the Buttons page shows
    kMacro,    // a field of the macro button the Macros page shows
};

struct Binding {
    int controlId;
    BindingKind kind;
    const char* field;  // inside profiles[k] (or its slot): "pointerSpeed", "dpiX", "macroName"
    int element;        // array element (stage), -1 for plain fields
    BindingScope scope = BindingScope::kProfile;
};

std::span<const Binding> Bindings();
const Binding* FindBinding(int controlId);

// The row of the binding's field in profile k (and button slot j for the
// fields of a slot).
const Field* FieldOf(const Binding& binding, int profile, int slot = 0);
// The row of "profiles[k].name" or "profiles[k].name[element]".
const Field* ProfileField(int profile, std::string_view name, int element = -1);

struct TypedValue {
    std::optional<FieldValue> value;  // set when the text is acceptable
    std::string refusal;              // otherwise the sentence to show
};

// Text from a number or text edit, checked against the field.
TypedValue ParseTyped(const Field& field, std::u16string_view text);

// Double-click steps the customizer offers, shortest time first, and the
// time each one gives.
std::span<const int> DoubleClickSteps();
int DoubleClickMs(int step);

}  // namespace korvid
