// The on-screen display page: osdEnabled and the display's own settings from
// the OSDSetting record of config.ini beside the customizer (and Korvid.exe).
// The record is not part of the configuration image: its Save button writes
// it with WritePrivateProfileStructW, which adds the checksum the readers
// check. The host reads osdEnabled only at its start; FerroxOSD.exe reads the
// rest every time it shows.
#include <windows.h>
// After <windows.h>:
#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>

#include "base/system_error_win.h"
#include "config/osd_settings.h"
#include "config/settings_file_win.h"
#include "customizer/customizer_wnd_win.h"
#include "customizer/page_controls_win.h"
#include "customizer/string_ids.h"
#include "osd/osd_look.h"
#include "protocol/korvid_protocol.h"

namespace korvid {
namespace {

using namespace page;

constexpr UINT kValueLabels[] = {IDS_OSD_POSITION,  IDS_OSD_SHOW_MS, IDS_OSD_FADE_MS,
                                 IDS_OSD_TEXT_SIZE, IDS_OSD_OPACITY, IDS_OSD_MARGIN};
static_assert(std::size(kValueLabels) == std::size(kOsdFields));

// What the host and the display would read now: the record, or (missing,
// damaged) a zero record, which means notifications off and the default look.
OsdSettings ReadRecord(const std::wstring& installDir) {
    OsdSettings read{};
    ReadOsdSettings(read, installDir);
    return read;
}

}  // namespace

void CCustomizerWnd::CreateOsdPage(HWND page) {
    const OsdSettings settings = ReadRecord(installDir_);
    const OsdLook look = DecodeOsdLook(settings);

    HWND enabled = Add(page, WC_BUTTONW, Text(IDS_OSD_ENABLED), kCheck, ID_OSD_ENABLED, R(8, 8, 540, 22));
    (void)SendMessageW(enabled, BM_SETCHECK, settings.osdEnabled == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    for (std::size_t row = 0; row < std::size(kOsdFields); ++row) {
        const int y = 40 + 30 * static_cast<int>(row);
        const int id = ID_OSD_VALUE + static_cast<int>(row);
        Add(page, WC_STATICW, Text(kValueLabels[row]), kLabel, ID_OSD_VALUE_LABEL + static_cast<int>(row),
            R(8, y + 3, 390, 20));
        const int value = look.*kOsdFields[row].member;
        if (row == 0) {
            HWND positions = Add(page, WC_COMBOBOXW, L"", kList, id, R(404, y, 144, 300));
            std::wstring names = Text(IDS_OSD_POSITIONS) + L"|";
            for (std::size_t start = 0, bar; (bar = names.find(L'|', start)) != std::wstring::npos; start = bar + 1) {
                const std::wstring name = names.substr(start, bar - start);
                (void)SendMessageW(positions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
            }
            (void)SendMessageW(positions, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
        } else {
            Add(page, WC_EDITW, std::to_wstring(value), kEdit | ES_NUMBER | WS_BORDER, id, R(404, y, 80, 23));
        }
    }
    Add(page, WC_BUTTONW, Text(IDS_OSD_SAVE), kButton, ID_OSD_SAVE, R(8, 224, 200, 26));
    Add(page, WC_STATICW, Text(IDS_OSD_HINT), kLabel, ID_OSD_HINT, R(216, 220, 332, 56));
}

void CCustomizerWnd::SaveOsdPage() {
    HWND page = pages_[ID_PAGE_OSD - ID_PAGE_PROFILES];
    const std::wstring path = installDir_ + kSettingsFileName;
    // What else the record holds (reserved bytes) stays as it is.
    OsdSettings settings = ReadRecord(installDir_);
    OsdLook look = DecodeOsdLook(settings);
    for (std::size_t row = 0; row < std::size(kOsdFields); ++row) {
        const OsdField& field = kOsdFields[row];
        HWND control = GetDlgItem(page, ID_OSD_VALUE + static_cast<int>(row));
        long value = -1;
        if (row == 0) {
            value = static_cast<long>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        } else {
            const std::wstring text = WindowText(control);
            wchar_t* end = nullptr;
            value = std::wcstol(text.c_str(), &end, 10);
            if (end == text.c_str() || *end != L'\0') value = field.minimum - 1L;
        }
        if (value < field.minimum || value > field.maximum) {
            // "Opacit&y (percent, 20 to 100):" names the field as "Opacity".
            std::wstring label = Text(kValueLabels[row]);
            label = label.substr(0, std::min(label.find(L" ("), label.find(L':')));
            std::erase(label, L'&');
            Status(Format(IDS_OSD_OUT_OF_RANGE, label.c_str(), field.minimum, field.maximum));
            (void)SetFocus(control);
            return;
        }
        look.*field.member = static_cast<int>(value);
    }
    EncodeOsdLook(look, settings);
    settings.osdEnabled = SendMessageW(GetDlgItem(page, ID_OSD_ENABLED), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    if (!WritePrivateProfileStructW(kOsdSettingsSection, kOsdSettingsKey, &settings, sizeof settings, path.c_str())) {
        Status(Format(IDS_OSD_NOT_SAVED, SystemErrorText(GetLastError()).c_str()));
        return;
    }
    Status(Text(IDS_OSD_SAVED));
}

}  // namespace korvid
