// The customizer's macro model against the macro encoder: the pause the page
// says the mouse runs, what fits the step area, the limits it shows before
// Apply, step editing and the recorder.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "customizer/macro_edit.h"
#include "device/button_command.h"
#include "device/macro_command.h"
#include "inspect/frame_decoder.h"
#include "unit_support.h"

namespace korvid {
namespace {

MacroEvent Step(std::uint8_t key, bool press, std::uint16_t delay) {
    return MacroEvent{key, static_cast<std::uint8_t>(press ? 1 : 0), delay};
}

ButtonData MacroOf(const std::vector<MacroEvent>& steps) {
    ButtonData slot{};
    slot.function = kFunctionMacro;
    StoreSteps(slot, steps);
    return slot;
}

std::vector<std::uint8_t> Keys(const ButtonData& slot) {
    std::vector<std::uint8_t> keys;
    for (int i = 0; i < slot.eventCount; ++i) keys.push_back(slot.events[i].key);
    return keys;
}

TEST(CustomizerMacros, PauseShownIsThePauseTheEncodedEntryCarries) {
    const struct {
        unsigned delay;
        unsigned runs;
    } kCases[] = {
        {0, 2},     {3, 2},       {4, 6},       {100, 102},     {101, 102},     {255, 254},     {256, 250},
        {300, 300}, {6349, 6300}, {6400, 6400}, {12800, 12800}, {25599, 25400}, {51199, 51000}, {65535, 51000},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.delay);
        const MacroEvent event = Step(4, true, static_cast<std::uint16_t>(c.delay));
        EXPECT_EQ(DelayAsRun(event), c.runs);
        EXPECT_EQ(IsRounded(event), c.runs != c.delay);
    }
    // Every delay: the frame decoder reads the same pause out of the frame the
    // encoder builds ("~102ms" for a short entry, "300ms" for a long one).
    for (unsigned delay = 0; delay <= 0xFFFF; delay += delay < 600 ? 1 : 97) {
        const ButtonData slot = MacroOf({Step(4, false, static_cast<std::uint16_t>(delay))});
        const auto frame = EncodeMacroCommand(slot, 1, AsciiConverter);
        const std::string decoded = DecodeFrame(frame);
        const bool shortEntry = EncodeMacroStep(slot.events[0]).size == MacroEntryLayout::kShortBytes;
        const std::string shown =
            std::string("release 4 ") + (shortEntry ? "~" : "") + std::to_string(DelayAsRun(slot.events[0])) + "ms";
        ASSERT_NE(decoded.find(shown), std::string::npos) << "delay " << delay << ": " << decoded;
    }
}

TEST(CustomizerMacros, FitFollowsTheEncoderAndNamesWhatIsCutOrLeftHeld) {
    std::vector<MacroEvent> fortyShort;
    for (int i = 0; i < 40; ++i) fortyShort.push_back(Step(static_cast<std::uint8_t>(4 + i % 2), i % 4 < 2, 10));
    // Ten long pauses, then thirty short steps: 40 + 60 bytes, 2 too many.
    std::vector<MacroEvent> tooLong;
    for (int i = 0; i < 10; ++i) tooLong.push_back(Step(0x1E, i % 2 == 0, 1000));
    for (int i = 0; i < 28; ++i) tooLong.push_back(Step(0x1F, i % 2 == 0, 20));
    tooLong.push_back(Step(0xE0, true, 20));   // Left Ctrl pressed: the 39th step, sent
    tooLong.push_back(Step(0xE0, false, 20));  // its release: the 40th, cut

    const struct {
        const char* name;
        std::vector<MacroEvent> steps;
        int units, sentSteps;
        std::vector<std::uint8_t> held;
    } kCases[] = {
        {"no steps", {}, 0, 0, {}},
        {"forty short steps fit in 80 bytes", fortyShort, 40, 40, {}},
        {"a press never released", {Step(4, true, 10), Step(5, true, 10), Step(5, false, 10)}, 3, 3, {4}},
        {"cut after the last whole entry; the release is cut", tooLong, 50, 39, {0xE0}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const ButtonData slot = MacroOf(c.steps);
        const MacroFit fit = FitMacro(slot);
        EXPECT_EQ(fit.steps, static_cast<int>(c.steps.size()));
        EXPECT_EQ(fit.units, c.units);
        EXPECT_EQ(fit.sentSteps, c.sentSteps);
        EXPECT_EQ(fit.heldAtEnd, c.held);
        // The unit count the frame carries is what the page says is sent.
        const auto frame = EncodeMacroCommand(slot, 1, AsciiConverter);
        EXPECT_EQ(frame[MacroLayout::kUnitCount], fit.sentUnits);
    }

    auto image = FactoryImage();
    image->profiles[2].buttons[5] = MacroOf(tooLong);
    const std::vector<std::string> problems = MacroLimitProblems(*image);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].rfind("profile 3, button 6: Cut: steps 40 to 40 do not fit", 0), 0u) << problems[0];
    EXPECT_NE(problems[1].find("Ends on a press of Left Ctrl without its release (the release is cut)"),
              std::string::npos)
        << problems[1];
    EXPECT_NE(problems[2].find("30 pauses are rounded"), std::string::npos) << problems[2];
}

