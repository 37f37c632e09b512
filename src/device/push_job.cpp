#include "device/push_job.h"

#include <memory>

#include "device/button_command.h"

namespace korvid {
namespace {

void WriteBackMacroNumbers(const ShareData& pushed, ShareData& working) {
    for (int k = 0; k < kProfileCount; ++k) {
        for (int j = 0; j < kButtonCount; ++j) {
            const ButtonData& from = pushed.profiles[k].buttons[j];
            ButtonData& to = working.profiles[k].buttons[j];
            // A slot the window thread has meanwhile turned into something
            // else keeps what it has; the next push numbers the new image.
            if (from.function == kFunctionMacro && to.function == kFunctionMacro) to.macroNumber = from.macroNumber;
        }
    }
}

}  // namespace

PushResult RunPush(WorkingCopy& working, WorkingCopy& pushedImage, int kind, const FrameSender& send,
                   const AnsiConverter& toAnsi) {
    if (kind != PUSH_CHANGED && kind != PUSH_ALL && kind != PUSH_PROFILE) return {};

    const auto snapshot = std::make_unique_for_overwrite<ShareData>();
    working.CopyTo(*snapshot);

    PushResult result;
    result.pushed = true;
    if (kind == PUSH_PROFILE) {
        result.endResult = PushActiveProfile(*snapshot, send);
        return result;
    }
    result.endResult = PushSettings(*snapshot, kind == PUSH_ALL, send, toAnsi);
    // pushedImage becomes the working copy as it stands now, not the snapshot:
    // a pointer setting the window thread changed and applied during the push
    // must compare as applied, or changing it back later would find no
    // difference. The snapshot's storage takes the copy, so the two locks are
    // never held together.
    working.Write([&](ShareData& image) {
        WriteBackMacroNumbers(*snapshot, image);
        *snapshot = image;
    });
    pushedImage.Write([&](ShareData& image) { image = *snapshot; });
    result.enableApply = kind == PUSH_CHANGED;
    return result;
}

}  // namespace korvid
