// Korvid.exe while the simulated mouse misbehaves: frames refused in the
// middle of an apply-all, a SetFeature that takes half a second, the mouse
// pulled out in the middle of a push, the device failing to open at
// start-up. Throughout, a probe keeps asking the host window for a reply
// (figures printed; only a hung window fails), and the push that follows the
// fault must be complete, as the simulated driver's log shows it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/share_data.h"
#include "device/command_frame.h"
#include "fault_support_win.h"
#include "host_test_fixture_win.h"
#include "push_helpers_win.h"
#include "runtime_support_win.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

using ::testing::ElementsAreArray;

// A push of everything of the factory image: CMD_BEGIN, five each of DPI,
// option 07, lighting and buttons, CMD_END.
constexpr std::size_t kFullPushFrames = 22;
// Bounds of the waits, not expectations about speed: a push of everything
// at 600 ms a frame takes 13 s.
constexpr DWORD kPushTimeoutMs = 60000;

std::vector<std::uint8_t> WithAllFlags(std::vector<std::uint8_t> image) {
    std::memset(image.data() + kChangeFlagsOffset, 1, kImageSize - kChangeFlagsOffset);
    return image;
}

std::string EveryThirdRefused(std::size_t frames) {
    std::string results;
    for (std::size_t i = 1; i <= frames; ++i) results += i % 3 == 0 ? '-' : '+';
    return results;
}

// The customizer applies while the start-up push runs; the push of that
// apply-all meets the fault; the customizer is told all the same, and its next
// apply-all is pushed whole. The fault lies in the list of SetFeature results
// (one per call: the start-up push's 22 calls come first) or in the time every
// call takes.
TEST_F(HostTest, AFaultyPushKeepsTheWindowAnsweringAndTheNextPushIsComplete) {
    // Every change flag set: CMD_BEGIN, CMD_ACTIVE_PROFILE, five each of DPI,
    // option 07, lighting and buttons, CMD_END.
    const std::size_t flaggedFrames = ExpectedPush(*ImageFromBytes(WithAllFlags(FactoryImageBytes())), false).size();
    const std::string startUp(kFullPushFrames, '+');
    const struct {
        const char* name;
        const char* key;  // of the recorded figures
        std::pair<std::wstring, std::wstring> fault;
        bool flagged;               // the applied image has every change flag set, or none
        std::string faultyResults;  // of the apply-all's push
    } kCases[] = {
        {"every third frame of an apply-all refused",
         "every_third_refused",
         {L"KORVID_SIM_SETFEATURE", SetFeatureResults(startUp + EveryThirdRefused(flaggedFrames) + "+")},
         true,
         EveryThirdRefused(flaggedFrames)},
        {"every frame of an apply-all refused",
         "apply_all_refused",
         {L"KORVID_SIM_SETFEATURE", SetFeatureResults(startUp + std::string(flaggedFrames, '-') + "+")},
         true,
         std::string(flaggedFrames, '-')},
        {"every SetFeature takes 500 ms", "setfeature_500ms", {L"KORVID_SIM_DELAY_MS", L"500"}, false, "++"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ReopenCustomizer();
        ASSERT_TRUE(ClearHostDataFolder());
        const std::wstring log = CaseLogPath(static_cast<std::size_t>(&c - kCases));
        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", log}, c.fault});
        ASSERT_NE(host, nullptr);
        ReplyProbe probe(host->Window(), kProbePeriodMs);

        const auto loaded = ReadSection();
        ASSERT_TRUE(loaded.has_value());
        const std::vector<std::uint8_t> applied = c.flagged ? WithAllFlags(*loaded) : *loaded;
        const auto expected = HexFrames(ExpectedPush(*ImageFromBytes(applied), false));
        ASSERT_TRUE(WriteSection(applied));
        ASSERT_TRUE(WaitForFirstFrame(log, kPushTimeoutMs));
        ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL, 7, 0));
        ASSERT_TRUE(customizer_->WaitFor(WM_UI_ENABLE_APPLY, kPushTimeoutMs).has_value())
            << "the customizer was not told after the faulty push";
        const auto sofar = LoggedFrames(ReadDriverLog(log));
        ASSERT_GE(sofar.size(), kFullPushFrames);
        const auto faulty = FramesFrom(sofar, kFullPushFrames);
        EXPECT_THAT(HexFrames(faulty), ElementsAreArray(expected)) << "the faulty push";
        EXPECT_EQ(Results(faulty), c.faultyResults);

        ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL, 7, 0));
        ASSERT_TRUE(PollUntil([&] { return customizer_->Count(WM_UI_ENABLE_APPLY) == 2; }, kPushTimeoutMs))
            << "the customizer was not told after the next push";
        const auto next = FramesFrom(LoggedFrames(ReadDriverLog(log)), sofar.size());
        EXPECT_THAT(HexFrames(next), ElementsAreArray(expected)) << "the next push";
        EXPECT_EQ(Results(next), std::string(next.size(), '+'));
        EXPECT_EQ(MissingPauses(next), "");

        const ReplyFigures replies = probe.Stop();
        ReportReplies(c.key, c.name, replies);
        EXPECT_GT(replies.replies, 0u);
        EXPECT_EQ(replies.unanswered, 0u) << "the window did not answer within " << kReplyBoundMs << " ms";
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
    }
}