TEST(CustomizerMacros, EveryMacroButtonIsCountedInUploadOrder) {
    auto image = FactoryImage();
    EXPECT_TRUE(MacroButtons(*image).empty());
    // Five profiles of twenty slots hold at most 100 macro buttons: the
    // 120-macro limit of a push cannot be passed by an image.
    for (auto& profile : image->profiles) {
        for (auto& slot : profile.buttons) slot = MacroOf({Step(4, true, 10), Step(4, false, 10)});
    }
    EXPECT_EQ(MacroButtons(*image).size(), 100u);
    EXPECT_EQ(MacroButtons(*image)[21], (SlotRef{1, 1}));
    EXPECT_TRUE(MacroLimitProblems(*image).empty());
}

TEST(CustomizerMacros, StepEditing) {
    const ButtonData three = MacroOf({Step(4, true, 1), Step(5, true, 2), Step(6, true, 3)});
    const struct {
        const char* name;
        std::function<bool(ButtonData&)> edit;
        bool done;
        std::vector<std::uint8_t> keys;
    } kCases[] = {
        {"insert first", [](ButtonData& s) { return InsertStep(s, 0, Step(9, true, 0)); }, true, {9, 4, 5, 6}},
        {"insert last", [](ButtonData& s) { return InsertStep(s, 3, Step(9, true, 0)); }, true, {4, 5, 6, 9}},
        {"insert past the end", [](ButtonData& s) { return InsertStep(s, 4, Step(9, true, 0)); }, false, {4, 5, 6}},
        {"delete the middle", [](ButtonData& s) { return DeleteStep(s, 1); }, true, {4, 6}},
        {"delete past the end", [](ButtonData& s) { return DeleteStep(s, 3); }, false, {4, 5, 6}},
        {"move down", [](ButtonData& s) { return MoveStep(s, 0, 2); }, true, {5, 6, 4}},
        {"move up", [](ButtonData& s) { return MoveStep(s, 2, 0); }, true, {6, 4, 5}},
        {"move outside", [](ButtonData& s) { return MoveStep(s, 0, -1); }, false, {4, 5, 6}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ButtonData slot = three;
        EXPECT_EQ(c.edit(slot), c.done);
        EXPECT_EQ(Keys(slot), c.keys);
        for (int i = slot.eventCount; i < kMaxMacroEvents; ++i) {
            EXPECT_EQ(slot.events[i].key, 0) << "entry " << i << " past the count is kept zero";
        }
    }
    ButtonData full = MacroOf(std::vector<MacroEvent>(40, Step(4, true, 1)));
    EXPECT_FALSE(InsertStep(full, 0, Step(5, true, 1)));
    // A count above 40 from a damaged image is never read past the array.
    full.eventCount = 500;
    EXPECT_FALSE(InsertStep(full, 40, Step(5, true, 1)));
    EXPECT_TRUE(DeleteStep(full, 39));
    EXPECT_EQ(full.eventCount, 39);
}

TEST(CustomizerMacros, RecorderTakesPressesAndReleasesWithThePauseAfterEachAndStopsAtForty) {
    MacroRecorder recorder;
    EXPECT_EQ(recorder.Key(4, true, 0), MacroRecorder::Outcome::kIgnored) << "not recording";
    recorder.Start(1000);
    EXPECT_EQ(recorder.Key(0x28, false, 1010), MacroRecorder::Outcome::kIgnored) << "released from before";
    EXPECT_EQ(recorder.Key(4, true, 1100), MacroRecorder::Outcome::kTaken);
    EXPECT_EQ(recorder.Key(4, true, 1130), MacroRecorder::Outcome::kIgnored) << "auto-repeat";
    EXPECT_EQ(recorder.Key(4, false, 1250), MacroRecorder::Outcome::kTaken);
    EXPECT_EQ(recorder.Key(5, true, 100000), MacroRecorder::Outcome::kTaken);
    ASSERT_EQ(recorder.Steps().size(), 3u);
    EXPECT_EQ(recorder.Steps()[0].delay, 150);
    EXPECT_EQ(recorder.Steps()[0].state, 1);
    EXPECT_EQ(recorder.Steps()[1].delay, 65535) << "a pause beyond 16 bits is held at the largest";
    EXPECT_EQ(recorder.Steps()[1].state, 0);
    EXPECT_EQ(recorder.Steps()[2].delay, 0);

    recorder.Start(0);
    MacroRecorder::Outcome last = MacroRecorder::Outcome::kTaken;
    for (int i = 0; i < 40; ++i) last = recorder.Key(static_cast<std::uint8_t>(4 + i / 2), i % 2 == 0, 10u * i);
    EXPECT_EQ(last, MacroRecorder::Outcome::kFull);
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(recorder.Key(0x30, true, 500), MacroRecorder::Outcome::kIgnored);
    EXPECT_EQ(recorder.Steps().size(), 40u);
}

}  // namespace
}  // namespace korvid
