// RunPush over the shared images: the snapshot it pushes, what it writes back
// into the working copy and pushedImage for each kind (pushedImage follows the
// working copy as the push leaves it, not the snapshot), and that the window
// thread may rewrite the working copy during a push without tearing it (run
// this under the tsan preset as well).
#include "device/push_job.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/command_layouts.h"
#include "unit_support.h"

namespace korvid {
namespace {

using Bytes = FrameRecorder::Bytes;

bool SameImage(const ShareData& a, const ShareData& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Factory image with macro buttons at slots 3 and 7 of profile 0 and slot 0
// of profile 2, each with a stale macroNumber, and activeProfile 1.
std::unique_ptr<ShareData> Fixture() {
    auto image = FactoryImage();
    image->activeProfile = 1;
    const std::pair<int, int> kMacroSlots[] = {{0, 3}, {0, 7}, {2, 0}};
    for (const auto& [k, j] : kMacroSlots) {
        image->profiles[k].buttons[j].function = kFunctionMacro;
        image->profiles[k].buttons[j].macroNumber = 99;
    }
    return image;
}

// The fixture as a push-all or changed-only push leaves it: numbered 1, 2, 3.
std::unique_ptr<ShareData> Numbered() {
    auto image = Fixture();
    image->profiles[0].buttons[3].macroNumber = 1;
    image->profiles[0].buttons[7].macroNumber = 2;
    image->profiles[2].buttons[0].macroNumber = 3;
    return image;
}

struct Images {
    std::unique_ptr<WorkingCopy> working = std::make_unique<WorkingCopy>();
    std::unique_ptr<WorkingCopy> pushed = std::make_unique<WorkingCopy>();
    std::unique_ptr<ShareData> previousPush = std::make_unique<ShareData>();

    Images() {
        working->Write([](ShareData& s) { s = *Fixture(); });
        BuildFactoryDefaults(*previousPush);
        previousPush->spare0 = 0x5EED;
        pushed->Write([&](ShareData& s) { s = *previousPush; });
    }
    bool WorkingIs(const ShareData& expected) const {
        return working->Read([&](const ShareData& s) { return SameImage(s, expected); });
    }
    bool PushedIs(const ShareData& expected) const {
        return pushed->Read([&](const ShareData& s) { return SameImage(s, expected); });
    }
};

TEST(RunPush, Kinds) {
    const std::uint8_t kFull[] = {CMD_BEGIN,    CMD_DPI,      CMD_DPI,      CMD_DPI,      CMD_DPI,
                                  CMD_DPI,      CMD_OPTION07, CMD_OPTION07, CMD_OPTION07, CMD_OPTION07,
                                  CMD_OPTION07, CMD_LIGHTING, CMD_LIGHTING, CMD_LIGHTING, CMD_LIGHTING,
                                  CMD_LIGHTING, CMD_MACRO,    CMD_MACRO,    CMD_MACRO,    CMD_BUTTONS,
                                  CMD_BUTTONS,  CMD_BUTTONS,  CMD_BUTTONS,  CMD_BUTTONS,  CMD_END};
    const struct {
        const char* name;
        int kind;
        std::vector<std::uint8_t> commands;
        bool pushed;
        bool enableApply;
        bool imagesUpdated;  // macro numbers written back, pushedImage replaced
    } kCases[] = {
        {"PUSH_CHANGED", PUSH_CHANGED, {CMD_BEGIN, CMD_MACRO, CMD_MACRO, CMD_MACRO, CMD_END}, true, true, true},
        {"PUSH_ALL", PUSH_ALL, {std::begin(kFull), std::end(kFull)}, true, false, true},
        {"PUSH_PROFILE", PUSH_PROFILE, {CMD_BEGIN, CMD_ACTIVE_PROFILE, CMD_END}, true, false, false},
        {"kind 0", 0, {}, false, false, false},
        {"kind 4", 4, {}, false, false, false},
        {"kind -1", -1, {}, false, false, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Images images;
        FrameRecorder recorder;
        const PushResult result = RunPush(*images.working, *images.pushed, c.kind, recorder.Sender(), AsciiConverter);
        EXPECT_EQ(recorder.Commands(), c.commands);
        EXPECT_EQ(result.pushed, c.pushed);
        EXPECT_EQ(result.enableApply, c.enableApply);
        EXPECT_EQ(result.endResult, c.pushed ? 1 : 0);
        if (c.imagesUpdated) {
            EXPECT_TRUE(images.WorkingIs(*Numbered()));
            EXPECT_TRUE(images.PushedIs(*Numbered()));
        } else {
            EXPECT_TRUE(images.WorkingIs(*Fixture()));
            EXPECT_TRUE(images.PushedIs(*images.previousPush));
        }
    }
}

TEST(RunPush, PushesTheSnapshotWhileTheWorkingCopyChanges) {
    Images images;
    bool changed = false;
    bool pushedImageStillPrevious = false;
    // The first frame stands for the window thread reloading the section
    // mid-push: the sender runs without any lock held, so it may take both.
    const FrameSender send = [&](std::span<const std::uint8_t>) {
        if (!changed) {
            changed = true;
            images.working->Write([](ShareData& s) {
                for (ProfileData& p : s.profiles) p.dpiOptionA = 0x55;
                s.profiles[0].buttons[7].function = 1;  // no longer a macro
                s.profiles[4].buttons[0].function = kFunctionMacro;
                s.profiles[4].buttons[0].macroNumber = 42;
            });
            pushedImageStillPrevious = images.PushedIs(*images.previousPush);
        }
        return 1;
    };
    FrameRecorder dpi;
    const FrameSender recordDpi = [&](std::span<const std::uint8_t> frame) {
        if (frame[kCommandByte] == CMD_DPI) dpi.frames.emplace_back(frame.begin(), frame.end());
        return send(frame);
    };

    RunPush(*images.working, *images.pushed, PUSH_ALL, recordDpi, AsciiConverter);

    EXPECT_TRUE(pushedImageStillPrevious);
    ASSERT_EQ(dpi.frames.size(), 5u);
    for (const Bytes& frame : dpi.frames)
        EXPECT_EQ(frame[DpiLayout::kOptionA], 0x0A) << "a DPI frame saw the later change";

    auto expectedWorking = Numbered();
    for (ProfileData& p : expectedWorking->profiles) p.dpiOptionA = 0x55;
    expectedWorking->profiles[0].buttons[7].function = 1;
    expectedWorking->profiles[0].buttons[7].macroNumber = 99;  // not a macro any more: left alone
    expectedWorking->profiles[4].buttons[0].function = kFunctionMacro;
    expectedWorking->profiles[4].buttons[0].macroNumber = 42;  // not pushed yet: left alone
    EXPECT_TRUE(images.WorkingIs(*expectedWorking));
    // The window thread applied its change when it made it: pushedImage
    // follows the working copy as the push leaves it, not the snapshot.
    EXPECT_TRUE(images.PushedIs(*expectedWorking)) << "pushedImage is not the working copy at the end of the push";
}

// Two images that differ in every field a push reads back here; a push built
// from a mix of them would show both markers.
std::unique_ptr<ShareData> Variant(std::uint8_t marker) {
    auto image = Fixture();
    image->activeProfile = marker % kProfileCount;
    image->activeProfileChanged = 1;
    for (ProfileData& p : image->profiles) {
        p.dpiOptionA = marker;
        p.option07 = marker;
        p.lightParamA1 = marker;
        p.profileOption = marker;
    }
    return image;
}

TEST(RunPush, WindowThreadRewritesTheWorkingCopyDuringPushes) {
    Images images;
    const auto a = Variant(0x21);
    const auto b = Variant(0x42);
    images.working->Write([&](ShareData& s) { s = *a; });

    std::atomic<bool> done{false};
    std::atomic<int> writes{0};
    std::thread windowThread([&] {
        for (int n = 0; !done.load(); ++n) {
            // Whole-image reloads, a device event's single fields, and the
            // pointer-settings check reading pushedImage.
            images.working->Write([&](ShareData& s) { s = n % 2 ? *a : *b; });
            images.working->Write([&](ShareData& s) { s.profiles[s.activeProfile].currentStage = n % kStageCount; });
            (void)images.pushed->Read([](const ShareData& s) { return s.profiles[s.activeProfile].pointerSpeed; });
            writes.fetch_add(1);
        }
    });

    int pushes = 0;
    const int kKinds[] = {PUSH_ALL, PUSH_CHANGED, PUSH_PROFILE};
    for (; pushes < 30 || writes.load() < 100; ++pushes) {
        SCOPED_TRACE("push " + std::to_string(pushes));
        const int kind = kKinds[pushes % 3];
        FrameRecorder recorder;
        RunPush(*images.working, *images.pushed, kind, recorder.Sender(), AsciiConverter);

        // Every frame of one push comes from one image.
        const std::uint8_t marker = recorder.frames.back()[EndLayout::kValue];  // profileOption
        if (marker != 0x21 && marker != 0x42) {
            ADD_FAILURE() << "CMD_END from neither image: " << int{marker};
            break;  // leave the loop, so the window thread is still joined
        }
        for (const Bytes& f : recorder.frames) {
            const std::uint8_t command = f[kCommandByte];
            if (command == CMD_ACTIVE_PROFILE) {
                EXPECT_EQ(f[ActiveProfileLayout::kProfile], marker % kProfileCount);
            }
            if (command == CMD_DPI) {
                EXPECT_EQ(f[DpiLayout::kOptionA], marker);
            }
            if (command == CMD_OPTION07) {
                EXPECT_EQ(f[Option07Layout::kValue], marker);
            }
            if (command == CMD_LIGHTING) {
                EXPECT_EQ(f[LightingLayout::kParamA1], marker);
            }
        }
        if (kind != PUSH_PROFILE) {
            // pushedImage is the working copy as the push left it: one whole
            // image (either one, whatever was pushed), with the macro numbers.
            images.pushed->Read([&](const ShareData& s) {
                const std::int32_t pushedMarker = s.profiles[0].dpiOptionA;
                EXPECT_TRUE(pushedMarker == 0x21 || pushedMarker == 0x42) << pushedMarker;
                for (const ProfileData& p : s.profiles) {
                    EXPECT_EQ(p.dpiOptionA, pushedMarker);
                    EXPECT_EQ(p.profileOption, pushedMarker);
                }
                EXPECT_EQ(s.profiles[2].buttons[0].macroNumber, 3);
            });
        }
    }
    done.store(true);
    windowThread.join();
}

}  // namespace
}  // namespace korvid
