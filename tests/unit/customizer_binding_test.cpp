// What the customizer's controls mean: every bound control names a field that
// exists in each profile, text typed into a control is refused with a reason
// or becomes a value the field may hold, and a kept draft's edits come back
// over a newer image without disturbing what the draft did not touch.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "config/factory_defaults.h"
#include "customizer/control_ids.h"
#include "customizer/edit_session.h"
#include "customizer/field_binding.h"
#include "inspect/field_table.h"

namespace korvid {
namespace {

TEST(CustomizerBinding, EveryControlNamesAFieldOfEveryProfileOnce) {
    std::set<int> ids;
    for (const Binding& binding : Bindings()) {
        SCOPED_TRACE(binding.field);
        EXPECT_TRUE(ids.insert(binding.controlId).second) << "control " << binding.controlId << " bound twice";
        for (int profile = 0; profile < 5; ++profile) {
            const Field* field = FieldOf(binding, profile);
            ASSERT_NE(field, nullptr);
            EXPECT_EQ(field->profile, profile);
            EXPECT_EQ(field->role, FieldRole::kSetting);
        }
    }
    EXPECT_EQ(FindBinding(ID_STAGE_Y + 7)->element, 7);
    // Fields of a button slot: the slot the page shows.
    EXPECT_EQ(FieldOf(*FindBinding(ID_MACRO_NAME), 2, 9)->name, "profiles[2].buttons[9].macroName");
    EXPECT_EQ(FieldOf(*FindBinding(ID_BUTTON_LAUNCH), 4, 19)->name, "profiles[4].buttons[19].launchPath");
    EXPECT_EQ(FindBinding(ID_APPLY), nullptr);
}

TEST(CustomizerBinding, TypedTextIsRefusedWithAReasonOrTaken) {
    const struct {
        const char* name;
        const char* field;
        std::u16string text;
        bool taken;
        std::int64_t number;
    } kCases[] = {
        {"speed in range", "profiles[1].pointerSpeed", u"11", true, 11},
        {"speed with spaces", "profiles[1].pointerSpeed", u" 3 ", true, 3},
        {"speed above", "profiles[1].pointerSpeed", u"12", false, 0},
        {"speed zero", "profiles[1].pointerSpeed", u"0", false, 0},
        {"empty", "profiles[1].pointerSpeed", u"", false, 0},
        {"not a number", "profiles[1].pointerSpeed", u"fast", false, 0},
        {"trailing letters", "profiles[1].option07", u"7x", false, 0},
        {"fullwidth digit", "profiles[1].option07", u"\uff17", false, 0},
        {"byte top", "profiles[4].profileOption", u"255", true, 255},
        {"byte over", "profiles[4].profileOption", u"256", false, 0},
        {"negative", "profiles[4].option07", u"-1", false, 0},
        {"huge", "profiles[0].wheelScrollLines", u"99999999999999999999999", false, 0},
        {"colour as #RRGGBB, stored 0x00BBGGRR", "profiles[1].lightColorB", u"#102030", true, 0x302010},
        {"colour as the stored number", "profiles[1].lightSlotColor[7]", u"0x0000FF", true, 0xFF},
        {"colour by name", "profiles[1].lightColorA", u"red", false, 0},
        {"colour with a letter beyond ASCII", "profiles[1].lightColorA", u"#10203\uff10", false, 0},
        {"a macro's repeat", "profiles[0].buttons[4].macroRepeat", u"256", false, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const Field* field = FindField(c.field);
        ASSERT_NE(field, nullptr);
        const TypedValue typed = ParseTyped(*field, c.text);
        EXPECT_EQ(typed.value.has_value(), c.taken);
        if (c.taken) {
            EXPECT_EQ(std::get<std::int64_t>(*typed.value), c.number);
            EXPECT_TRUE(typed.refusal.empty());
        } else {
            EXPECT_FALSE(typed.refusal.empty());
        }
    }
    const Field* path = FindField("profiles[2].programPath");
    EXPECT_TRUE(ParseTyped(*path, u"C:\\Games\\game.exe").value.has_value());
    EXPECT_FALSE(ParseTyped(*path, std::u16string(500, u'a')).value.has_value());
}

TEST(CustomizerBinding, DoubleClickChoicesCoverTheFieldShortestFirst) {
    const auto steps = DoubleClickSteps();
    const Field* field = FindField("profiles[0].doubleClickSpeed");
    ASSERT_EQ(static_cast<std::int64_t>(steps.size()), field->max - field->min + 1);
    EXPECT_EQ(DoubleClickMs(steps.front()), 900 - 70 * static_cast<int>(field->max));
    for (std::size_t i = 1; i < steps.size(); ++i) EXPECT_LT(DoubleClickMs(steps[i - 1]), DoubleClickMs(steps[i]));
    EXPECT_EQ(DoubleClickMs(6), 480);  // the factory step
}

TEST(CustomizerBinding, DraftEditsComeBackOverANewerImage) {
    auto draftBase = std::make_unique<ShareData>();
    BuildFactoryDefaults(*draftBase);
    auto draftEdited = std::make_unique<ShareData>(*draftBase);
    draftEdited->profiles[1].dpiX[2] = 40;
    draftEdited->profiles[3].pointerSpeed = 2;

    // Meanwhile the mouse switched profiles and another stage became current.
    auto newer = std::make_unique<ShareData>(*draftBase);
    newer->activeProfile = 4;
    newer->profiles[4].currentStage = 3;
    EditSession session;
    session.Load(*newer);

    EXPECT_EQ(RestoreEdits(session, *draftBase, *draftEdited), 2);
    EXPECT_EQ(session.edited().profiles[1].dpiX[2], 40);
    EXPECT_EQ(session.edited().profiles[3].pointerSpeed, 2);
    EXPECT_EQ(session.edited().activeProfile, 4);
    EXPECT_EQ(session.edited().profiles[4].currentStage, 3);
    EXPECT_EQ(session.ChangedFields().size(), 2u);
}

}  // namespace
}  // namespace korvid
