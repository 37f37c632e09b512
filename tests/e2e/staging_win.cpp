#include "staging_win.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "protocol/korvid_protocol.h"

namespace korvid::e2e {
namespace {

std::wstring CurrentTestFolderName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info == nullptr ? "no_test" : std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':') c = '_';
    return Widen(name);
}

}  // namespace

std::string EncodeProfileStruct(std::span<const std::uint8_t> bytes) {
    std::string text;
    unsigned sum = 0;
    char hex[3];
    for (std::uint8_t b : bytes) {
        (void)std::snprintf(hex, sizeof hex, "%02X", b);
        text += hex;
        sum += b;
    }
    (void)std::snprintf(hex, sizeof hex, "%02X", sum & 0xFFu);
    return text + hex;
}

std::string OsdSettingsIni(std::int32_t osdEnabled) {
    std::uint8_t record[kOsdRecordSize];
    for (std::size_t i = 0; i < kOsdRecordSize; ++i) record[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const auto value = static_cast<std::uint32_t>(osdEnabled);
    for (std::size_t i = 0; i < 4; ++i) record[kOsdEnabledOffset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    std::string ini = "[";
    ini += Utf8(kOsdSettingsSection);
    ini += "]\r\n";
    ini += Utf8(kOsdSettingsKey);
    ini += "=";
    ini += EncodeProfileStruct(record);
    ini += "\r\n";
    return ini;
}

InstallFolder InstallFolderForCurrentTest() {
    InstallFolder folder = InstallFolder::At(WinePath(KORVID_E2E_WORK_DIR) + L"\\" + CurrentTestFolderName() + L"\\");
    EXPECT_TRUE(folder.ok()) << "an older test folder cannot be removed (a host still running?)";
    return folder;
}

}  // namespace korvid::e2e
