// The on-screen display's one window: hidden until WM_OSD_SHOW, then shows
// the profile on the monitor of the foreground window for a while and fades
// out. It never takes activation or mouse input. Its look comes from
// config.ini in the install folder, read at every showing (the customizer's
// changes count from the next one).
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "base/framework_win.h"
#include "base/unique_resource_win.h"
#include "osd/osd_look.h"

namespace korvid {

class COsdWnd : public CWnd {
public:
    explicit COsdWnd(std::wstring installDir) : installDir_(std::move(installDir)) {}
    bool Create();

protected:
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    friend struct OsdMessageMap;

    LRESULT OnOsdShow(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnHitTest(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);

    void Show(int profileIndex);
    void Hide();
    // Fonts for the DPI, the text's size and the window's rectangle on the
    // work area.
    void Layout(const RECT& workArea, unsigned dpi);
    void Draw(HDC dc, const RECT& client);

    std::wstring installDir_;
    OsdLook look_ = DefaultOsdLook();
    std::wstring profileLine_;
    std::wstring detailLine_;
    unsigned dpi_ = 96;
    UniqueFont titleFont_;
    UniqueFont detailFont_;
    RECT placed_{};
    ULONGLONG fadeStart_ = 0;
};

}  // namespace korvid
