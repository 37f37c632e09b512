// The customizer when things go wrong, against a stand-in host whose window
// records what it is sent and never answers: a section mutex held too long
// (the edit is kept and the status line says so), a host that never confirms
// an apply (the buttons come back after the bound, with the reason), and a
// Config.data that cannot be replaced (the old file stays, with a message).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/unique_resource_win.h"
#include "config/share_data.h"
#include "customizer/control_ids.h"
#include "customizer_driver_win.h"
#include "host_test_fixture_win.h"
#include "image_bytes.h"
#include "protocol/korvid_protocol.h"
#include "recorder_window_win.h"
#include "suite_programs_win.h"

namespace korvid::e2e {
namespace {

// The host's named objects, made by the test: the section holding the factory
// image, the section mutex, and a window with the host's title.
class StandInHost {
public:
    StandInHost() : window_(kHostWindowTitle) {
        mutex_.reset(CreateMutexW(nullptr, FALSE, kSectionMutexName));
        mapping_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kImageSize, kSectionName));
        if (mapping_) view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kImageSize));
        if (view_) {
            const std::vector<std::uint8_t> factory = FactoryImageBytes();
            std::memcpy(view_.get(), factory.data(), kImageSize);
        }
    }
    bool Ready() const { return window_.Handle() != nullptr && mutex_ && view_; }
    HANDLE Mutex() const { return mutex_.get(); }
    const RecorderWindow& Window() const { return window_; }

private:
    RecorderWindow window_;
    UniqueHandle mutex_;
    UniqueHandle mapping_;
    UniqueMappedView view_;
};

using CustomizerFaultsTest = CustomizerHostTest;

TEST_F(CustomizerFaultsTest, HeldMutexKeepsTheEditAndAHostThatNeverAnswersGivesTheButtonsBack) {
    const StandInHost host;
    ASSERT_TRUE(host.Ready());
    const CustomizerRun run = StartCustomizer(install_);
    ASSERT_NE(run.window, nullptr);
    const CustomizerWindow ui(run.window);
    ASSERT_TRUE(ui.SetText(ID_OPTION07, L"7"));

    {
        const MutexGuard held(host.Mutex());
        ASSERT_TRUE(held.acquired());
        ASSERT_TRUE(ui.Click(ID_APPLY));  // waits for the mutex, then gives up
        EXPECT_TRUE(Contains(ui.Status(), L"edits are kept")) << Narrow(ui.Status());
        EXPECT_EQ(host.Window().Count(WM_HOST_APPLY_ALL), 0u);
    }
    EXPECT_EQ(ui.Text(ID_OPTION07), L"7");

    ASSERT_TRUE(ui.Click(ID_APPLY));
    EXPECT_TRUE(host.Window().WaitFor(WM_HOST_APPLY_ALL, kMessageTimeoutMs).has_value());
    EXPECT_FALSE(ui.Enabled(ID_APPLY));
    // No WM_UI_ENABLE_APPLY ever comes: after the bound the buttons are back.
    EXPECT_TRUE(PollUntil([&] { return ui.Enabled(ID_APPLY) && ui.Enabled(ID_OK); }, 30000));
    EXPECT_TRUE(Contains(ui.Status(), L"did not confirm")) << Narrow(ui.Status());
}

TEST_F(CustomizerFaultsTest, ConfigDataThatCannotBeReplacedStaysAsItWasWithAMessage) {
    const std::vector<std::uint8_t> factory = FactoryImageBytes();
    ASSERT_TRUE(WriteConfigData(factory));
    // Another program holds the file open and shares nothing: it can be
    // neither replaced nor renamed.
    UniqueFileHandle busy(
        CreateFileW(ConfigDataPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(busy);
    const CustomizerRun run = StartCustomizer(install_);
    ASSERT_NE(run.window, nullptr);
    const CustomizerWindow ui(run.window);

    ASSERT_TRUE(ui.SetText(ID_POINTER_SPEED, L"9"));
    ASSERT_TRUE(ui.Click(ID_APPLY));
    EXPECT_TRUE(PollUntil([&] { return Contains(ui.Status(), L"was not changed"); }, kMessageTimeoutMs))
        << Narrow(ui.Status());
    busy.reset();
    EXPECT_EQ(ReadFileBytes(ConfigDataPath()), std::optional(factory));
    EXPECT_EQ(ui.Text(ID_POINTER_SPEED), L"9") << "the edit is kept for another try";
}

}  // namespace
}  // namespace korvid::e2e
