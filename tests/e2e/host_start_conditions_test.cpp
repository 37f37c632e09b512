// Korvid.exe started the way it is at logon and next to a customizer that was
// there first: a working directory other than its install folder, the mouse's
// IDs from config.ini, a section the customizer made, a temporary file left
// by an interrupted first save, and a start that fails after the driver
// library was loaded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host_test_fixture_win.h"
#include "language_library_win.h"
#include "notification_area_win.h"
#include "runtime_support_win.h"
#include "shared_section_win.h"
#include "suite_programs_win.h"

namespace korvid::e2e {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;

constexpr DWORD kPushTimeoutMs = 30000;

// A handle the test made; closed on every path, so no object outlives a
// failed test and spoils the next one.
using Handle = std::unique_ptr<void, decltype(&CloseHandle)>;
Handle Owned(HANDLE handle) { return Handle(handle, &CloseHandle); }

// The OSD record switched on, and the mouse's IDs.
std::string IniWithDeviceIds(const char* vendorId, const char* productId) {
    return OsdSettingsIni(1) + "[Device]\r\nVendorId=" + vendorId + "\r\nProductId=" + productId + "\r\n";
}

// Started from elsewhere, as at logon, the host still takes hiddriver.dll,
// config.ini, lan.dll, the companions and the customizer from its install
// folder. The working directory holds a config.ini with other IDs, which
// must not be read.
TEST_F(HostProgramsTest, AnotherWorkingDirectoryFindsEverythingInTheInstallFolder) {
    customizer_.reset();  // the host is to launch the customizer itself
    ASSERT_TRUE(install_.WriteInstallFile(kSettingsFileName, IniWithDeviceIds("0x1234", "43981")));
    ASSERT_TRUE(StageLanguageLibrary(install_.InstallDir(), {L"Open it", L"Leave", L"Tip from lan.dll"}));
    const std::wstring elsewhere = install_.TestDir() + L"elsewhere\\";
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    const std::string decoy = "[Device]\r\nVendorId=0x0BAD\r\nProductId=0x0BAD\r\n";
    ASSERT_TRUE(WriteFileBytes(elsewhere + kSettingsFileName, std::vector<std::uint8_t>(decoy.begin(), decoy.end())));
    FakeNotificationArea tray;
    ASSERT_NE(tray.Handle(), nullptr);
    const std::wstring programLog = ProgramLog();

    auto host =
        ChildProcess::Start(install_.HostExe(), {.arguments = L"1",
                                                 .environment = {{L"KORVID_SIM_LOG", LogPath()}, LogTo(programLog)},
                                                 .workingDirectory = elsewhere});
    ASSERT_NE(host, nullptr);
    ASSERT_NE(WaitForHostWindow(*host), nullptr);

    // hiddriver.dll and the IDs of config.ini.
    const auto calls = CallTexts(DriverLog());
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "Set_VIDPID 0x1234 0xABCD -> 1");
    EXPECT_THAT(calls, Contains("Open_FeatureDevice -> 1"));
    // lan.dll.
    const auto icons = tray.WaitForCalls(1, kMessageTimeoutMs);
    ASSERT_FALSE(icons.empty());
    EXPECT_EQ(icons.front().tip, L"Tip from lan.dll");
    // The customizer (argument 1) and the companions.
    const auto starts = WaitForStandInStarts(programLog, 4, kMessageTimeoutMs);
    std::vector<std::wstring> expected = {InstalledCustomizer()};
    for (const wchar_t* companion : kCompanionExes) expected.push_back(install_.InstallDir() + companion);
    EXPECT_THAT(StartedPaths(starts), UnorderedElementsAreArray(expected));
    EXPECT_THAT(CustomizersStartedBy(*host), ElementsAre(InstalledCustomizer()));
    // The OSD record of config.ini: a profile change is shown.
    ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_PROFILE, 2));
    EXPECT_TRUE(osd_->WaitFor(WM_OSD_SHOW, kMessageTimeoutMs).has_value()) << "the OSD setting was not read";

    EXPECT_EQ(host->EndWith(WM_COMMAND, ID_TRAY_EXIT, 0, kExitTimeoutMs), kExitOk);
    EXPECT_TRUE(CloseStandInCustomizers(kExitTimeoutMs));
}

// The customizer started first and made the section (it cannot make the
// mutex as well: the host would not start). The host publishes its image
// into that section, and reads the customizer's image back from it.
TEST_F(HostTest, ASectionTheCustomizerMadeFirstIsUsed) {
    // Filled with a pattern the host must overwrite.
    const Handle section = Owned(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                    static_cast<DWORD>(kImageSize), kSectionName));
    ASSERT_TRUE(section);
    void* view = MapViewOfFile(section.get(), FILE_MAP_ALL_ACCESS, 0, 0, kImageSize);
    ASSERT_NE(view, nullptr);
    std::memset(view, 0xAB, kImageSize);
    (void)UnmapViewOfFile(view);

    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    const ByteRange captured[] = {PointerFieldsOf(0)};
    EXPECT_EQ(SectionDifference(FactoryImageBytes(), captured), "") << "the host's image is not in the section";

    // And the customizer's image comes back through it.
    const auto published = ReadSection();
    ASSERT_TRUE(published.has_value());
    auto image = ImageOf(*published);
    image->profiles[1].option07 = 9;
    image->option07Changed[1] = 1;
    ASSERT_TRUE(PollUntil([&] { return CountFrames(DriverLog(), "0B") == 1; }, kPushTimeoutMs));
    const std::size_t linesBefore = DriverLog().size();
    ASSERT_TRUE(WriteSection(BytesOf(*image)));
    ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL));
    ASSERT_TRUE(customizer_->WaitFor(WM_UI_ENABLE_APPLY, kPushTimeoutMs).has_value());
    EXPECT_THAT(SentFrames(DriverLog(), linesBefore), Contains("8 07 08 01 09 00 00 00 00"));
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

// The first start writes the factory configuration under a temporary name
// and renames it to Config.data; a temporary file left by an interrupted
// save is overwritten, and nothing but Config.data stays.
TEST_F(HostTest, AFirstStartSavesOverAStaleTemporaryFile) {
    ASSERT_TRUE(WriteConfigData(std::vector<std::uint8_t>{}));
    ASSERT_TRUE(DeleteFileW(ConfigDataPath().c_str()));
    const std::wstring temporary = ConfigDataPath() + L".tmp";
    ASSERT_TRUE(WriteFileBytes(temporary, std::vector<std::uint8_t>(100, 0xEE)));

    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(ConfigDataDifference(FactoryImageBytes()), "");
    EXPECT_FALSE(FileExists(temporary));
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

// A start that fails once the driver library is loaded (the section mutex
// exists) still closes what it opened of the library, as a normal end does.
TEST_F(HostTest, AFailedStartStillClosesTheDriverLibrary) {
    const Handle foreign = Owned(CreateMutexW(nullptr, FALSE, kSectionMutexName));
    ASSERT_TRUE(foreign);
    auto host = StartHost();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->WaitForExit(kExitTimeoutMs), std::optional<DWORD>(1));
    EXPECT_THAT(EntryPoints(DriverLog()), ElementsAre("Close_DevMonitor", "Close_FeatureDevice"));
}

}  // namespace
}  // namespace korvid::e2e
