// Korvid.exe starting: the first instance, second starts, a start that cannot
// create its window, and the settings file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "host_test_fixture_win.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::Not;

TEST_F(HostTest, FirstStartWritesFactoryDefaultsPublishesThemAndOpensTheDevice) {
    ASSERT_FALSE(FileExists(HostDataFolder()));
    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);

    const auto factory = FactoryImageBytes();
    EXPECT_EQ(ConfigDataDifference(factory), "") << "Config.data";
    // The working copy: the defaults, with the user's pointer settings in the
    // active profile.
    const ByteRange captured[] = {PointerFieldsOf(0)};
    EXPECT_EQ(SectionDifference(factory, captured), "") << "section";

    const auto calls = CallTexts(DriverLog());
    ASSERT_GE(calls.size(), 3u);
    EXPECT_THAT(std::vector(calls.begin(), calls.begin() + 3), ElementsAreArray(DeviceOpenCalls(host->Window(), 1)));

    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

TEST_F(HostTest, SecondStartEndsAtOnceAndTouchesNothing) {
    auto first = StartHostAndWait();
    ASSERT_NE(first, nullptr);
    const auto fileBefore = ReadFileBytes(ConfigDataPath());
    const auto fileTimeBefore = LastWriteTime(ConfigDataPath());
    const auto sectionBefore = ReadSection();
    ASSERT_TRUE(fileBefore && fileTimeBefore && sectionBefore);

    const struct {
        const char* name;
        const wchar_t* arguments;
    } kCases[] = {
        {"no argument", L""},
        {"argument 01", L"01"},
        {"argument -1", L"-1"},
        {"argument 1, customizer open", L"1"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::wstring secondLog = CaseLogPath(static_cast<std::size_t>(&c - kCases));
        auto second = StartHost({{L"KORVID_SIM_LOG", secondLog}}, c.arguments);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(second->WaitForExit(kExitTimeoutMs), kExitOk);
        EXPECT_FALSE(FileExists(secondLog)) << "the second start called the driver library";
        EXPECT_EQ(WindowsTitled(kHostWindowTitle).size(), 1u);
        EXPECT_EQ(FindWindowOf(kHostWindowTitle, 0), first->Window());
    }
    EXPECT_EQ(ConfigDataDifference(*fileBefore), "");
    EXPECT_EQ(LastWriteTime(ConfigDataPath()), fileTimeBefore);
    EXPECT_EQ(SectionDifference(*sectionBefore), "");
    EXPECT_EQ(customizer_->Count(WM_CLOSE), 0u);

    EXPECT_EQ(first->Close(kExitTimeoutMs), kExitOk);

    // With the first host gone, the next start is the host again.
    const std::size_t linesBefore = DriverLog().size();
    auto next = StartHostAndWait();
    ASSERT_NE(next, nullptr);
    const auto log = DriverLog();
    ASSERT_GE(log.size(), linesBefore + 3);
    EXPECT_EQ(log[linesBefore].Call(), DeviceOpenCalls(next->Window(), 1).front());
    EXPECT_EQ(next->Close(kExitTimeoutMs), kExitOk);
}

TEST_F(HostTest, StartWhileTheSectionMutexExistsEndsWithoutSectionOrSingleInstanceMutex) {
    // Another program (a customizer started first) holds the name.
    const UniqueHandle foreign(CreateMutexW(nullptr, FALSE, kSectionMutexName));
    ASSERT_TRUE(foreign);

    auto host = StartHost();
    ASSERT_NE(host, nullptr);
    const std::optional<DWORD> code = host->WaitForExit(kExitTimeoutMs);
    ASSERT_TRUE(code.has_value()) << "the host went on running without its window";
    EXPECT_EQ(*code, 1u) << "a host whose window could not be created ends with exit code 1";
    EXPECT_FALSE(SectionExists());
    EXPECT_FALSE(NamedMutexExists(kSingleInstanceMutexName));
    EXPECT_TRUE(customizer_->WaitFor(WM_CLOSE, kMessageTimeoutMs).has_value()) << "the customizer was not closed";
    const auto entryPoints = EntryPoints(DriverLog());
    EXPECT_THAT(entryPoints, Not(Contains("Open_DevMonitor")));
    EXPECT_THAT(entryPoints, Not(Contains("Open_FeatureDevice")));
}

// Reads of config.ini that succeed and that fail alike let the start-up go on.
TEST_F(HostTest, StartUpGoesOnWhateverTheSettingsFile) {
    std::string wrongChecksum = OsdSettingsIni(1);
    char& lastDigit = wrongChecksum[wrongChecksum.size() - 3];  // before "\r\n"
    lastDigit = lastDigit == '0' ? '1' : '0';
    const struct {
        const char* name;
        std::optional<std::string> configIni;  // nothing: no config.ini
    } kCases[] = {
        {"osdEnabled 1", OsdSettingsIni(1)}, {"osdEnabled 2", OsdSettingsIni(2)},
        {"no config.ini", std::nullopt},     {"record too short", "[OSDSetting]\r\nconfig=000000000100000001\r\n"},
        {"wrong checksum", wrongChecksum},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::wstring ini = install_.InstallDir() + kSettingsFileName;
        (void)DeleteFileW(ini.c_str());  // may not exist
        if (c.configIni) {
            ASSERT_TRUE(install_.WriteInstallFile(kSettingsFileName, *c.configIni));
        }

        const std::wstring log = CaseLogPath(static_cast<std::size_t>(&c - kCases));
        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", log}});
        ASSERT_NE(host, nullptr);
        EXPECT_TRUE(SectionExists());
        EXPECT_THAT(CallTexts(ReadDriverLog(log)), Contains("Open_FeatureDevice -> 1"));
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
    }
}

}  // namespace
}  // namespace korvid::e2e
