// Korvid.exe pushing the configuration to the simulated mouse: the start-up
// push, the customizer's apply-all, refused frames, requests while the mouse
// is not attached, and shutting down in the middle of a push. What the mouse
// received is read from the simulated driver's log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "config/share_data.h"
#include "device/button_command.h"
#include "device/command_frame.h"
#include "device/macro_command.h"
#include "host_test_fixture_win.h"
#include "push_helpers_win.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// A push of everything with activeProfileChanged clear and no macro button:
// begin, five DPI, five option 07, five lighting, five buttons, end.
constexpr char kFullPush[] = "04 06 06 06 06 06 07 07 07 07 07 08 08 08 08 08 09 09 09 09 09 0B";

// Bounds of the waits, not expectations about speed.
inline constexpr DWORD kPushTimeoutMs = 30000;
// How long nothing more may happen after a push: a second push, requested
// by a timer or a message, would have begun by then.
inline constexpr DWORD kQuietMs = 1000;
// Timer 502 posts the start-up push this long after the device opened.
inline constexpr std::uint64_t kInitialPushDelayMs = 200;

std::vector<std::uint8_t> WithAllFlags(std::vector<std::uint8_t> image, std::uint8_t value) {
    std::memset(image.data() + kChangeFlagsOffset, value, kImageSize - kChangeFlagsOffset);
    return image;
}

// '+' for an accepted frame, '-' for a refused one.
std::string Results(const std::vector<LoggedFrame>& frames) {
    std::string results;
    for (const LoggedFrame& frame : frames) results += frame.accepted ? '+' : '-';
    return results;
}

std::vector<std::uint8_t> SlotBytes(const LoggedFrame& buttons, int j) {
    const auto at = buttons.bytes.begin() + static_cast<std::ptrdiff_t>(ButtonsLayout::Slot(j));
    return std::vector(at, at + std::tuple_size_v<ButtonBytes>);
}

// With the mouse present at start-up, timer 502 pushes everything once, about
// 200 ms after the device opened; every accepted frame is followed by its
// pause. Macro buttons are numbered 1, 2, 3 across the profiles in profile
// and slot order, and the button assignments carry those numbers.
TEST_F(HostTest, StartUpPushesEverythingOnce) {
    auto macros = ImageFromBytes(FactoryImageBytes());
    macros->activeProfile = 2;
    macros->activeProfileChanged = 1;
    MakeMacroButton(*macros, 0, 7, 0x22, "second");
    MakeMacroButton(*macros, 2, 0, 0x23, "third");
    MakeMacroButton(*macros, 0, 3, 0x21, "first");

    const struct {
        const char* name;
        std::optional<std::vector<std::uint8_t>> configData;  // nothing: a first start, factory defaults
        const char* commands;
        bool numbered;  // macros in profile 0 slots 3 and 7 and profile 2 slot 0
    } kCases[] = {
        {"factory defaults", std::nullopt, kFullPush, false},
        {"profile 2 active and flagged, macros in profiles 0 and 2", BytesOfImage(*macros),
         "04 05 06 06 06 06 06 07 07 07 07 07 08 08 08 08 08 0A 0A 0A 09 09 09 09 09 0B", true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ReopenCustomizer();
        ASSERT_TRUE(ClearHostDataFolder());
        if (c.configData) {
            ASSERT_TRUE(WriteConfigData(*c.configData));
        }
        const std::wstring log = CaseLogPath(static_cast<std::size_t>(&c - kCases));

        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", log}});
        ASSERT_NE(host, nullptr);
        // The working copy as loaded, with the user's pointer settings.
        const auto loaded = ReadSection();
        ASSERT_TRUE(loaded.has_value());
        const std::size_t pushed = WaitForPushEnds(log, 1, kPushTimeoutMs).size();
        EXPECT_TRUE(ExpectNothingFor(kQuietMs, "a frame after the start-up push",
                                     [&] { return LoggedFrames(ReadDriverLog(log)).size() != pushed; }));
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);

        const auto calls = ReadDriverLog(log);
        const auto frames = LoggedFrames(calls);
        EXPECT_EQ(CommandBytes(frames), c.commands);
        EXPECT_THAT(HexFrames(frames), ElementsAreArray(HexFrames(ExpectedPush(*ImageFromBytes(*loaded), true))));
        EXPECT_EQ(MissingPauses(frames), "");
        const auto opened = CallsOf(calls, "Open_FeatureDevice");
        ASSERT_EQ(opened.size(), 1u);
        ASSERT_FALSE(frames.empty());
        EXPECT_GE(frames.front().ms + kTickSlackMs, opened.front().ms + kInitialPushDelayMs)
            << "the start-up push began " << frames.front().ms - opened.front().ms << " ms after the device opened";
        EXPECT_EQ(customizer_->Count(WM_UI_ENABLE_APPLY), 0u) << "a push of everything told the customizer";

        if (!c.numbered) continue;
        const struct {
            std::uint8_t number;
            std::uint8_t option;
            const char* name;
        } kMacros[] = {{1, 0x21, "first"}, {2, 0x22, "second"}, {3, 0x23, "third"}};
        const auto uploads = FramesOf(frames, CMD_MACRO);
        ASSERT_EQ(uploads.size(), std::size(kMacros));
        for (std::size_t i = 0; i < uploads.size(); ++i) {
            SCOPED_TRACE(kMacros[i].name);
            EXPECT_EQ(uploads[i].bytes[MacroLayout::kNumber], kMacros[i].number);
            EXPECT_EQ(uploads[i].bytes[MacroLayout::kOption], kMacros[i].option);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(uploads[i].bytes.data() + MacroLayout::kName)),
                      kMacros[i].name);
        }
        const auto buttons = FramesOf(frames, CMD_BUTTONS);
        ASSERT_EQ(buttons.size(), 5u);
        EXPECT_THAT(SlotBytes(buttons[0], 3), ElementsAre(16, 0x21, 1));
        EXPECT_THAT(SlotBytes(buttons[0], 7), ElementsAre(16, 0x22, 2));
        EXPECT_THAT(SlotBytes(buttons[2], 0), ElementsAre(16, 0x23, 3));
    }
}

