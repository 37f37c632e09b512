#include "device/settings_push.h"

#include "device/button_command.h"
#include "device/command_frame.h"
#include "device/dpi_command.h"
#include "device/lighting_command.h"

namespace korvid {
namespace {

template <std::size_t N>
int Send(const FrameSender& send, const Frame<N>& frame) {
    return send(std::span<const std::uint8_t>(frame));
}

bool AnyButtonChanged(const ShareData& image, int k) {
    for (const std::uint8_t flag : image.buttonChanged[k]) {
        if (IsFlagSet(flag)) return true;
    }
    return false;
}

}  // namespace

int UploadMacros(ProfileData& profile, int& macroCounter, const FrameSender& send, const AnsiConverter& toAnsi) {
    int result = 1;
    for (ButtonData& slot : profile.buttons) {
        if (slot.function != kFunctionMacro) continue;
        if (macroCounter >= kMacroLimit) {
            // Beyond the limit the macro is not uploaded and its button gets
            // number 0, which the button command sends as unassigned.
            slot.macroNumber = 0;
            result = 0;
            continue;
        }
        slot.macroNumber = ++macroCounter;
        (void)Send(send, EncodeMacroCommand(slot, slot.macroNumber, toAnsi));  // a refused frame is not retried
    }
    return result;
}

int PushSettings(ShareData& snapshot, bool pushAll, const FrameSender& send, const AnsiConverter& toAnsi) {
    // Every frame but the last goes out whether or not the one before it was
    // accepted; nothing is retried.
    int macroCounter = 0;
    (void)Send(send, EncodeBegin());
    if (IsFlagSet(snapshot.activeProfileChanged)) (void)Send(send, EncodeActiveProfile(snapshot));
    for (int k = 0; k < kProfileCount; ++k) {
        if (pushAll || IsFlagSet(snapshot.dpiChanged[k])) (void)Send(send, EncodeDpiCommand(snapshot.profiles[k], k));
    }
    for (int k = 0; k < kProfileCount; ++k) {
        if (pushAll || IsFlagSet(snapshot.option07Changed[k])) (void)Send(send, EncodeOption07(snapshot, k));
    }
    for (int k = 0; k < kProfileCount; ++k) {
        if (pushAll || IsFlagSet(snapshot.lightingChanged[k])) {
            (void)Send(send, EncodeLightingCommand(snapshot.profiles[k], k));
        }
    }
    for (ProfileData& profile : snapshot.profiles) (void)UploadMacros(profile, macroCounter, send, toAnsi);
    for (int k = 0; k < kProfileCount; ++k) {
        if (pushAll || AnyButtonChanged(snapshot, k)) (void)Send(send, EncodeButtonCommand(snapshot.profiles[k], k));
    }
    return Send(send, EncodeEnd(snapshot));
}

int PushActiveProfile(const ShareData& snapshot, const FrameSender& send) {
    (void)Send(send, EncodeBegin());
    (void)Send(send, EncodeActiveProfile(snapshot));
    return Send(send, EncodeEnd(snapshot));
}

}  // namespace korvid
