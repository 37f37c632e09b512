// The Macros page's model: what a recorded step becomes on the mouse, whether
// a macro fits the frame it is uploaded in, the limits over all profiles,
// step editing, and the recorder. Every figure here is read off the macro
// encoder (device/macro_command.h), so the page cannot promise what the push
// does not send.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/share_data.h"
#include "device/macro_command.h"

namespace korvid {

// The pause the mouse makes after a step, in ms, as its entry carries it: a
// short entry in 2 ms counts (never below 2), a long one in units of 50, 100
// or 200 ms (at most 255 units of 200 ms).
unsigned DelayAsRun(const MacroEvent& event);
inline bool IsRounded(const MacroEvent& event) { return DelayAsRun(event) != event.delay; }

// How a macro's steps fill the 98-byte entry area of its frame.
struct MacroFit {
    int steps = 0;      // eventCount (at most 40)
    int units = 0;      // two-byte units all the steps need
    int sentSteps = 0;  // steps that fit whole; the rest is cut
    int sentUnits = 0;
    int roundedSteps = 0;  // steps whose pause the mouse runs differently
    // Keys whose press is sent and whose release is not (cut, or never
    // recorded): the macro leaves them held.
    std::vector<std::uint8_t> heldAtEnd;
    bool Cut() const { return sentSteps < steps; }
};
MacroFit FitMacro(const ButtonData& slot);

// Where a macro button lies: profile and slot.
struct SlotRef {
    int profile;
    int slot;
    bool operator==(const SlotRef&) const = default;
};

// The macro buttons of the image in upload order (profile, then slot).
std::vector<SlotRef> MacroButtons(const ShareData& image);

// Sentences for the person about what the push would do to the macros of the
// image that is not what they hold: macro buttons past kMacroLimit, macros
// cut to the entry area, macros that end with a key held, rounded pauses.
// Empty when every macro goes out as it is.
std::vector<std::string> MacroLimitProblems(const ShareData& image);

// The same for one macro button; the lines the Macros page shows under it.
std::vector<std::string> MacroProblems(const ShareData& image, SlotRef macro);

// Step editing on one slot. Indexes outside 0..eventCount (insert) or
// 0..eventCount-1 are refused with false; so is an insert into a full macro.
// Entries past eventCount are kept zero.
bool InsertStep(ButtonData& slot, int at, const MacroEvent& step);
bool DeleteStep(ButtonData& slot, int at);
bool MoveStep(ButtonData& slot, int from, int to);

// Records key presses and releases with the pause after each. The pause of a
// step is the time until the next step; the last step's pause is 0. A press
// of a key that is already down (auto-repeat) and a release of a key pressed
// before recording started are not steps. Recording stops at 40 steps.
class MacroRecorder {
public:
    enum class Outcome { kTaken, kIgnored, kFull };

    void Start(std::uint64_t nowMs);
    void Stop() { recording_ = false; }
    bool Recording() const { return recording_; }
    Outcome Key(std::uint8_t key, bool pressed, std::uint64_t nowMs);
    const std::vector<MacroEvent>& Steps() const { return steps_; }

private:
    bool recording_ = false;
    std::uint64_t lastMs_ = 0;
    std::vector<MacroEvent> steps_;
    std::vector<std::uint8_t> down_;
};

// The steps replace the slot's steps.
void StoreSteps(ButtonData& slot, const std::vector<MacroEvent>& steps);

}  // namespace korvid
