// Korvid.exe loading an existing Config.data: what reaches the section, and
// that the file stays as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "config/share_data.h"
#include "host_test_fixture_win.h"

namespace korvid::e2e {
namespace {

void SetText(char16_t* text, const char16_t* value) {
    std::memcpy(text, value, (std::char_traits<char16_t>::length(value) + 1) * 2);
}

TEST_F(HostTest, PublishesTheFileRepairedAndLeavesTheFileAlone) {
    const auto factory = FactoryImageBytes();

    // A valid image unlike the defaults: profile 3 active, a renamed profile,
    // a spare field and a change flag set.
    auto custom = ImageOf(factory);
    custom->spare0 = 0x12345678;
    custom->activeProfile = 3;
    SetText(custom->profiles[2].profileName, u"Tournament");
    custom->profiles[4].dpiX[0] = 20;
    custom->dpiChanged[4] = 1;
    const auto customBytes = BytesOf(*custom);

    // The same, breaking the invariants the host indexes with: an active
    // profile beyond 4, a macro longer than 40 events, a name without end.
    auto broken = ImageOf(customBytes);
    broken->activeProfile = 9;
    broken->profiles[1].buttons[4].eventCount = 500;
    for (char16_t& c : broken->profiles[0].profileName) c = u'A';
    const auto brokenBytes = BytesOf(*broken);
    auto repaired = ImageOf(brokenBytes);
    repaired->activeProfile = 0;
    repaired->profiles[1].buttons[4].eventCount = kMaxMacroEvents;
    repaired->profiles[0].profileName[kProfileNameChars - 1] = u'\0';

    std::vector<std::uint8_t> longer = customBytes;
    longer.insert(longer.end(), 100, 0xEE);
    const std::vector<std::uint8_t> shortFile(customBytes.begin(), customBytes.begin() + 1000);
    std::vector<std::uint8_t> shortExpected = factory;
    std::memcpy(shortExpected.data(), shortFile.data(), shortFile.size());

    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
        std::vector<std::uint8_t> section;
        int activeProfile;
    } kCases[] = {
        {"valid image", customBytes, customBytes, 3},
        {"longer file: its first 83,684 bytes", longer, customBytes, 3},
        {"short file: the rest from the defaults", shortFile, shortExpected, 3},
        {"empty file: the defaults", {}, factory, 0},
        {"broken invariants: repaired", brokenBytes, BytesOf(*repaired), 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(ClearHostDataFolder());
        ASSERT_TRUE(WriteConfigData(c.file));
        const auto fileTime = LastWriteTime(ConfigDataPath());

        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", CaseLogPath(static_cast<std::size_t>(&c - kCases))}});
        ASSERT_NE(host, nullptr);
        // The pointer fields of the active profile come from Windows.
        const ByteRange captured[] = {PointerFieldsOf(c.activeProfile)};
        EXPECT_EQ(SectionDifference(c.section, captured), "");
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);

        EXPECT_EQ(ConfigDataDifference(c.file), "");
        EXPECT_EQ(LastWriteTime(ConfigDataPath()), fileTime);
    }
}

}  // namespace
}  // namespace korvid::e2e