// The customizer writes an image with change flags into the section and posts
// WM_HOST_APPLY_ALL: the host pushes exactly what the flags mark (and every
// macro) from that image, and WM_UI_ENABLE_APPLY reaches the customizer once
// the push is over.
TEST_F(HostTest, ApplyAllPushesTheFlaggedFramesThenEnablesApply) {
    auto base = ImageFromBytes(FactoryImageBytes());
    MakeMacroButton(*base, 1, 5, 0x01, "macro");
    ASSERT_TRUE(WriteConfigData(BytesOfImage(*base)));
    auto host = StartHostAndWait();
    ASSERT_NE(host, nullptr);
    const auto loaded = ReadSection();
    ASSERT_TRUE(loaded.has_value());
    std::size_t framesBefore = WaitForPushEnds(LogPath(), 1, kPushTimeoutMs).size();

    const auto edited = [&](auto change) {
        auto image = ImageFromBytes(*loaded);
        change(*image);
        return BytesOfImage(*image);
    };
    const struct {
        const char* name;
        std::vector<std::uint8_t> section;
        const char* commands;
    } kCases[] = {
        {"no flag set", *loaded, "04 0A 0B"},
        {"flag bytes of 2 count as clear", WithAllFlags(*loaded, 2), "04 0A 0B"},
        {"profile 4 made active, DPI of profile 3", edited([](ShareData& s) {
             s.activeProfile = 4;
             s.activeProfileChanged = 1;
             s.profiles[3].dpiX[0] = 40;
             s.dpiChanged[3] = 1;
         }),
         "04 05 06 0A 0B"},
        {"option 07 of profile 1, lighting of profiles 0 and 4", edited([](ShareData& s) {
             s.profiles[1].option07 = 5;
             s.option07Changed[1] = 1;
             s.profiles[0].lightColorA = 0x123456;
             s.lightingChanged[0] = 1;
             s.lightingChanged[4] = 1;
         }),
         "04 07 08 08 0A 0B"},
        {"one button flag of profile 2", edited([](ShareData& s) {
             s.profiles[2].buttons[19].function = 2;
             s.buttonChanged[2][19] = 1;
         }),
         "04 0A 09 0B"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ReopenCustomizer();
        ASSERT_TRUE(WriteSection(c.section));
        ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL, 7, 0));
        ASSERT_TRUE(customizer_->WaitFor(WM_UI_ENABLE_APPLY, kPushTimeoutMs).has_value()) << "no WM_UI_ENABLE_APPLY";
        // Read when the customizer was told: the whole push is in the log.
        const auto frames = FramesFrom(LoggedFrames(DriverLog()), framesBefore);
        EXPECT_EQ(CommandBytes(frames), c.commands);
        EXPECT_THAT(HexFrames(frames), ElementsAreArray(HexFrames(ExpectedPush(*ImageFromBytes(c.section), false))));
        EXPECT_EQ(MissingPauses(frames), "");
        framesBefore += frames.size();
    }
    EXPECT_TRUE(ExpectNothingFor(kQuietMs, "a frame or a second WM_UI_ENABLE_APPLY after the last push", [&] {
        return customizer_->Count(WM_UI_ENABLE_APPLY) != 1 ||
               !FramesFrom(LoggedFrames(DriverLog()), framesBefore).empty();
    }));
    EXPECT_EQ(customizer_->Count(WM_UI_ENABLE_APPLY), 1u);
    EXPECT_EQ(CommandBytes(FramesFrom(LoggedFrames(DriverLog()), framesBefore)), "") << "frames after the last push";
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
}

