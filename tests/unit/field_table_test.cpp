// The field table against the records themselves: every name lands on the
// member of that spelling, the rows cover the image byte for byte, and each
// field names the change flag the push reads for it.
#include "inspect/field_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "config/share_data.h"

namespace korvid {
namespace {

std::size_t OffsetIn(const ShareData& image, const void* member) {
    return static_cast<std::size_t>(static_cast<const unsigned char*>(member) -
                                    reinterpret_cast<const unsigned char*>(&image));
}

struct MemberCase {
    const char* name;  // the member path as written in C++
    std::size_t offset;
    std::size_t size;
};

// The name is the C++ member path itself, so a row whose name and offset
// disagree with the record fails here.
#define MEMBER(path) \
    MemberCase { #path, OffsetIn(s, &s.path), sizeof(s.path) }

TEST(FieldTable, EveryRecordFieldSitsAtItsMember) {
    auto image = std::make_unique<ShareData>();
    const ShareData& s = *image;
    // Every field of every record at least once, at scattered indexes.
    const MemberCase kCases[] = {
        MEMBER(spare0),
        MEMBER(activeProfile),
        MEMBER(activeProfileChanged),
        MEMBER(dpiChanged[4]),
        MEMBER(option07Changed[0]),
        MEMBER(lightingChanged[2]),
        MEMBER(buttonChanged[0][0]),
        MEMBER(buttonChanged[1][7]),
        MEMBER(buttonChanged[4][19]),
        MEMBER(profiles[0].profileName),
        MEMBER(profiles[2].programPath),
        MEMBER(profiles[4].doubleClickSpeed),
        MEMBER(profiles[1].wheelScrollLines),
        MEMBER(profiles[1].wheelScrollPage),
        MEMBER(profiles[3].pointerSpeed),
        MEMBER(profiles[3].spare1516),
        MEMBER(profiles[0].pointerAcceleration),
        MEMBER(profiles[0].spare1524),
        MEMBER(profiles[4].dpiOptionA),
        MEMBER(profiles[4].dpiOptionB),
        MEMBER(profiles[2].spare1536),
        MEMBER(profiles[2].stageEnabled[0]),
        MEMBER(profiles[2].stageEnabled[7]),
        MEMBER(profiles[1].dpiX[2]),
        MEMBER(profiles[1].dpiX[7]),
        MEMBER(profiles[1].dpiY[0]),
        MEMBER(profiles[0].spare1612),
        MEMBER(profiles[0].padding1613[0]),
        MEMBER(profiles[0].padding1613[2]),
        MEMBER(profiles[3].currentStage),
        MEMBER(profiles[3].stageColor[5]),
        MEMBER(profiles[4].dpiOptionC),
        MEMBER(profiles[4].padding1653[1]),
        MEMBER(profiles[4].dpiOptionD),
        MEMBER(profiles[1].option07),
        MEMBER(profiles[1].lightModeA),
        MEMBER(profiles[1].spare1668),
        MEMBER(profiles[2].lightParamA1),
        MEMBER(profiles[2].lightParamA2),
        MEMBER(profiles[2].lightColorA),
        MEMBER(profiles[3].lightSlotEnabled[6]),
        MEMBER(profiles[3].lightSlotColor[7]),
        MEMBER(profiles[3].lightParamA3),
        MEMBER(profiles[0].lightModeB),
        MEMBER(profiles[0].spare1732),
        MEMBER(profiles[0].lightParamB1),
        MEMBER(profiles[0].lightParamB2),
        MEMBER(profiles[0].lightColorB),
        MEMBER(profiles[4].profileOption),
        MEMBER(profiles[0].buttons[0].slotIndex),
        MEMBER(profiles[0].buttons[19].function),
        MEMBER(profiles[1].buttons[3].keyModifiers),
        MEMBER(profiles[1].buttons[3].keyCode),
        MEMBER(profiles[2].buttons[7].macroNumber),
        MEMBER(profiles[2].buttons[7].macroOption),
        MEMBER(profiles[0].buttons[3].macroName),
        MEMBER(profiles[3].buttons[11].macroRepeat),
        MEMBER(profiles[3].buttons[11].eventCount),
        MEMBER(profiles[0].buttons[3].events[0].key),
        MEMBER(profiles[0].buttons[3].events[5].delay),
        MEMBER(profiles[4].buttons[19].events[39].state),
        MEMBER(profiles[4].buttons[19].events[39].delay),
        MEMBER(profiles[4].buttons[19].launchPath),
        MEMBER(profiles[4].buttons[19].padding746[1]),
    };
    for (const MemberCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const Field* field = FindField(c.name);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->offset, c.offset);
        EXPECT_EQ(field->size, c.size);
    }
}

#undef MEMBER

TEST(FieldTable, RowsCoverTheImageOnceInOffsetOrder) {
    const std::vector<Field>& table = FieldTable();
    std::set<std::string> names;
    std::size_t next = 0;
    for (const Field& field : table) {
        SCOPED_TRACE(field.name);
        ASSERT_EQ(field.offset, next) << "gap or overlap";
        ASSERT_GT(field.size, 0u);
        next = field.offset + field.size;
        EXPECT_TRUE(names.insert(field.name).second) << "name twice";
        EXPECT_EQ(FindField(field.name), &field);
        // Numbers are naturally aligned, as the layout rule requires.
        if (field.type != FieldType::kText) {
            EXPECT_EQ(field.offset % field.size, 0u);
        }
        EXPECT_LE(field.min, field.max);
    }
    EXPECT_EQ(next, kImageSize);
}

TEST(FieldTable, ChangeFlagOfEachKindOfField) {
    auto image = std::make_unique<ShareData>();
    const ShareData& s = *image;
    const struct {
        const char* name;
        const std::uint8_t* flag;  // nullptr: none
    } kCases[] = {
        {"activeProfile", &s.activeProfileChanged},
        {"profiles[3].dpiX[0]", &s.dpiChanged[3]},
        {"profiles[3].dpiY[7]", &s.dpiChanged[3]},
        {"profiles[0].stageEnabled[4]", &s.dpiChanged[0]},
        {"profiles[3].currentStage", &s.dpiChanged[3]},
        {"profiles[2].stageColor[7]", &s.dpiChanged[2]},
        {"profiles[4].dpiOptionC", &s.dpiChanged[4]},
        {"profiles[4].dpiOptionD", &s.dpiChanged[4]},
        {"profiles[1].option07", &s.option07Changed[1]},
        {"profiles[4].lightModeA", &s.lightingChanged[4]},
        {"profiles[4].lightSlotEnabled[0]", &s.lightingChanged[4]},
        {"profiles[4].lightSlotColor[3]", &s.lightingChanged[4]},
        {"profiles[0].lightColorB", &s.lightingChanged[0]},
        {"profiles[2].buttons[7].function", &s.buttonChanged[2][7]},
        {"profiles[2].buttons[7].keyCode", &s.buttonChanged[2][7]},
        {"profiles[4].buttons[19].macroOption", &s.buttonChanged[4][19]},
        {"profiles[2].buttons[7].events[3].delay", &s.buttonChanged[2][7]},
        {"profiles[1].pointerSpeed", nullptr},
        {"profiles[1].doubleClickSpeed", nullptr},
        {"profiles[1].programPath", nullptr},
        {"profiles[1].profileName", nullptr},
        {"profiles[1].buttons[0].macroName", nullptr},
        {"profiles[1].buttons[0].launchPath", nullptr},
        {"profiles[1].profileOption", nullptr},
        {"profiles[0].spare1668", nullptr},
        {"spare0", nullptr},
        {"dpiChanged[2]", nullptr},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const Field* field = FindField(c.name);
        ASSERT_NE(field, nullptr);
        if (c.flag == nullptr) {
            EXPECT_FALSE(field->changeFlag.has_value());
        } else {
            ASSERT_TRUE(field->changeFlag.has_value());
            EXPECT_EQ(*field->changeFlag, OffsetIn(s, c.flag));
        }
    }
}

TEST(FieldTable, ReadAndWriteByType) {
    auto image = std::make_unique<ShareData>();
    std::memset(image.get(), 0xAB, sizeof *image);
    const struct {
        const char* name;
        FieldValue value;
    } kCases[] = {
        {"profiles[1].doubleClickSpeed", std::int64_t{-58}},
        {"spare0", std::int64_t{0xFFFFFFFF}},
        {"profiles[1].lightColorA", std::int64_t{0x0080FF}},
        {"profiles[0].buttons[3].events[5].delay", std::int64_t{65535}},
        {"profiles[0].buttons[3].eventCount", std::int64_t{40}},
        {"dpiChanged[2]", std::int64_t{1}},
        {"profiles[2].programPath", std::u16string(u"C:\\Games\\game.exe")},
        {"profiles[2].profileName", std::u16string()},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const Field* field = FindField(c.name);
        ASSERT_NE(field, nullptr);
        WriteField(*image, *field, c.value);
        EXPECT_EQ(ReadField(*image, *field), c.value);
    }
    EXPECT_EQ(image->profiles[1].doubleClickSpeed, -58);
    EXPECT_EQ(image->profiles[0].buttons[3].events[5].delay, 65535);
    EXPECT_EQ(image->profiles[0].buttons[3].events[5].key, 0xAB) << "the neighbour is untouched";
    // Text: the terminator and the rest of the array zeroed.
    EXPECT_EQ(image->profiles[2].programPath[17], u'\0');
    EXPECT_EQ(image->profiles[2].programPath[kProgramPathChars - 1], u'\0');
    EXPECT_EQ(image->profiles[2].doubleClickSpeed, static_cast<std::int32_t>(0xABABABAB));
}

TEST(FieldTable, TextWithoutTerminatorReadsToTheEndOfItsArray) {
    auto image = std::make_unique<ShareData>();
    for (char16_t& c : image->profiles[0].buttons[0].macroName) c = u'x';
    const Field* field = FindField("profiles[0].buttons[0].macroName");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(std::get<std::u16string>(ReadField(*image, *field)), std::u16string(kMacroNameChars, u'x'));
}

}  // namespace
}  // namespace korvid
