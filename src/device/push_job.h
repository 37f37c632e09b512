// One push as the worker thread runs it, over the two images the host window
// shares between its threads. Everything here is portable; the worker thread
// itself (message loop, SetFeature, the 100 ms pause, WM_UI_ENABLE_APPLY) is
// Windows glue that calls RunPush once per accepted WM_THREAD_PUSH.
//
// Who owns what:
//   - The host window owns the working copy and pushedImage, each a
//     WorkingCopy (an image behind a lock of its own), as members on the heap.
//   - RunPush owns the snapshot it pushes: heap storage for the duration of
//     the call, never on the worker's (small) stack.
//
// Who calls what, on which thread:
//   - Window thread: writes the working copy (section reloads, device events,
//     automatic switching) and reads pushedImage (pointer-settings check),
//     only through Read/Write/CopyTo. It never waits for a push: a lock is
//     held by RunPush only for a whole-image copy or for writing macro numbers.
//   - Worker thread: RunPush, one push at a time. It never holds both locks
//     at once, and holds none while sending, so send and toAnsi may take
//     either lock themselves.
//
// What a push does with the images:
//   1. copies the working copy into its snapshot under the working-copy lock;
//   2. builds and sends every frame from the snapshot (settings_push.h), so a
//      push is one consistent image even if the window thread rewrites the
//      working copy meanwhile;
//   3. PUSH_CHANGED and PUSH_ALL: writes the macroNumber the push assigned
//      into every slot that was a macro button in the snapshot and still is one
//      in the working copy;
//   4. PUSH_CHANGED and PUSH_ALL: makes pushedImage the working copy as it
//      stands at the end of the push, with those macro numbers, copied under
//      the same lock as the write-back (step 3). A change the window thread
//      made during the push is therefore taken as pushed, as one made before
//      it would be: a pointer setting changed and applied meanwhile, then
//      changed back, must compare as a change. PUSH_PROFILE leaves both
//      images as they were.
// Both images must obey the invariants that RepairImage establishes
// (activeProfile in 0..4): whatever enters them from outside is repaired first.
#pragma once

#include "config/working_copy.h"
#include "device/macro_command.h"
#include "device/settings_push.h"

namespace korvid {

struct PushResult {
    bool pushed = false;       // false: an unknown kind, nothing sent, nothing changed
    int endResult = 0;         // what the sender returned for CMD_END
    bool enableApply = false;  // PUSH_CHANGED: the worker now tells the customizer
};

// Runs one push of the given kind (PUSH_CHANGED, PUSH_ALL, PUSH_PROFILE; any
// other kind does nothing). The caller checks deviceState before calling.
PushResult RunPush(WorkingCopy& working, WorkingCopy& pushedImage, int kind, const FrameSender& send,
                   const AnsiConverter& toAnsi);

}  // namespace korvid