// A frame the device refuses (SetFeature returns 0) is not retried and not
// paused after; the push goes on to its end. Any nonzero result is accepted.
TEST_F(HostTest, ARefusedFrameIsNotPausedAfterAndThePushGoesOn) {
    const struct {
        const char* name;
        const wchar_t* variable;
        const wchar_t* value;
        const char* results;  // per frame of the push: '+' accepted, '-' refused
    } kCases[] = {
        {"every third frame refused", L"KORVID_SIM_FAIL_EVERY", L"3", "++-++-++-++-++-++-++-+"},
        {"CMD_BEGIN refused", L"KORVID_SIM_SETFEATURE", L"0,1", "-+++++++++++++++++++++"},
        {"every frame refused", L"KORVID_SIM_SETFEATURE", L"0", "----------------------"},
        {"a result of -1 is accepted", L"KORVID_SIM_SETFEATURE", L"-1", "++++++++++++++++++++++"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::wstring log = CaseLogPath(static_cast<std::size_t>(&c - kCases));
        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", log}, {c.variable, c.value}});
        ASSERT_NE(host, nullptr);
        (void)WaitForPushEnds(log, 1, kPushTimeoutMs);
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);

        const auto frames = LoggedFrames(ReadDriverLog(log));
        EXPECT_EQ(CommandBytes(frames), kFullPush);
        EXPECT_EQ(Results(frames), c.results);
        EXPECT_EQ(MissingPauses(frames), "");
        // No pause after a refused frame: its successor follows much sooner
        // than an accepted frame's (medians, so one stalled frame on a busy
        // machine does not decide).
        const auto refusedGaps = GapsAfter(frames, false);
        const auto acceptedGaps = GapsAfter(frames, true);
        if (refusedGaps.size() >= 3 && !acceptedGaps.empty()) {
            EXPECT_LT(2 * Median(refusedGaps), Median(acceptedGaps))
                << "median gap after a refused frame " << Median(refusedGaps) << " ms, after an accepted one "
                << Median(acceptedGaps) << " ms";
        }
    }
}

