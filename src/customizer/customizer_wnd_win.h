// The customizer's main window: a tab control with one page per group of
// settings, the profile being edited, OK / Cancel / Apply, a progress bar, a
// notice line with its buttons, and a status bar.
//
// Contract with the host (all on this window's thread):
//   - The window is found by its title "QIV Brennox 2 Gaming mouse".
//   - Apply: under the section mutex, the section's image is merged into the
//     session (untouched fields take it), the session's image with the change
//     flags of its edits is saved to Config.data and, only when that worked,
//     written into the section; then WM_HOST_APPLY_ALL goes to the host.
//     OK/Apply stay disabled until WM_UI_ENABLE_APPLY arrives, or until a
//     bound derived from the number of frames has passed.
//   - WM_UI_PROFILE_CHANGED / WM_UI_STAGE_CHANGED: the section is read and
//     merged; unapplied edits stay.
//   - WM_CLOSE (the host's, or the person's): unapplied edits go to
//     Draft.data, then the window closes.
// Without the host the window edits Config.data directly and watches, once a
// second, for a host to appear.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/framework_win.h"
#include "customizer/control_ids.h"
#include "customizer/customizer_files_win.h"
#include "customizer/edit_session.h"
#include "customizer/field_binding.h"
#include "customizer/host_connection_win.h"
#include "customizer/key_codes.h"
#include "customizer/macro_edit.h"

namespace korvid {

// Progress of an apply: one step per frame at the pace the host sends them.
inline constexpr UINT kProgressStepMs = 100;
// When no WM_UI_ENABLE_APPLY comes: a fixed allowance plus this per frame.
inline constexpr UINT kFallbackBaseMs = 5000;
inline constexpr UINT kFallbackPerFrameMs = 500;

class CCustomizerWnd : public CWnd {
public:
    explicit CCustomizerWnd(std::wstring installDir);
    ~CCustomizerWnd() override;

    // Opens on the page (0-based; the first when out of range).
    bool Create(int showCommand, int page);
    // Whether the message is the window's keyboard navigation (tab, mnemonics,
    // Enter, Esc); then it has been handled.
    bool PreTranslate(MSG& msg);
    // Option.exe --import FILE [--ok]: imports the file as the Import button
    // does; with ok, then presses OK when nothing was refused.
    void ImportAtStart(const std::wstring& path, bool ok);

