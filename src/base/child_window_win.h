// Finding a control by its ID anywhere below a window (inside pages and
// other container windows too, where GetDlgItem sees only direct children).
// Used by the programs' own window code and by the tests that drive them.
#pragma once

#include <windows.h>

namespace korvid {

// The first descendant of root with this control ID, or nullptr.
inline HWND FindDescendant(HWND root, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    (void)EnumChildWindows(
        root,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (GetDlgCtrlID(child) != s->id) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace korvid
