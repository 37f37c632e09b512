// The named section through which the host and the customizer exchange the
// configuration, and the named mutex that guards it.
//
// Contract with the customizer (another process): both sides touch the
// section only while holding the mutex "T593K_Gaming_Mouse_Mutex_Object";
// the customizer writes whole images and then posts WM_HOST_APPLY_ALL,
// WM_HOST_RELOAD or WM_HOST_RELOAD_POINTER to the host window. The host takes
// the mutex only on its window thread, for whole-image copies. The section has
// a null DACL, so any process may write anything into it: every image the
// host copies out is repaired before use.
#pragma once

#include <windows.h>

#include "base/unique_resource_win.h"
#include "config/working_copy.h"
#include "protocol/korvid_protocol.h"

namespace korvid {

class SharedSection {
public:
    // Creates the section mutex; false when a mutex of that name existed
    // already (start-up must stop then). A mutex that cannot be created for
    // another reason is not an error: every later copy is skipped.
    bool CreateMutexObject();

    // Creates (or opens) the section and maps all of it for the host's life.
    bool CreateSharedSection();

    // Working copy to section under the mutex; false when the mutex could not
    // be taken or there is no section.
    bool PublishToSection(const WorkingCopy& image);

    // Section to working copy under the mutex; nothing when the mutex could
    // not be taken or there is no section. The copy is repaired first.
    void ReloadFromSection(WorkingCopy& image);

    void CloseSection();  // unmaps the view and closes the mapping
    void CloseMutex();

private:
    UniqueHandle mapping_;
    UniqueMappedView view_;
    UniqueHandle mutex_;
};

}  // namespace korvid
