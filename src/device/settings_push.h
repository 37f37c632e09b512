// The settings push: the sequence of command frames that brings the mouse up
// to date with one image. Pure sequencing over an image the caller owns and
// no other thread touches (the worker passes its private snapshot, see
// push_job.h); frames go out through a FrameSender, one call per frame.
//
// The sequence of a push (k runs over the profiles 0 to 4 in every step; a
// flag counts only when its byte is 1):
//   CMD_BEGIN
//   CMD_ACTIVE_PROFILE    when activeProfileChanged is set, whatever the kind
//   CMD_DPI (k)           push-all, or dpiChanged[k]
//   CMD_OPTION07 (k)      push-all, or option07Changed[k]
//   CMD_LIGHTING (k)      push-all, or lightingChanged[k]
//   CMD_MACRO             every macro button of every profile, on every push;
//                         numbers them 1, 2, ... into macroNumber
//   CMD_BUTTONS (k)       push-all, or any of the twenty buttonChanged[k][j];
//                         after the macros, so assignments carry fresh numbers
//   CMD_END               profileOption of the active profile
// The change flags are only read, never cleared.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "config/share_data.h"
#include "device/macro_command.h"
#include "protocol/korvid_protocol.h"

namespace korvid {

// Sends one whole frame and returns the SetFeature result (nonzero = the
// device took it). In the host it also pauses 100 ms after an accepted frame;
// a refused frame is neither paused after nor retried. Called on the pushing
// thread with no lock held.
using FrameSender = std::function<int(std::span<const std::uint8_t> frame)>;

// Uploads the macro buttons of one profile in slot order, numbering them on
// from macroCounter and storing each number in the slot's macroNumber.
// Returns 1 when every macro button of the profile was uploaded, 0 when some
// lay beyond the 120-macro limit.
int UploadMacros(ProfileData& profile, int& macroCounter, const FrameSender& send, const AnsiConverter& toAnsi);

// The whole sequence above over snapshot, whose macroNumber fields it
// rewrites. activeProfile must lie in 0..4 (images are repaired on entry).
// Returns the send result of CMD_END.
int PushSettings(ShareData& snapshot, bool pushAll, const FrameSender& send, const AnsiConverter& toAnsi);

// PUSH_PROFILE: CMD_BEGIN, CMD_ACTIVE_PROFILE for the active profile and
// CMD_END, nothing else, whatever the flags say. Returns the send result of
// CMD_END.
int PushActiveProfile(const ShareData& snapshot, const FrameSender& send);

}  // namespace korvid
