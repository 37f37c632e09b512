// Korvid.exe in a storm: 10,000 device events with random codes and 1,000
// apply-alls posted in one burst, while a misbehaving customizer
// (korvid_section_writer --storm) rewrites the shared section with random
// bytes under the mutex as fast as it can. The host must not crash or hang,
// its memory must stay bounded, every image it took from the section must
// have been repaired before use (seen in the frames it pushed and in the
// image it publishes), and it must end cleanly.
//
// The device refuses every frame after the start-up push, so a push costs no
// pauses: the worker gets through the thousand pushes the burst asks for in
// seconds instead of minutes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ios>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "config/image_repair.h"
#include "config/share_data.h"
#include "device/button_command.h"
#include "device/command_frame.h"
#include "device/command_layouts.h"
#include "device/macro_command.h"
#include "device/settings_push.h"
#include "fault_support_win.h"
#include "host_test_fixture_win.h"
#include "inspect/frame_decoder.h"
#include "pointer_registry_win.h"
#include "push_helpers_win.h"
#include "runtime_support_win.h"
#include "shared_section_win.h"

namespace korvid::e2e {
namespace {

using ::testing::ElementsAreArray;

constexpr unsigned kStormSeed = 20240611;
constexpr int kDeviceEvents = 10000;
constexpr int kApplyAlls = 1000;
constexpr std::size_t kFullPushFrames = 22;
constexpr wchar_t kWriterStopEvent[] = L"Korvid_Storm_Section_Writer_Stop_";  // and the seed
// Bounds, not expectations: far beyond what the host needs.
constexpr std::size_t kMemoryBoundBytes = std::size_t{256} << 20;
constexpr DWORD kDrainTimeoutMs = 60000;
constexpr DWORD kPushTimeoutMs = 30000;
constexpr int kPostRetries = 5000;  // 1 ms apart, should a queue be full

struct StormMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// What the burst must make the host tell the companions, in order: the
// on-screen display gets the profile index of every profile event (the OSD
// is enabled), the customizer one note per stage event.
struct StormExpectations {
    std::vector<LPARAM> osdShows;
    std::size_t stageNotes = 0;
};

// Every eleventh message an apply-all, the others device events: five in six
// of a known class (0x3000 profile, 0x6000 launch, 0x7F00 connection, 0xA000
// open customizer, 0xB000 DPI stage), the rest of any class; half of the
// arguments small (0 to 20, so in range and just beyond), half any 16 bits;
// random high bits in wParam and lParam, which must not count. Without
// removals, a connection event that would remove the mouse attaches it
// instead (which changes nothing while it is attached).
std::vector<StormMessage> StormMessages(unsigned seed, bool removals, StormExpectations& expected) {
    constexpr std::uint16_t kClasses[] = {EVENT_PROFILE, EVENT_LAUNCH_PROGRAM, EVENT_CONNECTION, EVENT_OPEN_CUSTOMIZER,
                                          EVENT_DPI_STAGE};
    std::mt19937 random(seed);
    std::vector<StormMessage> messages;
    for (int i = 0; i < kDeviceEvents + kApplyAlls; ++i) {
        if (i % 11 == 10) {
            messages.push_back({WM_HOST_APPLY_ALL, random(), 0});
            continue;
        }
        const std::uint16_t eventClass =
            random() % 6 != 0 ? kClasses[random() % std::size(kClasses)] : static_cast<std::uint16_t>(random());
        std::uint16_t argument = random() % 2 == 0 ? random() % 21 : static_cast<std::uint16_t>(random());
        if (!removals && eventClass == EVENT_CONNECTION && argument == kConnectionRemoved) argument = 1;
        const std::uint32_t wHigh = random() & 0xFFFF0000u;
        const std::uint32_t lHigh = random() & 0xFFFF0000u;
        messages.push_back({WM_DEVICE_EVENT, static_cast<WPARAM>(wHigh | eventClass),
                            static_cast<LPARAM>(static_cast<std::int32_t>(lHigh | argument))});
        if (eventClass == EVENT_PROFILE && argument >= 1 && argument <= kProfileCount)
            expected.osdShows.push_back(OsdShowLParam(argument - 1));
        if (eventClass == EVENT_DPI_STAGE && argument >= 1 && argument <= kStageCount) ++expected.stageNotes;
    }
    return messages;
}

// What breaks the push format in a log's frames: a frame of an unknown
// command or of the wrong length, a fixed byte that is wrong (as the frame
// decoder notes it), an active profile outside 0..4, a macro numbered out of
// turn or beyond 120 or with more entries than its area holds, frames outside
// a push. One line per fault; nothing when all is well.
std::vector<std::string> FormatFaults(const std::vector<LoggedFrame>& frames) {
    std::vector<std::string> faults;
    bool inPush = false;
    int macroNumber = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const LoggedFrame& frame = frames[i];
        const std::string decoded = DecodeFrame(frame.bytes);
        const auto fault = [&](const std::string& what) {
            faults.push_back("frame " + std::to_string(i) + ": " + what + ": " + decoded);
        };
        const std::uint8_t command = frame.Command();
        const CommandLayout* layout = FindCommandLayout(command);
        if (layout == nullptr) {
            fault("unknown command");
            continue;
        }
        if (frame.bytes.size() != layout->length) fault("wrong length");
        const std::size_t note = decoded.rfind(" [");
        if (note != std::string::npos &&
            (decoded.compare(note, 9, " [length ") == 0 || decoded.compare(note, 7, " [byte ") == 0)) {
            fault("breaks the layout");
        }
        if (frame.bytes.size() != layout->length) continue;
        if (command != CMD_BEGIN && !inPush) fault("outside a push");
        switch (command) {
            case CMD_BEGIN:
                if (inPush) fault("a push begins inside a push");
                inPush = true;
                macroNumber = 0;
                break;
            case CMD_ACTIVE_PROFILE:
                if (frame.bytes[ActiveProfileLayout::kProfile] >= kProfileCount) fault("active profile out of range");
                break;
            case CMD_MACRO: {
                if (frame.bytes[MacroLayout::kNumber] != ++macroNumber || macroNumber > kMacroLimit) {
                    fault("macro numbered out of turn");
                }
                const std::size_t used =
                    MacroLayout::kEntries + MacroLayout::kUnitBytes * frame.bytes[MacroLayout::kUnitCount];
                if (used > kMacroLength) {
                    fault("more entries than the area holds");
                    break;
                }
                for (std::size_t at = used; at < kMacroLength; ++at) {
                    if (frame.bytes[at] != 0) {
                        fault("bytes beyond the counted entries");
                        break;
                    }
                }
                break;
            }
            case CMD_END:
                inPush = false;
                break;
            default:
                break;
        }
    }
    return faults;
}

// The frames the host's push of this image sends, macro names converted to
// the 8-bit code page as the host converts them (random names are not ASCII).
std::vector<std::vector<std::uint8_t>> HostPush(const ShareData& image, bool pushAll) {
    auto snapshot = std::make_unique<ShareData>(image);
    std::vector<std::vector<std::uint8_t>> frames;
    const FrameSender record = [&](std::span<const std::uint8_t> frame) {
        frames.emplace_back(frame.begin(), frame.end());
        return 1;
    };
    const AnsiConverter toAnsi = [](std::u16string_view text) {
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int length = static_cast<int>(text.size());
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
        std::string ansi(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
        if (bytes > 0) (void)WideCharToMultiByte(CP_ACP, 0, wide, length, ansi.data(), bytes, nullptr, nullptr);
        return ansi;
    };
    (void)PushSettings(*snapshot, pushAll, record, toAnsi);
    return frames;
}

std::size_t CountOf(const std::vector<LoggedFrame>& frames, std::uint8_t command) {
    return FramesOf(frames, command).size();
}

// The Windows pointer settings the host applies from the random images end
// up in this prefix's registry; they are put back afterwards.
class HostStormTest : public HostTestKeepingPointerSettings {};

// Two storms: in the first the mouse stays attached (connection events carry
// every argument but removal), so every apply-all is pushed; in the second it
// comes and goes at random, and the pushes stop at the first removal.
TEST_F(HostStormTest, SurvivesAnEventAndApplyAllStormWhileTheSectionIsRewritten) {
    ASSERT_TRUE(install_.WriteInstallFile(kSettingsFileName, OsdSettingsIni(1)));
    const struct {
        const char* name;
        const char* key;  // of the recorded figures
        bool removals;
        unsigned seed;  // of the burst; the section writer's is one more
    } kCases[] = {
        {"storm, mouse attached", "storm_attached", false, kStormSeed},
        {"storm, mouse attached and removed", "storm_removed", true, kStormSeed + 2},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        std::printf("[ figures  ] %s: seed %u, section writer seed %u\n", c.name, c.seed, c.seed + 1);
        ReopenCustomizer();
        osd_ = std::make_unique<RecorderWindow>(kOsdWindowTitle);
        const std::wstring log = CaseLogPath(static_cast<std::size_t>(&c - kCases));
        auto host =
            StartHostAndWait({{L"KORVID_SIM_LOG", log},
                              {L"KORVID_SIM_SETFEATURE", SetFeatureResults(std::string(kFullPushFrames, '+') + "-")}});
        ASSERT_NE(host, nullptr);
        (void)WaitForPushEnds(log, 1, kPushTimeoutMs);
        const auto idle = MemoryOf(host->Id());
        ASSERT_TRUE(idle.has_value());

        const std::wstring stopName = kWriterStopEvent + std::to_wstring(c.seed);
        const UniqueHandle stopWriter(CreateEventW(nullptr, TRUE, FALSE, stopName.c_str()));
        ASSERT_TRUE(stopWriter);
        const std::wstring report = log + L".writer.txt";
        auto writer = ChildProcess::Start(
            SectionWriterExe(),
            {L"--storm " + std::to_wstring(c.seed + 1) + L" " + stopName + L" \"" + report + L"\"", {}});
        ASSERT_NE(writer, nullptr);
        ReplyProbe probe(host->Window(), kProbePeriodMs);

        StormExpectations expected;
        std::vector<StormMessage> storm = StormMessages(c.seed, c.removals, expected);
        // Last, a stage event whose note tells that the host got through.
        storm.push_back({WM_DEVICE_EVENT, EVENT_DPI_STAGE, 1});
        ++expected.stageNotes;
        const ULONGLONG stormBegan = GetTickCount64();
        std::size_t retries = 0;
        for (const StormMessage& m : storm) {
            int tries = 0;
            while (PostMessageW(host->Window(), m.message, m.wParam, m.lParam) == 0) {
                const std::optional<DWORD> ended = host->WaitForExit(0);
                ASSERT_FALSE(ended.has_value()) << "the host ended in the storm, exit code 0x" << std::hex << *ended;
                ASSERT_LT(++tries, kPostRetries) << "the host's queue stayed full";
                Sleep(1);  // a full queue gives no signal when it has room again
            }
            retries += static_cast<std::size_t>(tries);
        }
        const ULONGLONG posted = GetTickCount64();
        const bool through = PollUntil(
            [&] {
                return customizer_->Count(WM_UI_STAGE_CHANGED) >= expected.stageNotes ||
                       host->WaitForExit(0).has_value();
            },
            kDrainTimeoutMs);
        const ULONGLONG handled = GetTickCount64();
        ASSERT_FALSE(host->WaitForExit(0).has_value()) << "the host ended in the storm";
        EXPECT_TRUE(through) << "the host did not get through the burst";

        (void)SetEvent(stopWriter.get());
        EXPECT_EQ(writer->WaitForExit(kExitTimeoutMs), 0u) << "the section writer did not write";
        const auto writerReport = ReadFileBytes(report);

        // Every note in order, and nothing that was not asked for: the random
        // high bits and the arguments out of range changed nothing.
        ASSERT_TRUE(FlushRecorder(*osd_));
        std::vector<LPARAM> shows;
        for (const RecordedMessage& m : osd_->Received(WM_OSD_SHOW)) shows.push_back(m.lParam);
        EXPECT_EQ(shows, expected.osdShows);
        EXPECT_EQ(customizer_->Count(WM_UI_PROFILE_CHANGED), expected.osdShows.size());
        EXPECT_EQ(customizer_->Count(WM_UI_STAGE_CHANGED), expected.stageNotes);

        // The writer's last image, reloaded and published: repaired, and
        // otherwise as written (macro numbers are the pushes' to write).
        const auto last = ReadSection();
        ASSERT_TRUE(last.has_value());
        auto repaired = ImageFromBytes(*last);
        (void)RepairImage(*repaired);
        const std::size_t stageNotes = customizer_->Count(WM_UI_STAGE_CHANGED);
        ASSERT_TRUE(host->Post(WM_HOST_RELOAD));
        ASSERT_TRUE(host->Post(WM_DEVICE_EVENT, EVENT_DPI_STAGE, 3));
        ASSERT_TRUE(PollUntil([&] { return customizer_->Count(WM_UI_STAGE_CHANGED) > stageNotes; }, kMessageTimeoutMs));
        repaired->profiles[repaired->activeProfile].currentStage = 2;
        std::vector<ByteRange> macroNumbers;
        for (int k = 0; k < kProfileCount; ++k) {
            for (int j = 0; j < kButtonCount; ++j) {
                const std::size_t at = ButtonOffset(k, j) + offsetof(ButtonData, macroNumber);
                if (repaired->profiles[k].buttons[j].function == kFunctionMacro) macroNumbers.push_back({at, at + 4});
            }
        }
        const auto published = ReadSection();
        ASSERT_TRUE(published.has_value());
        EXPECT_EQ(DescribeDifference(*published, BytesOfImage(*repaired), macroNumbers), "");
        EXPECT_FALSE(RepairImage(*ImageFromBytes(*published)).Any()) << "the host published an image that needs repair";

        // Pulled out and put back: the push of everything carries that image.
        if (!c.removals) {
            EXPECT_TRUE(
                PollUntil([&] { return CountFrames(ReadDriverLog(log), "0B") == 1u + kApplyAlls; }, kPushTimeoutMs))
                << "pushes: the start-up push and one per apply-all";
        }
        const std::size_t beforeAttach = ReadDriverLog(log).size();
        ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageRemoval));
        ASSERT_TRUE(host->Post(WM_DEVICE_CONNECTION, kConnectionMessageArrival));
        std::optional<std::vector<LoggedFrame>> attachPush;
        EXPECT_TRUE(
            PollUntil([&] { return (attachPush = PushAfterReopen(ReadDriverLog(log), beforeAttach)).has_value(); },
                      kPushTimeoutMs))
            << "no push after the attach";
        if (attachPush) {
            EXPECT_THAT(HexFrames(*attachPush), ElementsAreArray(HexFrames(HostPush(*repaired, true))));
        }

        const ReplyFigures replies = probe.Stop();
        const auto peak = MemoryOf(host->Id());
        ASSERT_TRUE(peak.has_value());
        const ULONGLONG closing = GetTickCount64();
        EXPECT_EQ(host->Close(kExitTimeoutMs), kExitOk);
        const ULONGLONG closed = GetTickCount64();

        // Every frame of every push, the attach's included, in the format.
        const auto frames = LoggedFrames(ReadDriverLog(log));
        const std::vector<std::string> faults = FormatFaults(frames);
        EXPECT_EQ(faults.size(), 0u) << "the first: " << (faults.empty() ? std::string() : faults.front());
        if (!c.removals) {
            ASSERT_TRUE(FlushRecorder(*customizer_));
            EXPECT_EQ(customizer_->Count(WM_UI_ENABLE_APPLY), static_cast<std::size_t>(kApplyAlls));
        }

        const std::string key = c.key;
        constexpr double kMiB = 1024.0 * 1024.0;
        ReportReplies(key, c.name, replies);
        EXPECT_EQ(replies.unanswered, 0u) << "the window did not answer within " << kReplyBoundMs << " ms";
        ReportFigure(key + "_post_ms", std::string(c.name) + ": 11,001 messages posted in",
                     static_cast<double>(posted - stormBegan), "ms");
        ReportFigure(key + "_handled_ms", std::string(c.name) + ": all handled by the window after",
                     static_cast<double>(handled - stormBegan), "ms");
        ReportFigure(key + "_post_retries", std::string(c.name) + ": posts retried on a full queue",
                     static_cast<double>(retries), "");
        ReportFigure(key + "_close_ms", std::string(c.name) + ": WM_CLOSE to exit",
                     static_cast<double>(closed - closing), "ms");
        ReportFigure(key + "_pushes", std::string(c.name) + ": pushes logged",
                     static_cast<double>(CountOf(frames, CMD_END)), "");
        ReportFigure(key + "_frames", std::string(c.name) + ": frames logged", static_cast<double>(frames.size()), "");
        ReportFigure(key + "_idle_peak_working_set_mib", std::string(c.name) + ": peak working set before the storm",
                     static_cast<double>(idle->peakWorkingSet) / kMiB, "MiB");
        ReportFigure(key + "_peak_working_set_mib", std::string(c.name) + ": peak working set",
                     static_cast<double>(peak->peakWorkingSet) / kMiB, "MiB");
        ReportFigure(key + "_pagefile_usage_mib", std::string(c.name) + ": pagefile usage (private bytes) at the end",
                     static_cast<double>(peak->pagefileUsage) / kMiB, "MiB");
        ReportFigure(key + "_peak_pagefile_usage_mib", std::string(c.name) + ": peak pagefile usage",
                     static_cast<double>(peak->peakPagefileUsage) / kMiB, "MiB");
        if (writerReport) {
            std::printf("[ figures  ] %s: section writer %s", c.name,
                        std::string(writerReport->begin(), writerReport->end()).c_str());
        }
        EXPECT_LT(peak->peakWorkingSet, kMemoryBoundBytes);
        EXPECT_LT(peak->peakPagefileUsage, kMemoryBoundBytes);
    }
}

}  // namespace
}  // namespace korvid::e2e