// While the mouse is not attached, apply-all is answered by the window at once
// and nothing is sent: with no mouse at start-up, and after a removal.
TEST_F(HostTest, WithoutTheMouseApplyAllIsAnsweredAndNothingIsSent) {
    const struct {
        const char* name;
        bool presentAtStart;  // then removed after the start-up push
    } kCases[] = {
        {"absent at start-up", false},
        {"removed after the start-up push", true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ReopenCustomizer();
        const std::wstring log = CaseLogPath(static_cast<std::size_t>(&c - kCases));
        std::vector<std::pair<std::wstring, std::wstring>> environment = {{L"KORVID_SIM_LOG", log}};
        if (!c.presentAtStart) environment.emplace_back(L"KORVID_SIM_OPEN", L"0");
        auto host = StartHostAndWait(environment);
        ASSERT_NE(host, nullptr);
        std::size_t framesBefore = 0;
        if (c.presentAtStart) {
            framesBefore = WaitForPushEnds(log, 1, kPushTimeoutMs).size();
            ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, 0, 0));
        }

        const auto section = ReadSection();
        ASSERT_TRUE(section.has_value());
        ASSERT_TRUE(WriteSection(WithAllFlags(*section, 1)));
        ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL, 7, 0));
        EXPECT_TRUE(customizer_->WaitFor(WM_UI_ENABLE_APPLY, kMessageTimeoutMs).has_value()) << "not answered";
        EXPECT_TRUE(ExpectNothingFor(kQuietMs, "a frame or a second WM_UI_ENABLE_APPLY", [&] {
            return customizer_->Count(WM_UI_ENABLE_APPLY) != 1 ||
                   !FramesFrom(LoggedFrames(ReadDriverLog(log)), framesBefore).empty();
        }));
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);

        EXPECT_EQ(CommandBytes(FramesFrom(LoggedFrames(ReadDriverLog(log)), framesBefore)), "");
        EXPECT_EQ(customizer_->Count(WM_UI_ENABLE_APPLY), 1u);
    }
}

// A push request the worker takes after the mouse was removed is dropped: an
// apply-all queued behind the running start-up push, then the removal. No
// frame and no WM_UI_ENABLE_APPLY follow.
TEST_F(HostTest, APushRequestTakenAfterARemovalIsDropped) {
    // Each frame takes 100 ms more: the start-up push lasts about 4 s.
    auto host = StartHostAndWait({{L"KORVID_SIM_DELAY_MS", L"100"}});
    ASSERT_NE(host, nullptr);
    const auto section = ReadSection();
    ASSERT_TRUE(section.has_value());
    ASSERT_TRUE(WriteSection(WithAllFlags(*section, 1)));
    ASSERT_TRUE(WaitForFirstFrame(LogPath(), kPushTimeoutMs));
    ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL, 7, 0));
    ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, 0, 0));

    (void)WaitForPushEnds(LogPath(), 1, kPushTimeoutMs);
    // The worker takes every request queued before the close.
    EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
    EXPECT_EQ(CommandBytes(LoggedFrames(DriverLog())), kFullPush)
        << "the request queued before the removal was not dropped";
    EXPECT_EQ(customizer_->Count(WM_UI_ENABLE_APPLY), 0u);
}

// WM_CLOSE while a push runs: the push, and one queued before the close, run
// to their CMD_END; only then is the device closed, and the host ends with
// exit code 0.
TEST_F(HostTest, CloseDuringAPushEndsTheHostAfterThePush) {
    const struct {
        const char* name;
        bool applyQueued;
        std::string commands;
    } kCases[] = {
        {"during the start-up push", false, kFullPush},
        {"with an apply-all queued behind it", true, std::string(kFullPush) + " 04 0B"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ReopenCustomizer();
        const std::wstring log = CaseLogPath(static_cast<std::size_t>(&c - kCases));
        auto host = StartHostAndWait({{L"KORVID_SIM_LOG", log}, {L"KORVID_SIM_DELAY_MS", L"100"}});
        ASSERT_NE(host, nullptr);
        ASSERT_TRUE(WaitForFirstFrame(log, kPushTimeoutMs));
        if (c.applyQueued) {
            ASSERT_TRUE(host->Post(WM_HOST_APPLY_ALL, 7, 0));
        }
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);

        const auto calls = ReadDriverLog(log);
        EXPECT_EQ(CommandBytes(LoggedFrames(calls)), c.commands);
        const auto entryPoints = EntryPoints(calls);
        ASSERT_GE(entryPoints.size(), 3u);
        EXPECT_THAT(std::vector(entryPoints.end() - 3, entryPoints.end()),
                    ElementsAre("SetFeature", "Close_DevMonitor", "Close_FeatureDevice"));
        if (c.applyQueued) {
            EXPECT_TRUE(customizer_->WaitFor(WM_UI_ENABLE_APPLY, kMessageTimeoutMs).has_value());
        }
        EXPECT_EQ(customizer_->Count(WM_UI_ENABLE_APPLY), c.applyQueued ? 1u : 0u);
    }
}

}  // namespace
}  // namespace korvid::e2e
