// The customizer's editing model: which change flags an Apply carries, how a
// newer image from the section meets unapplied edits, what a person may type,
// the resolutions offered, and the draft kept when the customizer must close.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "config/factory_defaults.h"
#include "config/share_data.h"
#include "customizer/draft_file.h"
#include "customizer/edit_session.h"
#include "customizer/resolution.h"
#include "inspect/field_table.h"

namespace korvid {
namespace {

std::unique_ptr<ShareData> Factory() {
    auto image = std::make_unique<ShareData>();
    BuildFactoryDefaults(*image);
    return image;
}

const Field& F(const char* name) {
    const Field* field = FindField(name);
    EXPECT_NE(field, nullptr) << name;
    return *field;
}

// Offsets of the flag bytes that are 1.
std::vector<std::size_t> SetFlags(const ShareData& image) {
    std::vector<std::size_t> set;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&image);
    for (std::size_t i = kChangeFlagsOffset; i < kImageSize; ++i) {
        if (bytes[i] == 1) set.push_back(i);
    }
    return set;
}

std::size_t Flag(const char* name) { return F(name).offset; }

TEST(CustomizerModel, ApplyCarriesTheFlagsOfExactlyTheChangedFields) {
    const struct {
        const char* name;
        std::function<void(EditSession&)> edit;
        std::vector<std::size_t> flags;
    } kCases[] = {
        {"nothing edited", [](EditSession&) {}, {}},
        {"a DPI stage",
         [](EditSession& s) { s.Set(F("profiles[2].dpiX[3]"), std::int64_t{40}); },
         {Flag("dpiChanged[2]")}},
        {"a stage colour and the current stage: one flag",
         [](EditSession& s) {
             s.Set(F("profiles[0].stageColor[1]"), std::int64_t{0x123456});
             s.Set(F("profiles[0].currentStage"), std::int64_t{4});
         },
         {Flag("dpiChanged[0]")}},
        {"option07",
         [](EditSession& s) { s.Set(F("profiles[4].option07"), std::int64_t{9}); },
         {Flag("option07Changed[4]")}},
        {"zone B colour",
         [](EditSession& s) { s.Set(F("profiles[1].lightColorB"), std::int64_t{0xFF00}); },
         {Flag("lightingChanged[1]")}},
        {"a button's function",
         [](EditSession& s) { s.Set(F("profiles[1].buttons[7].function"), std::int64_t{5}); },
         {Flag("buttonChanged[1][7]")}},
        {"a macro step's delay",
         [](EditSession& s) { s.Set(F("profiles[3].buttons[2].events[5].delay"), std::int64_t{300}); },
         {Flag("buttonChanged[3][2]")}},
        {"the active profile",
         [](EditSession& s) { s.Set(F("activeProfile"), std::int64_t{3}); },
         {Flag("activeProfileChanged")}},
        {"pointer settings and the bound program reach no device flag",
         [](EditSession& s) {
             s.Set(F("profiles[0].pointerSpeed"), std::int64_t{11});
             s.Set(F("profiles[0].programPath"), std::u16string(u"C:\\Games\\game.exe"));
         },
         {}},
        {"a value set back to what it was",
         [](EditSession& s) {
             s.Set(F("profiles[0].dpiX[0]"), std::int64_t{40});
             s.Set(F("profiles[0].dpiX[0]"), std::int64_t{8});
         },
         {}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto loaded = Factory();
        // Flags left over in the section from an earlier apply are not sent again.
        loaded->dpiChanged[0] = 1;
        loaded->buttonChanged[4][19] = 1;
        EditSession session;
        session.Load(*loaded);
        c.edit(session);
        const ShareData prepared = session.PrepareApply();
        EXPECT_EQ(SetFlags(prepared), c.flags);
        // Everything but the flags is the edited image.
        EXPECT_EQ(std::memcmp(&prepared, &session.edited(), kChangeFlagsOffset), 0);
    }
}

TEST(CustomizerModel, AppliedImageBecomesTheBase) {
    EditSession session;
    session.Load(*Factory());
    session.Set(F("profiles[0].dpiX[0]"), std::int64_t{40});
    EXPECT_TRUE(session.HasUnappliedEdits());
    session.Applied(session.PrepareApply());
    EXPECT_FALSE(session.HasUnappliedEdits());
    EXPECT_TRUE(SetFlags(session.PrepareApply()).empty()) << "a second Apply sends nothing again";
}

TEST(CustomizerModel, SectionChangeKeepsTheEditsAndTakesTheRest) {
    EditSession session;
    session.Load(*Factory());
    session.Set(F("profiles[0].dpiX[0]"), std::int64_t{40});      // the person's edit
    session.Set(F("profiles[1].currentStage"), std::int64_t{3});  // another edit
    auto incoming = Factory();
    incoming->activeProfile = 2;             // the mouse's profile button
    incoming->profiles[0].currentStage = 4;  // a stage change on the mouse
    incoming->profiles[0].dpiX[0] = 12;      // and a field the person edited
    incoming->dpiChanged[2] = 1;             // flags are never merged in

    const auto conflicts = session.Merge(*incoming);

    EXPECT_EQ(conflicts, std::vector<std::string>{"profiles[0].dpiX[0]"});
    EXPECT_EQ(session.edited().activeProfile, 2);
    EXPECT_EQ(session.edited().profiles[0].currentStage, 4);
    EXPECT_EQ(session.edited().profiles[0].dpiX[0], 40);
    EXPECT_EQ(session.edited().profiles[1].currentStage, 3);
    EXPECT_EQ(session.base().activeProfile, 2) << "the section is the new base";
    // Apply now flags only what the person changed against the new base.
    EXPECT_EQ(SetFlags(session.PrepareApply()),
              (std::vector<std::size_t>{Flag("dpiChanged[0]"), Flag("dpiChanged[1]")}));
}

TEST(CustomizerModel, SectionImageIsRepairedBeforeUse) {
    auto broken = Factory();
    broken->activeProfile = 7;
    broken->profiles[2].buttons[4].eventCount = 999;
    EditSession session;
    session.Load(*broken);
    EXPECT_EQ(session.edited().activeProfile, 0);
    EXPECT_EQ(session.edited().profiles[2].buttons[4].eventCount, kMaxMacroEvents);
    session.Merge(*broken);
    EXPECT_EQ(session.edited().activeProfile, 0);
}

TEST(CustomizerModel, FramesOfChangedPushCountsWhatTheHostSends) {
    const struct {
        const char* name;
        std::function<void(ShareData&)> change;
        int frames;
    } kCases[] = {
        {"no flags: begin and end", [](ShareData&) {}, 2},
        {"active profile", [](ShareData& s) { s.activeProfileChanged = 1; }, 3},
        {"flag byte 2 counts as clear", [](ShareData& s) { s.dpiChanged[1] = 2; }, 2},
        {"DPI, option and lighting of two profiles",
         [](ShareData& s) {
             s.dpiChanged[0] = s.option07Changed[0] = s.lightingChanged[4] = 1;
             s.dpiChanged[3] = 1;
         },
         6},
        {"two button flags of one profile: one frame",
         [](ShareData& s) { s.buttonChanged[2][0] = s.buttonChanged[2][19] = 1; }, 3},
        {"every macro button is uploaded, flagged or not",
         [](ShareData& s) {
             s.profiles[0].buttons[3].function = 16;
             s.profiles[4].buttons[9].function = 16;
         },
         4},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto image = Factory();
        for (auto& profile : image->profiles) {
            for (auto& slot : profile.buttons) {
                if (slot.function == 16) slot.function = 1;  // start from no macro button at all
            }
        }
        c.change(*image);
        EXPECT_EQ(FramesOfChangedPush(*image), c.frames);
    }
}

TEST(CustomizerModel, ValuesArePassedOrRefusedWithAReason) {
    const struct {
        const char* field;
        FieldValue value;
        bool accepted;
    } kCases[] = {
        {"profiles[0].pointerSpeed", std::int64_t{1}, true},
        {"profiles[0].pointerSpeed", std::int64_t{11}, true},
        {"profiles[0].pointerSpeed", std::int64_t{0}, false},
        {"profiles[0].pointerSpeed", std::int64_t{12}, false},
        {"profiles[1].dpiX[0]", std::int64_t{62}, true},
        {"profiles[1].dpiY[7]", std::int64_t{124}, true},
        {"profiles[1].dpiX[0]", std::int64_t{0}, false},
        {"profiles[1].dpiX[0]", std::int64_t{126}, false},
        {"profiles[1].stageEnabled[2]", std::int64_t{2}, false},
        {"profiles[1].currentStage", std::int64_t{8}, false},
        {"activeProfile", std::int64_t{5}, false},
        {"dpiChanged[0]", std::int64_t{1}, false},
        {"profiles[0].programPath", std::u16string(499, u'a'), true},
        {"profiles[0].programPath", std::u16string(500, u'a'), false},
        {"profiles[0].programPath", std::int64_t{3}, false},
        {"profiles[0].pointerSpeed", std::u16string(u"6"), false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.field);
        const std::string reason = CheckValue(F(c.field), c.value);
        EXPECT_EQ(reason.empty(), c.accepted) << reason;
    }
}

TEST(CustomizerModel, ResolutionsAreThoseTheMouseRunsAt) {
    const struct {
        std::int64_t index;
        std::optional<int> dpi;
    } kIndexes[] = {{0, {}},    {1, 100},   {8, 800},     {15, 1500},   {62, 6200}, {63, 6200},
                    {64, 6400}, {65, 6400}, {124, 12400}, {125, 12400}, {126, {}},  {264, {}}};
    for (const auto& c : kIndexes) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(DpiOfIndex(c.index), c.dpi);
    }
    const struct {
        int dpi;
        std::optional<int> index;
    } kDpis[] = {{100, 1}, {6200, 62}, {6300, {}}, {6400, 64}, {12400, 124}, {12500, {}}, {150, {}}, {0, {}}};
    for (const auto& c : kDpis) {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(IndexOfDpi(c.dpi), c.index);
    }
    ASSERT_EQ(OfferedDpis().size(), 62u + 31u);
    for (int dpi : OfferedDpis()) {
        const auto index = IndexOfDpi(dpi);
        ASSERT_TRUE(index) << dpi;
        EXPECT_EQ(DpiOfIndex(*index), dpi);
    }
}

TEST(CustomizerModel, DraftComesBackWholeOrNotAtAll) {
    auto base = Factory();
    auto edited = Factory();
    edited->profiles[3].dpiY[1] = 50;
    const std::vector<std::uint8_t> bytes = EncodeDraft(*base, *edited);
    ASSERT_EQ(bytes.size(), kDraftSize);

    const auto draft = DecodeDraft(bytes);
    ASSERT_NE(draft, nullptr);
    EXPECT_EQ(std::memcmp(&draft->base, base.get(), kImageSize), 0);
    EXPECT_EQ(std::memcmp(&draft->edited, edited.get(), kImageSize), 0);

    const struct {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
    } kDamaged[] = {
        {"empty", [](auto& b) { b.clear(); }},
        {"short", [](auto& b) { b.pop_back(); }},
        {"one byte longer", [](auto& b) { b.push_back(0); }},
        {"another magic", [](auto& b) { b[7] = '2'; }},
        {"a flipped bit in the edited image", [](auto& b) { b[kDraftMagicSize + kImageSize + 1600] ^= 0x10; }},
        {"a flipped bit in the checksum", [](auto& b) { b.back() ^= 0x01; }},
    };
    for (const auto& c : kDamaged) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> damaged = bytes;
        c.damage(damaged);
        EXPECT_EQ(DecodeDraft(damaged), nullptr);
    }

    edited->activeProfile = 9;  // intact, but breaking the invariants
    const auto repaired = DecodeDraft(EncodeDraft(*base, *edited));
    ASSERT_NE(repaired, nullptr);
    EXPECT_EQ(repaired->edited.activeProfile, 0);
}

TEST(CustomizerModel, Crc32IsTheIeeeOne) {
    const char text[] = "123456789";
    EXPECT_EQ(Crc32(std::span(reinterpret_cast<const std::uint8_t*>(text), 9)), 0xCBF43926u);
}

}  // namespace
}  // namespace korvid