// The device fails to open at start-up, or goes away while a push is under
// way (each frame takes 100 ms more, so the push lasts over four seconds)
// and comes back while that push still runs or after it ended. Meanwhile
// apply-all is answered by the window itself. The attach pushes everything,
// complete, after the device opened again.
TEST_F(HostTest, AnAttachAfterAFailedOpenOrARemovalInAPushBringsACompletePush) {
    const struct {
        const char* name;
        const char* key;             // of the recorded figures
        const wchar_t* openResults;  // KORVID_SIM_OPEN
        bool removedInPush;          // removed after the third frame of the start-up push
        bool attachAfterPushEnds;    // attached once that push has ended, or right after the removal
    } kCases[] = {
        {"open fails at start-up, then attach", "open_fails_then_attach", L"0,1", false, false},
        {"removed in a push, attached while it still runs", "removed_attached_in_push", L"1", true, false},
        {"removed in a push, attached after it ended", "removed_attached_after_push", L"1", true, true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ReopenCustomizer();
        ASSERT_TRUE(ClearHostDataFolder());
        const std::wstring log = CaseLogPath(static_cast<std::size_t>(&c - kCases));
        auto host = StartHostAndWait(
            {{L"KORVID_SIM_LOG", log}, {L"KORVID_SIM_OPEN", c.openResults}, {L"KORVID_SIM_DELAY_MS", L"100"}});
        ASSERT_NE(host, nullptr);
        ReplyProbe probe(host->Window(), kProbePeriodMs);
        const auto loaded = ReadSection();
        ASSERT_TRUE(loaded.has_value());

        if (c.removedInPush) {
            ASSERT_TRUE(PollUntil([&] { return CountCalls(ReadDriverLog(log), "SetFeature") >= 3; }, kPushTimeoutMs));
            ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageRemoval));
        }
        ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL, 7, 0));
        EXPECT_TRUE(customizer_->WaitFor(WM_UI_ENABLE_APPLY, kMessageTimeoutMs).has_value())
            << "apply-all without the mouse was not answered at once";
        if (c.attachAfterPushEnds) {
            ASSERT_TRUE(PollUntil([&] { return CountFrames(ReadDriverLog(log), "0B") == 1; }, kPushTimeoutMs));
        }

        const std::size_t before = ReadDriverLog(log).size();
        ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageArrival));
        std::optional<std::vector<LoggedFrame>> pushed;
        EXPECT_TRUE(PollUntil([&] { return (pushed = PushAfterReopen(ReadDriverLog(log), before)).has_value(); },
                              kPushTimeoutMs))
            << "no complete push after the attach";
        if (pushed) {
            EXPECT_THAT(HexFrames(*pushed), ElementsAreArray(HexFrames(ExpectedPush(*ImageFromBytes(*loaded), true))));
            EXPECT_EQ(Results(*pushed), std::string(pushed->size(), '+'));
            EXPECT_EQ(MissingPauses(*pushed), "");
        }
        const auto calls = ReadDriverLog(log);
        EXPECT_EQ(CountCalls(calls, "Open_FeatureDevice", before), 1u);
        if (!c.removedInPush) {
            EXPECT_EQ(CountCalls(calls, "SetFeature") - CountCalls(calls, "SetFeature", before), 0u)
                << "frames before the device opened";
        }

        const ReplyFigures replies = probe.Stop();
        ReportReplies(c.key, c.name, replies);
        EXPECT_GT(replies.replies, 0u);
        EXPECT_EQ(replies.unanswered, 0u) << "the window did not answer within " << kReplyBoundMs << " ms";
        EXPECT_FALSE(host->WaitForExit(0).has_value()) << "the host ended by itself";
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
    }
}

}  // namespace
}  // namespace korvid::e2e
