// The customizer's on-screen display page: it shows config.ini's OSDSetting
// record, refuses a value out of range without writing, and writes the record
// back with a checksum GetPrivateProfileStructW accepts, keeping what it does
// not edit.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "config/osd_settings.h"
#include "customizer/control_ids.h"
#include "customizer_driver_win.h"
#include "host_test_fixture_win.h"

namespace korvid::e2e {
namespace {

// Rows of the page's value controls (ID_OSD_VALUE + row).
constexpr int kShowMsRow = 1;
constexpr int kOpacityRow = 4;

class CustomizerOsdPageTest : public CustomizerHostTest {
protected:
    std::optional<OsdSettings> ReadRecord() const {
        OsdSettings read{};
        const std::wstring path = install_.InstallDir() + kSettingsFileName;
        if (!GetPrivateProfileStructW(kOsdSettingsSection, kOsdSettingsKey, &read, sizeof read, path.c_str()))
            return std::nullopt;
        return read;
    }
};

TEST_F(CustomizerOsdPageTest, SavesTheRecordWithAChecksumAndRefusesValuesOutOfRange) {
    ASSERT_TRUE(install_.WriteInstallFile(kSettingsFileName, OsdSettingsIni(1)));
    const CustomizerRun run = StartCustomizer(install_, L"--page 9");
    ASSERT_NE(run.window, nullptr);
    const CustomizerWindow ui(run.window);
    // The zero look of an older record shows as the defaults.
    EXPECT_TRUE(ui.Checked(ID_OSD_ENABLED));
    EXPECT_EQ(ui.Text(ID_OSD_VALUE + kShowMsRow), L"1500");
    EXPECT_EQ(ui.Selected(ID_OSD_VALUE), 7);

    ASSERT_TRUE(ui.Click(ID_OSD_ENABLED));
    ASSERT_TRUE(ui.SetText(ID_OSD_VALUE + kShowMsRow, L"250"));
    ASSERT_TRUE(ui.SetText(ID_OSD_VALUE + kOpacityRow, L"19"));
    ASSERT_TRUE(ui.Click(ID_OSD_SAVE));
    EXPECT_NE(ui.Status().find(L"Not saved"), std::wstring::npos) << "status: " << ui.Status();
    auto record = ReadRecord();
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->osdEnabled, 1) << "written although a value was refused";

    ASSERT_TRUE(ui.SetText(ID_OSD_VALUE + kOpacityRow, L"60"));
    ASSERT_TRUE(ui.Select(ID_OSD_VALUE, 2));
    ASSERT_TRUE(ui.Click(ID_OSD_SAVE));
    EXPECT_NE(ui.Status().find(L"next start"), std::wstring::npos) << "status: " << ui.Status();
    record = ReadRecord();
    ASSERT_TRUE(record.has_value()) << "missing or with a wrong checksum";
    EXPECT_EQ(record->osdEnabled, 0);
    EXPECT_EQ(record->osdLayout, 1);
    EXPECT_EQ(record->osdPosition, 2);
    EXPECT_EQ(record->osdShowMs, 250);
    EXPECT_EQ(record->osdFadeMs, 600);
    EXPECT_EQ(record->osdOpacity, 60);
}

}  // namespace
}  // namespace korvid::e2e
