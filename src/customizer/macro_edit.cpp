#include "customizer/macro_edit.h"

#include <algorithm>
#include <cstring>

#include "customizer/key_codes.h"
#include "device/button_command.h"

namespace korvid {
namespace {

using E = MacroEntryLayout;

int StepCount(const ButtonData& slot) { return std::min<int>(slot.eventCount, kMaxMacroEvents); }

std::string Place(SlotRef ref) {
    return "profile " + std::to_string(ref.profile + 1) + ", button " + std::to_string(ref.slot + 1);
}

}  // namespace

unsigned DelayAsRun(const MacroEvent& event) {
    const MacroStep step = EncodeMacroStep(event);
    if (step.size == E::kShortBytes) return 2u * (step.bytes[E::kLead] & ~kMacroReleaseBit & 0xFFu);
    for (const MacroDelayUnit& unit : kMacroDelayUnits) {
        if (unit.unit == step.bytes[E::kUnit]) return unit.milliseconds * step.bytes[E::kValue];
    }
    return 0;  // the encoder writes no other unit
}

MacroFit FitMacro(const ButtonData& slot) {
    MacroFit fit;
    fit.steps = StepCount(slot);
    std::size_t bytes = 0;
    bool full = false;
    std::vector<std::uint8_t> held;
    for (int i = 0; i < fit.steps; ++i) {
        const MacroEvent& event = slot.events[i];
        const MacroStep step = EncodeMacroStep(event);
        fit.units += static_cast<int>(step.size / MacroLayout::kUnitBytes);
        if (IsRounded(event)) ++fit.roundedSteps;
        // Cut after the last whole entry that fits, as the encoder does.
        if (full || bytes + step.size > kMacroEntryAreaBytes) {
            full = true;
            continue;
        }
        bytes += step.size;
        ++fit.sentSteps;
        const auto at = std::find(held.begin(), held.end(), event.key);
        if (event.state == 1 && at == held.end()) held.push_back(event.key);
        if (event.state != 1 && at != held.end()) held.erase(at);
    }
    fit.sentUnits = static_cast<int>(bytes / MacroLayout::kUnitBytes);
    fit.heldAtEnd = std::move(held);
    return fit;
}

std::vector<SlotRef> MacroButtons(const ShareData& image) {
    std::vector<SlotRef> macros;
    for (int k = 0; k < kProfileCount; ++k) {
        for (int j = 0; j < kButtonCount; ++j) {
            if (image.profiles[k].buttons[j].function == kFunctionMacro) macros.push_back({k, j});
        }
    }
    return macros;
}

std::vector<std::string> MacroProblems(const ShareData& image, SlotRef macro) {
    std::vector<std::string> problems;
    const std::vector<SlotRef> all = MacroButtons(image);
    const auto rank = std::find(all.begin(), all.end(), macro) - all.begin();
    if (rank >= kMacroLimit) {
        problems.push_back("Not uploaded: it is macro button " + std::to_string(rank + 1) + " of " +
                           std::to_string(all.size()) + ", and the mouse takes " + std::to_string(kMacroLimit) +
                           " over all profiles.");
    }
    const MacroFit fit = FitMacro(image.profiles[macro.profile].buttons[macro.slot]);
    if (fit.Cut()) {
        problems.push_back("Cut: steps " + std::to_string(fit.sentSteps + 1) + " to " + std::to_string(fit.steps) +
                           " do not fit the " + std::to_string(kMacroEntryAreaBytes) +
                           "-byte step area and are not sent (" + std::to_string(fit.units) + " of " +
                           std::to_string(kMacroEntryAreaBytes / MacroLayout::kUnitBytes) + " units).");
    }
    for (const std::uint8_t key : fit.heldAtEnd) {
        problems.push_back("Ends on a press of " + KeyName(key) + " without its release" +
                           (fit.Cut() ? " (the release is cut)." : "."));
    }
    if (fit.roundedSteps > 0) {
        problems.push_back(std::to_string(fit.roundedSteps) + (fit.roundedSteps == 1 ? " pause is" : " pauses are") +
                           " rounded: the mouse runs the time shown as \"runs\".");
    }
    return problems;
}

std::vector<std::string> MacroLimitProblems(const ShareData& image) {
    std::vector<std::string> problems;
    for (const SlotRef& macro : MacroButtons(image)) {
        for (const std::string& problem : MacroProblems(image, macro))
            problems.push_back(Place(macro) + ": " + problem);
    }
    return problems;
}

bool InsertStep(ButtonData& slot, int at, const MacroEvent& step) {
    const int count = StepCount(slot);
    if (count >= kMaxMacroEvents || at < 0 || at > count) return false;
    std::memmove(&slot.events[at + 1], &slot.events[at], sizeof(MacroEvent) * static_cast<std::size_t>(count - at));
    slot.events[at] = step;
    slot.eventCount = static_cast<std::uint16_t>(count + 1);
    return true;
}

bool DeleteStep(ButtonData& slot, int at) {
    const int count = StepCount(slot);
    if (at < 0 || at >= count) return false;
    std::memmove(&slot.events[at], &slot.events[at + 1], sizeof(MacroEvent) * static_cast<std::size_t>(count - at - 1));
    slot.events[count - 1] = MacroEvent{};
    slot.eventCount = static_cast<std::uint16_t>(count - 1);
    return true;
}

bool MoveStep(ButtonData& slot, int from, int to) {
    const int count = StepCount(slot);
    if (from < 0 || from >= count || to < 0 || to >= count) return false;
    const MacroEvent moved = slot.events[from];
    if (from < to) {
        std::memmove(&slot.events[from], &slot.events[from + 1],
                     sizeof(MacroEvent) * static_cast<std::size_t>(to - from));
    } else {
        std::memmove(&slot.events[to + 1], &slot.events[to], sizeof(MacroEvent) * static_cast<std::size_t>(from - to));
    }
    slot.events[to] = moved;
    return true;
}

void MacroRecorder::Start(std::uint64_t nowMs) {
    recording_ = true;
    lastMs_ = nowMs;
    steps_.clear();
    down_.clear();
}

MacroRecorder::Outcome MacroRecorder::Key(std::uint8_t key, bool pressed, std::uint64_t nowMs) {
    if (!recording_) return Outcome::kIgnored;
    const auto at = std::find(down_.begin(), down_.end(), key);
    if (pressed == (at != down_.end())) return Outcome::kIgnored;  // a repeat, or a release from before
    if (pressed) {
        down_.push_back(key);
    } else {
        down_.erase(at);
    }
    if (!steps_.empty()) {
        const std::uint64_t pause = nowMs > lastMs_ ? nowMs - lastMs_ : 0;
        steps_.back().delay = static_cast<std::uint16_t>(std::min<std::uint64_t>(pause, 0xFFFF));
    }
    lastMs_ = nowMs;
    steps_.push_back(MacroEvent{key, static_cast<std::uint8_t>(pressed ? 1 : 0), 0});
    if (steps_.size() < static_cast<std::size_t>(kMaxMacroEvents)) return Outcome::kTaken;
    recording_ = false;
    return Outcome::kFull;
}

void StoreSteps(ButtonData& slot, const std::vector<MacroEvent>& steps) {
    const std::size_t count = std::min(steps.size(), static_cast<std::size_t>(kMaxMacroEvents));
    std::memset(slot.events, 0, sizeof slot.events);
    std::copy_n(steps.begin(), count, slot.events);
    slot.eventCount = static_cast<std::uint16_t>(count);
}

}  // namespace korvid
