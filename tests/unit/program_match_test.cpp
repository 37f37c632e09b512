#include "runtime/program_match.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "config/factory_defaults.h"

namespace korvid {
namespace {

// Stands in for lstrcmpiW in tests: case-insensitive for ASCII letters.
bool AsciiEqualsIgnoringCase(const char16_t* a, const char16_t* b) {
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
    for (; *a != 0 && *b != 0; ++a, ++b) {
        if (lower(*a) != lower(*b)) return false;
    }
    return *a == *b;
}

// prefix, then n times c, then suffix.
std::u16string Long(std::u16string_view prefix, std::size_t n, char16_t c, std::u16string_view suffix) {
    std::u16string s(prefix);
    s.append(n, c);
    s.append(suffix);
    return s;
}

TEST(ProgramMatch, BoundProgramName) {
    const struct {
        const char* name;
        std::u16string path;
        std::optional<std::u16string> expected;
    } kCases[] = {
        {"full path", u"C:\\Games\\Shooter\\Game.exe", u"Game.exe"},
        {"forward slashes", u"D:/Games/Game.exe", u"Game.exe"},
        {"mixed separators, last one counts", u"C:\\a/b\\c/Game.exe", u"Game.exe"},
        {"bare file name", u"Game.exe", u"Game.exe"},
        {"drive without directory", u"C:Game.exe", u"Game.exe"},
        {"UNC path", u"\\\\server\\share\\Game.exe", u"Game.exe"},
        {"spaces around", u"   C:\\Games\\Game.exe  ", u"Game.exe"},
        {"tabs and line breaks around", u"\t\r\nGame.exe\r\n", u"Game.exe"},
        {"spaces inside kept", u"C:\\Program Files\\My Game.exe", u"My Game.exe"},
        {"space before the name kept", u"C:\\Games\\ Game.exe", u" Game.exe"},
        {"no extension", u"C:\\Games\\Game", u"Game"},
        {"two dots", u"C:\\Games\\game.x64.exe", u"game.x64.exe"},
        {"dot in a directory only", u"C:\\v1.2\\Game", u"Game"},
        {"empty", u"", std::nullopt},
        {"white space only", u"  \t ", std::nullopt},
        {"ends in a backslash", u"C:\\Games\\", std::nullopt},
        {"ends in a slash", u"C:/Games/", std::nullopt},
        {"ends in a backslash before spaces", u"C:\\Games\\  ", std::nullopt},
        {"drive only", u"C:", std::nullopt},
        {"directory part of 259", Long(u"\\", 257, u'd', u"\\Game.exe"), u"Game.exe"},
        {"directory part of 260", Long(u"\\", 258, u'd', u"\\Game.exe"), std::nullopt},
        {"drive not counted in the directory", Long(u"C:\\", 257, u'd', u"\\Game.exe"), u"Game.exe"},
        {"file name of 259", Long(u"", 259, u'n', u".exe"), Long(u"", 259, u'n', u".exe")},
        {"file name of 260", Long(u"", 260, u'n', u".exe"), std::nullopt},
        {"file name of 260 without extension", Long(u"", 260, u'n', u""), std::nullopt},
        {"extension of 259", Long(u"a.", 258, u'e', u""), Long(u"a.", 258, u'e', u"")},
        {"extension of 260", Long(u"a.", 259, u'e', u""), std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BoundProgramName(c.path), c.expected);
    }
}

TEST(ProgramMatch, ProfileToActivate) {
    const struct {
        const char* name;
        const char16_t* bindings[kProfileCount];
        int activeProfile;
        const char16_t* processName;
        std::optional<int> expected;
    } kCases[] = {
        {"full path in other letter case", {u"", u"", u"C:\\Games\\Shooter\\GAME.EXE", u"", u""}, 0, u"game.exe", 2},
        {"already active", {u"", u"", u"C:\\Games\\Game.exe", u"", u""}, 2, u"Game.exe", std::nullopt},
        {"unbound program", {u"", u"", u"C:\\Games\\Game.exe", u"", u""}, 2, u"notepad.exe", std::nullopt},
        {"no profile bound", {u"", u"", u"", u"", u""}, 0, u"Game.exe", std::nullopt},
        {"spaces around the binding", {u"  C:\\Games\\Game.exe  ", u"", u"", u"", u""}, 3, u"Game.exe", 0},
        {"binding without extension", {u"C:\\Games\\Game", u"", u"", u"", u""}, 3, u"Game.exe", std::nullopt},
        {"binding ending in a backslash", {u"C:\\Games\\", u"", u"", u"", u""}, 3, u"Games", std::nullopt},
        {"ending in a backslash, empty process name", {u"C:\\Games\\", u"", u"", u"", u""}, 3, u"", std::nullopt},
        {"same name in two folders, lower index wins",
         {u"", u"C:\\A\\Game.exe", u"", u"D:\\B\\game.exe", u""},
         0,
         u"Game.exe",
         1},
        {"lower index wins over the active one",
         {u"", u"C:\\A\\Game.exe", u"", u"D:\\B\\game.exe", u""},
         3,
         u"Game.exe",
         1},
        {"lower index already active",
         {u"", u"C:\\A\\Game.exe", u"", u"D:\\B\\game.exe", u""},
         1,
         u"Game.exe",
         std::nullopt},
        {"last profile", {u"", u"", u"", u"", u"E:\\x\\Tool.EXE"}, 0, u"tool.exe", 4},
        {"prefix is not a match", {u"C:\\Games\\Game.exe", u"", u"", u"", u""}, 3, u"Game.exe2", std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        auto image = std::make_unique<ShareData>();
        BuildFactoryDefaults(*image);
        image->activeProfile = c.activeProfile;
        for (int i = 0; i < kProfileCount; ++i) {
            const std::u16string binding = c.bindings[i];
            std::memcpy(image->profiles[i].programPath, binding.c_str(), (binding.size() + 1) * sizeof(char16_t));
        }
        EXPECT_EQ(ProfileToActivate(*image, c.processName, AsciiEqualsIgnoringCase), c.expected);
    }
}

}  // namespace
}  // namespace korvid
