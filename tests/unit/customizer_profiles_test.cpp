// The Profiles page's whole-profile operations: copy, reset, and export and
// import through korvidctl's text format.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "customizer/edit_session.h"
#include "customizer/profile_tools.h"
#include "inspect/field_table.h"
#include "unit_support.h"

namespace korvid {
namespace {

void SetName(char16_t (&field)[kProfileNameChars], const std::u16string& text) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), text.size() * 2);
}

// Profile 1 edited in every kind of field.
std::unique_ptr<ShareData> Edited() {
    auto image = FactoryImage();
    ProfileData& p = image->profiles[1];
    p.dpiX[2] = 40;
    p.lightModeA = 5;
    p.lightColorB = 0x00123456;
    p.buttons[3].function = 5;
    p.buttons[3].keyModifiers = 0x03;
    p.buttons[3].keyCode = 0x04;
    p.buttons[4].function = 16;
    p.buttons[4].eventCount = 2;
    p.buttons[4].events[0] = {4, 1, 100};
    p.buttons[4].events[1] = {4, 0, 300};
    std::memcpy(p.buttons[4].macroName, u"abc", 6);
    std::memcpy(p.buttons[7].launchPath, u"C:\\Tools\\t\u00e9st.exe", 34);
    std::memcpy(p.programPath, u"C:\\Games\\game.exe", 34);
    SetName(p.profileName, u"Shooter");
    image->activeProfile = 1;
    image->spare0 = 77;
    return image;
}

bool SameBytes(const ShareData& a, const ShareData& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(CustomizerProfiles, CopyTakesEverySettingButTheTargetsNameAndProgram) {
    auto image = Edited();
    CopyProfile(*image, 1, 3);
    ProfileData expected = image->profiles[1];
    std::memcpy(expected.profileName, u"Default4", 18);
    std::memset(expected.programPath, 0, sizeof expected.programPath);
    EXPECT_EQ(std::memcmp(&image->profiles[3], &expected, sizeof expected), 0);

    EditSession session;
    session.Load(*FactoryImage());
    auto copied = std::make_unique<ShareData>(session.edited());
    copied->profiles[0].dpiX[0] = 16;
    CopyProfile(*copied, 0, 2);
    session.ReplaceEdited(*copied);
    const ShareData prepared = session.PrepareApply();
    EXPECT_EQ(prepared.dpiChanged[0], 1);
    EXPECT_EQ(prepared.dpiChanged[2], 1) << "a copy flags what it changed in the target";
    EXPECT_EQ(prepared.dpiChanged[1], 0);
    EXPECT_EQ(prepared.buttonChanged[2][0], 0) << "equal buttons are not flagged";
}

TEST(CustomizerProfiles, ResetGivesTheFactoryProfileOrEverything) {
    const auto factory = FactoryImage();
    auto image = Edited();
    image->profiles[4].pointerSpeed = 2;
    ResetProfile(*image, 1);
    EXPECT_EQ(std::memcmp(&image->profiles[1], &factory->profiles[1], sizeof(ProfileData)), 0);
    EXPECT_EQ(image->profiles[4].pointerSpeed, 2) << "the other profiles stay";
    EXPECT_EQ(image->activeProfile, 1);

    ResetAll(*image);
    for (int k = 0; k < kProfileCount; ++k) {
        EXPECT_EQ(std::memcmp(&image->profiles[k], &factory->profiles[k], sizeof(ProfileData)), 0) << k;
    }
    EXPECT_EQ(image->activeProfile, 0);
}

TEST(CustomizerProfiles, ExportThenImportGivesBackEverySettingOfTheImage) {
    const auto edited = Edited();
    const std::string text = ExportConfiguration(*edited);
    auto imported = FactoryImage();
    const ImportReport report = ImportConfiguration(*imported, text);
    EXPECT_TRUE(report.refusals.empty()) << report.refusals.front();
    EXPECT_GT(report.changedFields, 10);
    for (const Field& field : FieldTable()) {
        if (field.role != FieldRole::kSetting && field.role != FieldRole::kSpare) continue;
        ASSERT_EQ(ReadField(*imported, field), ReadField(*edited, field)) << field.name;
    }
    // Imported again: nothing changes.
    EXPECT_EQ(ImportConfiguration(*imported, text).changedFields, 0);
}

TEST(CustomizerProfiles, ImportWithRefusedLinesChangesNothingAndNamesEveryLine) {
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> refusals;
    } kCases[] = {
        {"one bad value among good lines",
         "profiles[0].pointerSpeed=3\r\nprofiles[0].dpiX[0]=126\r\nprofiles[1].lightModeA=5\r\n",
         {"line 2: profiles[0].dpiX[0]: \"126\" is out of range (1 to 125)"}},
        {"an unknown name and a line without =, after a comment",
         "# exported\nprofiles[5].pointerSpeed=3\n\nwheel\n",
         {"line 2: \"profiles[5].pointerSpeed\" has index 5 where profiles takes 0 to 4",
          "line 4: \"wheel\" is not of the form NAME=VALUE"}},
        {"a name twice", "activeProfile=1\nactiveProfile=2\n", {"line 2: activeProfile is given twice"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto before = Edited();
        auto image = Edited();
        const ImportReport report = ImportConfiguration(*image, c.text);
        EXPECT_EQ(report.refusals, c.refusals);
        EXPECT_EQ(report.changedFields, 0);
        EXPECT_TRUE(SameBytes(*image, *before)) << "nothing changes when a line is refused";
    }
}

}  // namespace
}  // namespace korvid
