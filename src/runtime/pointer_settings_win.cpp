#include "runtime/pointer_settings_win.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/unique_resource_win.h"
#include "runtime/pointer_settings.h"

namespace korvid {
namespace {

constexpr UINT kUpdateAndBroadcast = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;

// Opens HKCU\subKey, or creates it when it cannot be opened; empty when both fail.
UniqueKey OpenOrCreateUserKey(const wchar_t* subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) return UniqueKey(key);
    if (RegCreateKeyW(HKEY_CURRENT_USER, subKey, &key) == ERROR_SUCCESS) return UniqueKey(key);
    return UniqueKey();
}

// The text of a string value, at most 260 bytes of data; nothing when the
// value is missing, not a string or longer.
std::optional<std::u16string> ReadText(HKEY key, const wchar_t* name) {
    wchar_t data[130 + 1] = {};
    DWORD type = 0;
    DWORD size = 260;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    data[size / sizeof(wchar_t) < 130 ? size / sizeof(wchar_t) : 130] = L'\0';  // data need not be terminated
    return std::u16string(reinterpret_cast<const char16_t*>(data));
}

void ApplyPointerMotion(const PointerMotion& motion) {
    int mouse[3] = {motion.mouse[0], motion.mouse[1], motion.mouse[2]};
    (void)SystemParametersInfoW(SPI_SETMOUSE, 0, mouse, kUpdateAndBroadcast);
    // The speed travels as the value of the pointer argument itself.
    (void)SystemParametersInfoW(SPI_SETMOUSESPEED, 0, reinterpret_cast<void*>(static_cast<std::intptr_t>(motion.speed)),
                                kUpdateAndBroadcast);
}

}  // namespace

void CapturePointerSettings(ProfileData& profile) {
    PointerRegistryTexts texts;
    {
        const UniqueKey mouse = OpenOrCreateUserKey(L"Control Panel\\Mouse");
        if (!mouse) return;  // nothing captured
        texts.doubleClickSpeed = ReadText(mouse.get(), L"DoubleClickSpeed");
        texts.mouseSensitivity = ReadText(mouse.get(), L"MouseSensitivity");
        texts.mouseSpeed = ReadText(mouse.get(), L"MouseSpeed");
        texts.mouseThreshold1 = ReadText(mouse.get(), L"MouseThreshold1");
        texts.mouseThreshold2 = ReadText(mouse.get(), L"MouseThreshold2");
    }
    if (const UniqueKey desktop = OpenOrCreateUserKey(L"Control Panel\\Desktop"))
        texts.wheelScrollLines = ReadText(desktop.get(), L"WheelScrollLines");
    CapturePointerFields(texts, profile);
}

void ApplyPointerSettings(const ShareData& working, const ShareData& pushedImage) {
    const PointerApply apply = PointerSettingsToApply(working, pushedImage);
    if (apply.doubleClickTime) {
        const UINT time = static_cast<UINT>(*apply.doubleClickTime);  // a negative time goes as its bit pattern
        (void)SetDoubleClickTime(time);
        (void)SystemParametersInfoW(SPI_SETDOUBLECLICKTIME, time, nullptr, kUpdateAndBroadcast);
    }
    if (apply.motion) ApplyPointerMotion(*apply.motion);
    if (apply.wheelScrollLines) {
        (void)SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, static_cast<UINT>(*apply.wheelScrollLines), nullptr,
                                    kUpdateAndBroadcast);
    }
}

}  // namespace korvid
