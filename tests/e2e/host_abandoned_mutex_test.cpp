// Korvid.exe after the customizer died while it held the section mutex: the
// mutex is then abandoned, and the next process to wait for it is told so.
// The host takes it over like a free one, uses what the section holds after
// repairing it, and releases it, so neither the host nor the next customizer
// stays blocked. The dead customizer is korvid_section_writer --abandon,
// which writes a whole image or the first half of one before it ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "config/image_repair.h"
#include "config/share_data.h"
#include "fault_support_win.h"
#include "host_test_fixture_win.h"
#include "push_helpers_win.h"
#include "runtime_support_win.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

using ::testing::ElementsAreArray;

constexpr DWORD kPushTimeoutMs = 30000;
// How long a customizer holds the mutex while the host waits for it.
constexpr DWORD kHoldMs = 2000;

// What the host does first after the customizer died.
enum class First {
    kReload,    // WM_HOST_RELOAD: section to working copy
    kApplyAll,  // WM_HOST_APPLY_ALL: the same, then a push of what is flagged
    kPublish,   // a DPI-stage event from the mouse: working copy to section
};

// The image the dying customizer writes: the host's image with, in its
// first half, a new name for profile 1, a new DPI for profile 2 (flagged) and
// three values the host must repair (activeProfile 9, an unterminated name of
// profile 0, 300 steps for a macro of profile 0); in its second half, which a
// customizer that died halfway never wrote, a new name for profile 4.
std::vector<std::uint8_t> CustomizerImage(const std::vector<std::uint8_t>& current, int round) {
    static_assert(ProfileOffset(2) + offsetof(ProfileData, buttons) < kImageSize / 2 &&
                  ProfileOffset(4) > kImageSize / 2);
    auto image = ImageFromBytes(current);
    SetText(image->profiles[1].profileName, kProfileNameChars, L"written by the dead customizer");
    SetText(image->profiles[4].profileName, kProfileNameChars, L"second half " + std::to_wstring(round));
    image->profiles[2].dpiX[0] = 30 + round;
    image->dpiChanged[2] = 1;
    image->activeProfile = 9;
    for (char16_t& c : image->profiles[0].profileName) c = u'A';
    image->profiles[0].buttons[0].eventCount = 300;
    return BytesOfImage(*image);
}

// The host's working copy after it copied these bytes out of the section.
std::unique_ptr<ShareData> Repaired(const std::vector<std::uint8_t>& bytes) {
    auto image = ImageFromBytes(bytes);
    (void)RepairImage(*image);
    return image;
}

TEST_F(HostTest, AMutexAbandonedByADeadCustomizerIsTakenOverAndReleased) {
    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    std::size_t framesBefore = WaitForPushEnds(LogPath(), 1, kPushTimeoutMs).size();

    const struct {
        const char* name;
        const char* key;  // of the recorded figures
        First first;
        bool half;       // the customizer died after writing the first half of its image
        bool hostWaits;  // the host asks for the mutex while the customizer still holds it
    } kCases[] = {
        {"whole image written, then reload", "abandoned_reload", First::kReload, false, false},
        {"half an image written, then reload", "abandoned_half_reload", First::kReload, true, false},
        {"whole image written, then apply-all", "abandoned_apply_all", First::kApplyAll, false, false},
        {"whole image written, then the host publishes", "abandoned_publish", First::kPublish, false, false},
        {"the host waits for the mutex until the customizer dies", "abandoned_while_waiting", First::kReload, false,
         true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const int round = static_cast<int>(&c - kCases);
        ReopenCustomizer();
        ReplyProbe probe(host->Window(), kProbePeriodMs);
        // The section holds the working copy: the host published it last.
        const auto before = ReadSection();
        ASSERT_TRUE(before.has_value());
        const std::vector<std::uint8_t> written = CustomizerImage(*before, round);
        std::vector<std::uint8_t> section = written;
        if (c.half) std::copy(before->begin() + kImageSize / 2, before->end(), section.begin() + kImageSize / 2);

        const std::wstring imagePath = install_.LogPath((L"customizer" + std::to_wstring(round) + L".image").c_str());
        ASSERT_TRUE(WriteFileBytes(imagePath, written));
        const std::wstring readyName = L"Korvid_Dead_Customizer_Ready_" + std::to_wstring(round);
        const UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
        ASSERT_TRUE(ready);
        const std::wstring arguments = L"--abandon \"" + imagePath + L"\" " +
                                       std::to_wstring(c.half ? kImageSize / 2 : kImageSize) + L" " +
                                       std::to_wstring(c.hostWaits ? kHoldMs : 0) + L" " + readyName;
        auto customizer = ChildProcess::Start(SectionWriterExe(), {arguments, {}});
        ASSERT_NE(customizer, nullptr);
        ASSERT_EQ(WaitForSingleObject(ready.get(), kMessageTimeoutMs), static_cast<DWORD>(WAIT_OBJECT_0))
            << "the customizer did not take the mutex";
        if (!c.hostWaits) {
            ASSERT_EQ(customizer->WaitForExit(kExitTimeoutMs), 0u);
        }

        // The host's first operation meets the abandoned mutex (or waits
        // for it); a DPI-stage event then publishes the working copy.
        const int stage = 1 + round % kStageCount;
        std::unique_ptr<ShareData> expected;
        if (c.first == First::kPublish) {
            expected = ImageFromBytes(*before);
        } else {
            expected = Repaired(section);
            ASSERT_TRUE(host->Post(c.first == First::kReload ? WM_HOST_RELOAD : WM_HOST_APPLY_ALL, 7, 0));
        }
        ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_DPI_STAGE, stage));
        ASSERT_TRUE(customizer_->WaitFor(WM_UI_STAGE_CHANGED, kMessageTimeoutMs + kHoldMs).has_value())
            << "the stage event was not answered";
        if (c.hostWaits) {
            EXPECT_EQ(customizer->WaitForExit(kExitTimeoutMs), 0u);
        }
        EXPECT_EQ(SectionMutexWait(kMessageTimeoutMs), static_cast<DWORD>(WAIT_OBJECT_0))
            << "the host did not take the abandoned mutex over and release it";

        expected->profiles[expected->activeProfile].currentStage = stage - 1;
        const auto published = ReadSection();
        ASSERT_TRUE(published.has_value());
        EXPECT_EQ(DescribeDifference(*published, BytesOfImage(*expected)), "");
        auto check = ImageFromBytes(*published);
        EXPECT_FALSE(RepairImage(*check).Any()) << "the host published an image that needs repair";

        if (c.first == First::kApplyAll) {
            ASSERT_TRUE(customizer_->WaitFor(WM_UI_ENABLE_APPLY, kPushTimeoutMs).has_value());
            const auto frames = FramesFrom(LoggedFrames(DriverLog()), framesBefore);
            EXPECT_THAT(HexFrames(frames), ElementsAreArray(HexFrames(ExpectedPush(*Repaired(section), false))));
        }
        framesBefore = LoggedFrames(DriverLog()).size();

        const ReplyFigures replies = probe.Stop();
        ReportReplies(c.key, c.name, replies);
        EXPECT_EQ(replies.unanswered, 0u) << "the window did not answer within " << kReplyBoundMs << " ms";
    }
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

}  // namespace
}  // namespace korvid::e2e
