// set and import: which NAME=VALUE items are taken and with what value, the
// refusal of every other item (with nothing taken then), the change flags a
// taken item sets, and the text forms of show and export.
#include "inspect/config_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "config/factory_defaults.h"
#include "inspect/config_edit.h"
#include "unit_support.h"

namespace korvid {
namespace {

std::vector<Assignment> Parse(std::vector<std::string> items) {
    const ParsedAssignments parsed = ParseAssignments(items);
    EXPECT_TRUE(parsed.refusals.empty()) << parsed.refusals.front();
    return parsed.assignments;
}

std::vector<std::string> FlagNames(const EditResult& result) {
    std::vector<std::string> names;
    for (const Field* field : result.flagsSet) names.push_back(field->name);
    return names;
}

TEST(SetParsing, TakenItems) {
    const std::string eleven4ByteChars = [] {
        std::string s;
        for (int i = 0; i < 11; ++i) s += "\xF0\x9F\x98\x80";  // U+1F600, two UTF-16 units each
        return s;
    }();
    const struct {
        const char* name;
        std::string item;
        const char* field;
        FieldValue value;
    } kCases[] = {
        {"decimal", "profiles[1].dpiX[2]=24", "profiles[1].dpiX[2]", std::int64_t{24}},
        {"highest index of each bracket", "profiles[4].buttons[19].events[39].delay=65535",
         "profiles[4].buttons[19].events[39].delay", std::int64_t{65535}},
        {"hex", "profiles[0].dpiOptionA=0x1F", "profiles[0].dpiOptionA", std::int64_t{31}},
        {"negative", "profiles[0].doubleClickSpeed=-58", "profiles[0].doubleClickSpeed", std::int64_t{-58}},
        {"range ends", "activeProfile=4", "activeProfile", std::int64_t{4}},
        {"web colour is red first", "profiles[0].stageColor[0]=#FF8000", "profiles[0].stageColor[0]",
         std::int64_t{0x0080FF}},
        {"stored colour", "profiles[0].stageColor[0]=0x0000FF", "profiles[0].stageColor[0]", std::int64_t{0xFF}},
        {"colour with the unused byte", "profiles[0].lightColorA=0xFF000000", "profiles[0].lightColorA",
         std::int64_t{0xFF000000}},
        {"spare", "spare0=0xFFFFFFFF", "spare0", std::int64_t{0xFFFFFFFF}},
        {"change flag", "dpiChanged[2]=1", "dpiChanged[2]", std::int64_t{1}},
        {"path with backslashes", "profiles[2].programPath=C:\\Games\\game.exe", "profiles[2].programPath",
         std::u16string(u"C:\\Games\\game.exe")},
        {"empty text", "profiles[2].programPath=", "profiles[2].programPath", std::u16string()},
        {"text after the first =", "profiles[0].profileName= a=b ", "profiles[0].profileName",
         std::u16string(u" a=b ")},
        {"UTF-8 text", "profiles[0].profileName=Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC", "profiles[0].profileName",
         std::u16string(u"Gr\u00FC\u00DF \u20AC")},
        {"23 characters fit a macro name", "profiles[0].buttons[0].macroName=" + std::string(23, 'm'),
         "profiles[0].buttons[0].macroName", std::u16string(23, u'm')},
        {"surrogate pairs count two", "profiles[0].buttons[0].macroName=" + eleven4ByteChars + "x",
         "profiles[0].buttons[0].macroName",
         [] {
             std::u16string s;
             for (int i = 0; i < 11; ++i) s += u"\U0001F600";
             return s + u"x";
         }()},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const ParsedAssignments parsed = ParseAssignments(std::vector<std::string>{c.item});
        ASSERT_TRUE(parsed.refusals.empty()) << parsed.refusals.front();
        ASSERT_EQ(parsed.assignments.size(), 1u);
        EXPECT_EQ(parsed.assignments[0].field->name, c.field);
        EXPECT_EQ(parsed.assignments[0].value, c.value);
    }
}

TEST(SetParsing, Refusals) {
    const struct {
        const char* name;
        std::string item;
        const char* refusal;
    } kCases[] = {
        {"unknown name", "profiles[1].dpiZ[2]=3", "\"profiles[1].dpiZ[2]\" is not a field name"},
        {"a record, not a field", "profiles[1]=3", "\"profiles[1]\" is not a field name"},
        {"missing index", "profiles[1].dpiX=3", "\"profiles[1].dpiX\" is not a field name"},
        {"index not a number", "profiles[x].dpiX[2]=3", "\"profiles[x].dpiX[2]\" is not a field name"},
        {"profile index", "profiles[5].dpiX[2]=3", "\"profiles[5].dpiX[2]\" has index 5 where profiles takes 0 to 4"},
        {"stage index", "profiles[1].dpiX[8]=3", "\"profiles[1].dpiX[8]\" has index 8 where dpiX takes 0 to 7"},
        {"slot index", "profiles[0].buttons[20].function=1",
         "\"profiles[0].buttons[20].function\" has index 20 where buttons takes 0 to 19"},
        {"step index", "profiles[0].buttons[3].events[40].key=1",
         "\"profiles[0].buttons[3].events[40].key\" has index 40 where events takes 0 to 39"},
        {"second dimension", "buttonChanged[0][20]=1",
         "\"buttonChanged[0][20]\" has index 20 where buttonChanged takes 0 to 19"},
        {"no =", "activeProfile", "\"activeProfile\" is not of the form NAME=VALUE"},
        {"above the range", "activeProfile=5", "activeProfile: \"5\" is out of range (0 to 4)"},
        {"below the range", "activeProfile=-1", "activeProfile: \"-1\" is out of range (0 to 4)"},
        {"resolution index above 125", "profiles[1].dpiX[2]=126",
         "profiles[1].dpiX[2]: \"126\" is out of range (1 to 125)"},
        {"resolution index 0", "profiles[1].dpiX[2]=0", "profiles[1].dpiX[2]: \"0\" is out of range (1 to 125)"},
        {"huge number", "profiles[1].dpiX[2]=99999999999999999999999",
         "profiles[1].dpiX[2]: \"99999999999999999999999\" is out of range (1 to 125)"},
        {"past uint32", "spare0=0x100000000", "spare0: \"0x100000000\" is out of range (0 to 4294967295)"},
        {"eventCount above 40", "profiles[0].buttons[0].eventCount=41",
         "profiles[0].buttons[0].eventCount: \"41\" is out of range (0 to 40)"},
        {"flag 2", "dpiChanged[0]=2", "dpiChanged[0]: \"2\" is out of range (0 to 1)"},
        {"word", "profiles[1].dpiX[2]=abc", "profiles[1].dpiX[2]: \"abc\" is not a number (decimal, or hex with 0x)"},
        {"empty number", "profiles[1].dpiX[2]=", "profiles[1].dpiX[2]: \"\" is not a number (decimal, or hex with 0x)"},
        {"space", "profiles[1].dpiX[2]= 24", "profiles[1].dpiX[2]: \" 24\" is not a number (decimal, or hex with 0x)"},
        {"bare 0x", "profiles[1].dpiX[2]=0x", "profiles[1].dpiX[2]: \"0x\" is not a number (decimal, or hex with 0x)"},
        {"short colour", "profiles[0].stageColor[0]=#FF80",
         "profiles[0].stageColor[0]: \"#FF80\" is not a colour (#RRGGBB or a number)"},
        {"colour not hex", "profiles[0].stageColor[0]=#GG0000",
         "profiles[0].stageColor[0]: \"#GG0000\" is not a colour (#RRGGBB or a number)"},
        {"macro name too long", "profiles[0].buttons[0].macroName=" + std::string(24, 'm'),
         "profiles[0].buttons[0].macroName: text of 24 characters is too long (at most 23)"},
        {"program path too long", "profiles[2].programPath=" + std::string(500, 'p'),
         "profiles[2].programPath: text of 500 characters is too long (at most 499)"},
        {"control character", "profiles[0].profileName=a\tb",
         "profiles[0].profileName: text holds a control character"},
        {"broken UTF-8", "profiles[0].profileName=\xC3\x28", "profiles[0].profileName: text is not valid UTF-8"},
        {"overlong UTF-8", "profiles[0].profileName=\xC0\xAF", "profiles[0].profileName: text is not valid UTF-8"},
        {"UTF-8 surrogate", "profiles[0].profileName=\xED\xA0\x80", "profiles[0].profileName: text is not valid UTF-8"},
        {"padding", "profiles[0].padding1613[0]=1", "profiles[0].padding1613[0] is padding and cannot be set"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const ParsedAssignments parsed = ParseAssignments(std::vector<std::string>{c.item});
        EXPECT_TRUE(parsed.assignments.empty());
        ASSERT_EQ(parsed.refusals.size(), 1u);
        EXPECT_EQ(parsed.refusals[0], c.refusal);
    }
}

TEST(SetParsing, OneRefusalTakesNothingAndEveryRefusalIsReported) {
    const std::vector<std::string> items = {"activeProfile=1", "profiles[1].dpiX[2]=300", "profiles[0].option07=2",
                                            "nonsense=1"};
    const ParsedAssignments parsed = ParseAssignments(items);
    EXPECT_TRUE(parsed.assignments.empty());
    EXPECT_EQ(parsed.refusals.size(), 2u);

    const ParsedAssignments twice = ParseAssignments(std::vector<std::string>{"activeProfile=1", "activeProfile=2"});
    EXPECT_TRUE(twice.assignments.empty());
    ASSERT_EQ(twice.refusals.size(), 1u);
    EXPECT_EQ(twice.refusals[0], "activeProfile is given twice");
}

TEST(ApplyAssignments, FlagsExactlyTheChangedFields) {
    auto image = FactoryImage();
    // Flags left over from an earlier apply must not be sent again.
    std::memset(&image->activeProfileChanged, 1, kImageSize - kChangeFlagsOffset);
    auto before = std::make_unique<ShareData>(*image);

    const EditResult result = ApplyAssignments(
        *image, Parse({"activeProfile=3", "profiles[1].dpiX[2]=30", "profiles[2].lightSlotColor[1]=#000000",
                       "profiles[4].buttons[2].events[0].delay=7", "profiles[0].option07=2",  // unchanged
                       "profiles[0].programPath=C:\\Games\\game.exe", "profiles[3].pointerSpeed=11"}));

    EXPECT_EQ(FlagNames(result), (std::vector<std::string>{"activeProfileChanged", "dpiChanged[1]",
                                                           "lightingChanged[2]", "buttonChanged[4][2]"}));
    EXPECT_EQ(result.changed.size(), 6u);
    EXPECT_EQ(image->activeProfile, 3);
    EXPECT_EQ(image->profiles[1].dpiX[2], 30);
    EXPECT_EQ(image->profiles[2].lightSlotColor[1], 0u);
    EXPECT_EQ(image->profiles[4].buttons[2].events[0].delay, 7);
    EXPECT_EQ(image->profiles[3].pointerSpeed, 11);

    // Nothing else moved.
    image->activeProfile = before->activeProfile;
    image->profiles[1].dpiX[2] = before->profiles[1].dpiX[2];
    image->profiles[2].lightSlotColor[1] = before->profiles[2].lightSlotColor[1];
    image->profiles[4].buttons[2].events[0].delay = before->profiles[4].buttons[2].events[0].delay;
    image->profiles[3].pointerSpeed = before->profiles[3].pointerSpeed;
    std::memcpy(image->profiles[0].programPath, before->profiles[0].programPath,
                sizeof before->profiles[0].programPath);
    EXPECT_EQ(std::memcmp(image.get(), before.get(), kChangeFlagsOffset), 0);
}

TEST(ApplyAssignments, GivenFlagsDecide) {
    auto image = FactoryImage();
    const EditResult result = ApplyAssignments(
        *image, Parse({"dpiChanged[1]=0", "profiles[1].dpiX[2]=30", "option07Changed[3]=1", "buttonChanged[4][19]=1"}));
    EXPECT_EQ(FlagNames(result), (std::vector<std::string>{"option07Changed[3]", "buttonChanged[4][19]"}));
    EXPECT_EQ(image->profiles[1].dpiX[2], 30);
}

TEST(ApplyAssignments, NewTextClearsTheOldTail) {
    auto image = FactoryImage();
    ApplyAssignments(*image, Parse({"profiles[1].programPath=C:\\a\\long\\path.exe"}));
    ApplyAssignments(*image, Parse({"profiles[1].programPath=C:\\b.exe"}));
    const std::u16string expected = u"C:\\b.exe";
    EXPECT_EQ(std::u16string(image->profiles[1].programPath), expected);
    for (std::size_t i = expected.size(); i < kProgramPathChars; ++i) ASSERT_EQ(image->profiles[1].programPath[i], 0);
}

// An image with something unusual in every kind of field.
std::unique_ptr<ShareData> Unusual() {
    auto image = FactoryImage();
    image->spare0 = 0xDEADBEEF;
    image->activeProfile = 2;
    ProfileData& p = image->profiles[3];
    std::u16string name = u"M\u00FC\u20AC \U0001F600 = x";
    std::copy(name.begin(), name.end(), p.profileName);
    std::u16string path = u"C:\\Program Files\\Game\\game.exe";
    std::copy(path.begin(), path.end(), p.programPath);
    p.doubleClickSpeed = -1;
    p.spare1516 = -123456;
    p.dpiX[7] = 125;
    p.stageColor[2] = 0x12345678;  // the unused top byte set
    p.lightColorB = 0x00ABCDEF;
    p.buttons[5].function = 16;
    p.buttons[5].eventCount = 2;
    p.buttons[5].events[1] = {4, 0, 300};
    p.buttons[5].macroName[0] = u'z';
    p.buttons[19].launchPath[0] = u'C';
    return image;
}

TEST(ExportImport, RoundTripRestoresEverySettingAndSpare) {
    const auto source = Unusual();
    const std::string text = ExportText(*source);

    auto target = std::make_unique<ShareData>();
    std::memset(target.get(), 0x5A, sizeof *target);
    const ParsedAssignments parsed = ParseImportText(text);
    ASSERT_TRUE(parsed.refusals.empty()) << parsed.refusals.front();
    ApplyAssignments(*target, parsed.assignments);

    std::size_t exported = 0;
    for (const Field& field : FieldTable()) {
        if (field.role == FieldRole::kSetting || field.role == FieldRole::kSpare) {
            ++exported;
            EXPECT_EQ(ReadField(*target, field), ReadField(*source, field)) << field.name;
        }
    }
    EXPECT_EQ(parsed.assignments.size(), exported);
    EXPECT_EQ(text.find("Changed"), std::string::npos) << "change flags are not exported";
    EXPECT_EQ(text.find("padding"), std::string::npos);
    EXPECT_NE(text.find("\nprofiles[3].stageColor[2]=0x12345678\n"), std::string::npos);
    EXPECT_NE(text.find("\nprofiles[3].lightColorB=#EFCDAB\n"), std::string::npos);
}

TEST(ExportImport, ImportLinesCommentsAndRefusals) {
    const ParsedAssignments parsed = ParseImportText(
        "# exported\r\n\r\nactiveProfile=1\r\nprofiles[0].programPath=C:\\x y.exe\r\nprofiles[1].dpiX[2]=999\n"
        "profiles[9].dpiX[2]=1");
    EXPECT_TRUE(parsed.assignments.empty());
    EXPECT_EQ(parsed.refusals,
              (std::vector<std::string>{"line 5: profiles[1].dpiX[2]: \"999\" is out of range (1 to 125)",
                                        "line 6: \"profiles[9].dpiX[2]\" has index 9 where profiles takes 0 to 4"}));

    const ParsedAssignments taken = ParseImportText("# c\nactiveProfile=1\r\nprofiles[0].programPath=C:\\x y.exe\r\n");
    ASSERT_EQ(taken.assignments.size(), 2u);
    EXPECT_EQ(taken.assignments[1].value, FieldValue(std::u16string(u"C:\\x y.exe")));
}

TEST(Show, FactoryDefaultsShowNoDifferences) {
    auto image = FactoryImage();
    std::string expected = "activeProfile=0\n";
    for (int k = 0; k < kProfileCount; ++k) {
        expected += "\n== profile " + std::to_string(k) + " \"Default" + std::to_string(k + 1) + "\"" +
                    (k == 0 ? " (active)" : "") + "\n(as the factory defaults)\n";
    }
    expected += "\n== change flags\n(none set)\n";
    EXPECT_EQ(ShowText(*image, false), expected);
}

TEST(Show, DifferencesProfileByProfile) {
    auto image = Unusual();
    image->dpiChanged[3] = 1;
    image->buttonChanged[3][5] = 2;  // not set, but not 0 either
    const std::string text = ShowText(*image, false);
    EXPECT_EQ(text.substr(0, text.find("\n== profile 0")), "spare0=3735928559\nactiveProfile=2\n");
    const std::size_t profile3 = text.find("\n== profile 3 \"M\xC3\xBC\xE2\x82\xAC \xF0\x9F\x98\x80 = x\"\n");
    ASSERT_NE(profile3, std::string::npos);
    EXPECT_NE(text.find("== profile 2 \"Default3\" (active)\n(as the factory defaults)\n"), std::string::npos);
    const std::string diff = text.substr(profile3, text.find("\n== profile 4") - profile3);
    EXPECT_NE(diff.find("\nprofiles[3].doubleClickSpeed=-1\n"), std::string::npos);
    EXPECT_NE(diff.find("\nprofiles[3].buttons[5].events[1].delay=300\n"), std::string::npos);
    EXPECT_EQ(diff.find("events[0]"), std::string::npos) << "unchanged fields are left out";
    EXPECT_NE(text.find("\n== change flags\ndpiChanged[3]=1\nbuttonChanged[3][5]=2\n"), std::string::npos);

    const std::string all = ShowText(*image, true);
    EXPECT_NE(all.find("\nprofiles[0].dpiX[0]=8\n"), std::string::npos);
    EXPECT_NE(all.find("\nprofiles[4].buttons[19].events[39].delay=0\n"), std::string::npos);
    EXPECT_NE(all.find("\nlightingChanged[4]=0\n"), std::string::npos);
    EXPECT_EQ(all.find("padding"), std::string::npos);
}

}  // namespace
}  // namespace korvid