    // Handlers of the message map.
    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnNotify(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnCtlColorStatic(WPARAM, LPARAM);
    LRESULT OnDpiChanged(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnSetCursor(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnSectionChanged(WPARAM, LPARAM);
    LRESULT OnEnableApply(WPARAM, LPARAM);
    LRESULT OnOk(WPARAM, LPARAM);
    LRESULT OnCancel(WPARAM, LPARAM);
    LRESULT OnApply(WPARAM, LPARAM);
    LRESULT OnRestoreDraft(WPARAM, LPARAM);
    LRESULT OnDiscardDraft(WPARAM, LPARAM);
    LRESULT OnStartHost(WPARAM, LPARAM);
    LRESULT OnShowPage(WPARAM, LPARAM);
    LRESULT OnKey(WPARAM, LPARAM);

protected:
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    struct Placed {
        HWND hwnd;
        RECT dip;  // in the parent's client area, at 96 DPI
    };

    // Every other WM_COMMAND: the pages' controls.
    void OnControl(int id, int code, HWND control);

    // Building (customizer_pages_win.cpp).
    HWND Add(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int id, RECT dip,
             DWORD exStyle = 0);
    void CreateControls();
    void CreatePages();
    void Layout();
    void ApplyFont();
    int Scale(int dip) const { return MulDiv(dip, static_cast<int>(dpi_), 96); }
    // The control with this ID, from the table Add keeps (a walk of the
    // window tree costs a server call per window under Wine).
    HWND Control(int id) const;

    // Showing the session (customizer_pages_win.cpp).
    void Fill();
    void FillBound(const Binding& binding);
    void FillProfileChoices();
    void FillRunningPrograms();
    void ShowPage(int page);
    const Field* BoundField(const Binding& binding) const;
    void StoreTyped(const Binding& binding, HWND control);
    // Checks and stores the value, then shows the session (unless fill is
    // false: more values follow).
    void StoreValue(const Field& field, FieldValue value, bool fill = true);
    // The Windows colour dialog for a colour field.
    void PickColor(const Field& field);
    void CaptureWindowsPointer();
    void BrowseProgram();
    // The on-screen display page (osd_page_win.cpp): config.ini's record,
    // read when the page is made, written by its own Save button.
    void CreateOsdPage(HWND page);
    void SaveOsdPage();
    // The file dialog for the edit's path (save: a new file may be named).
    void BrowseFile(int editId, UINT filterId, std::size_t maxChars, bool save);
    void SetSwatch(int controlId, std::uint32_t color);

    // Buttons, macros, lighting and whole profiles (customizer_slots_win.cpp).
    void CreateSlotPages();
    void FillSlotPages();
    void FillButtons();
    // The macro button the Macros page shows: kept while it is one, else the
    // profile's first; -1 when the profile has none.
    void ChooseMacroSlot();
    // The profile's macro buttons into a combo box, item data the slot.
    void ListMacroButtons(HWND list, const ProfileData& profile, int selected);
    // The key's usage, or nothing with the refusal in the status bar.
    std::optional<std::uint8_t> UsageOrRefusal(const KeyStroke& key);
    void Refuse(const std::string& reason);
    void FillMacros();
    void FillLighting();
    // The pages' own commands; false for a control they do not own.
    bool OnSlotControl(int id, int code, HWND control);
    void KeyForButton(const KeyStroke& key, bool up);
    void KeyForStep(const KeyStroke& key, bool up);
    void KeyForRecorder(const KeyStroke& key, bool up);  // a key, not a focus change
    void StartRecording();
    void StopRecording(UINT statusId);
    // Replaces slot j of the edited profile, so Apply flags what changed.
    void StoreSlot(int slot, const ButtonData& data);
    void EditSteps(const std::function<bool(ButtonData&, int)>& edit, int selectAfter);
    void CopyProfileTo();
    void ResetProfiles(bool all);
    bool ImportFile();  // false when nothing was imported
    void ExportFile();
    void BrowseConfigFile();
    void BrowseLaunchProgram();

    // Protocol.
    void StartSession();
    void UseFile();
    void ConnectedToHost(bool merge);
    void WatchHost();
    void Apply(bool closeAfter);
    void ApplyToFile(bool closeAfter);
    void EndApply(UINT statusId, int number);
    void SetApplyEnabled(bool enabled);
    void OfferDraft();
    void ShowNotice(UINT textId, bool draftButtons, bool hostButton);

    void Status(const std::wstring& text);
    std::wstring Text(UINT id) const;
    std::wstring Format(UINT id, ...) const;

    std::wstring installDir_;
    CustomizerFiles files_;
    HostConnection host_;
    EditSession session_;
    bool hostMode_ = false;
    int editing_ = 0;  // the profile the pages show
    bool filling_ = false;
    bool linkXY_ = true;
    bool runningListed_ = false;
    int buttonSlot_ = 0;  // the slot the Buttons page shows
    int macroSlot_ = -1;  // the macro button the Macros page shows; -1 none
    int stepSelected_ = -1;
    KeyCapture keyCapture_;
    MacroRecorder recorder_;

    bool applyPending_ = false;
    bool closeAfterApply_ = false;
    int applyFrames_ = 0;
    int applyStep_ = 0;
    UINT fallbackMs_ = 0;

    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    HICON icon_ = nullptr;
    std::map<int, HBRUSH> swatchBrushes_;  // by the swatch's control ID
    std::vector<Placed> placed_;
    std::unordered_map<int, HWND> controls_;  // by control ID
    std::array<HWND, kPageCount> pages_{};
    HWND tabs_ = nullptr;
    HWND status_ = nullptr;
    HWND progress_ = nullptr;
};

}  // namespace korvid
