// The one place where the end-to-end tests restate the facts the suite's
// programs exchange as literal values, on purpose: every other test takes
// them from protocol/korvid_protocol.h, as the host does, so a wrong value in
// that header would pass unnoticed there. Here each fact is written again as
// the other programs (customizer, on-screen display, driver library) know it,
// and checked against the header and against the running host.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "host_test_fixture_win.h"
#include "protocol/korvid_protocol.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

TEST(IndependentFactsTest, MessageNumbersAndEventClasses) {
    const struct {
        const char* name;
        std::uint64_t header;
        std::uint64_t literal;
    } kCases[] = {
        {"WM_HOST_APPLY_ALL", WM_HOST_APPLY_ALL, 1224},
        {"WM_HOST_RELOAD", WM_HOST_RELOAD, 1226},
        {"WM_HOST_RELOAD_POINTER", WM_HOST_RELOAD_POINTER, 1227},
        {"WM_UI_PROFILE_CHANGED", WM_UI_PROFILE_CHANGED, 1255},
        {"WM_UI_STAGE_CHANGED", WM_UI_STAGE_CHANGED, 1257},
        {"WM_UI_ENABLE_APPLY", WM_UI_ENABLE_APPLY, 1258},
        {"WM_OSD_SHOW", WM_OSD_SHOW, 1324},
        {"kOsdShowWParam", kOsdShowWParam, 40},
        {"OsdShowLParam(2)", static_cast<std::uint64_t>(OsdShowLParam(2)), 0x20000},
        {"WM_DEVICE_EVENT", WM_DEVICE_EVENT, 1325},
        {"WM_DEVICE_CONNECTION", WM_DEVICE_CONNECTION, 1326},
        {"kConnectionMessageArrival", kConnectionMessageArrival, 1},
        {"kConnectionMessageRemoval", kConnectionMessageRemoval, 0},
        {"ID_TRAY_CUSTOMIZER", ID_TRAY_CUSTOMIZER, 6001},
        {"ID_TRAY_EXIT", ID_TRAY_EXIT, 6002},
        {"EVENT_PROFILE", EVENT_PROFILE, 0x3000},
        {"EVENT_LAUNCH_PROGRAM", EVENT_LAUNCH_PROGRAM, 0x6000},
        {"EVENT_CONNECTION", EVENT_CONNECTION, 0x7F00},
        {"EVENT_OPEN_CUSTOMIZER", EVENT_OPEN_CUSTOMIZER, 0xA000},
        {"EVENT_DPI_STAGE", EVENT_DPI_STAGE, 0xB000},
        {"kConnectionAttached", kConnectionAttached, 1},
        {"kConnectionRemoved", kConnectionRemoved, 2},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.header, c.literal);
    }
}

TEST(IndependentFactsTest, NamesOfWindowsObjectsFilesAndFolders) {
    const struct {
        const char* name;
        std::wstring header;
        std::wstring literal;
    } kCases[] = {
        {"kHostWindowTitle", kHostWindowTitle, L"QIV_Brennox_2_Gaming mouse_Korvid"},
        {"kCustomizerWindowTitle", kCustomizerWindowTitle, L"QIV Brennox 2 Gaming mouse"},
        {"kOsdWindowTitle", kOsdWindowTitle, L"Oskel_TRAVENA7000X_OSD"},
        {"kSingleInstanceMutexName", kSingleInstanceMutexName, L"T593K_Gaming_Mouse_HidHost"},
        {"kSectionName", kSectionName, L"T593K_Gaming_Mouse_ShareData"},
        {"kSectionMutexName", kSectionMutexName, L"T593K_Gaming_Mouse_Mutex_Object"},
        {"kHostExeName", kHostExeName, L"Korvid.exe"},
        {"kCustomizerExeName", kCustomizerExeName, L"Option.exe"},
        {"kOsdExeName", kOsdExeName, L"FerroxOSD.exe"},
        {"kAppletExeNames[0]", kAppletExeNames[0], L"Applets\\CpuRam.exe"},
        {"kAppletExeNames[1]", kAppletExeNames[1], L"Applets\\EmailPOP3.EXE"},
        {"kDriverLibraryName", kDriverLibraryName, L"hiddriver.dll"},
        {"kSettingsFileName", kSettingsFileName, L"config.ini"},
        {"kOsdSettingsSection", kOsdSettingsSection, L"OSDSetting"},
        {"kOsdSettingsKey", kOsdSettingsKey, L"config"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.header, c.literal);
    }
}

// The running host, seen through the literal names only.
TEST_F(HostTest, IsFoundByTheLiteralNamesOfItsWindowObjectsAndDataFile) {
    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(FindWindowOf(L"QIV_Brennox_2_Gaming mouse_Korvid", host->Id()), host->Window());
    EXPECT_TRUE(NamedMutexExists(L"T593K_Gaming_Mouse_HidHost"));
    EXPECT_TRUE(NamedMutexExists(L"T593K_Gaming_Mouse_Mutex_Object"));
    EXPECT_TRUE(UniqueHandle(OpenFileMappingW(FILE_MAP_READ, FALSE, L"T593K_Gaming_Mouse_ShareData")));
    EXPECT_EQ(ConfigDataPath(), HostDataFolder() + L"\\Config\\Config.data");
    EXPECT_TRUE(HostDataFolder().ends_with(L"\\QIV Brennox 2"));
    EXPECT_TRUE(FileExists(ConfigDataPath())) << "the host wrote no Config.data at start-up";
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

}  // namespace
}  // namespace korvid::e2e
