// Finding HID collections: the interface paths of the present ones, what one
// of them declares (IDs, usage, report lengths and report IDs), and opening
// one. Every call goes through the given table; nothing here keeps state, so
// any thread may call it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hid/collection_choice.h"
#include "hid/device_path.h"
#include "hid/hid_api_win.h"

namespace korvid::hid {

// The interface paths of all present HID collections, in SetupAPI's order.
// Empty when the enumeration fails.
std::vector<std::wstring> EnumerateHidInterfaces(const HidApi& api);

// Opens the collection without read or write access (which works for every
// HID collection, also those Windows holds for itself) and asks it. Nothing
// when it cannot be opened (gone since the enumeration) or asked; `error`
// then holds the system error (0 when the asking failed without one).
std::optional<CollectionDeclaration> QueryCollection(const HidApi& api, const std::wstring& path,
                                                     DWORD* error = nullptr);

// What the present collections declare, in SetupAPI's order: those of `ids`
// (by HidD_GetAttributes), or all when `ids` is empty. Those that cannot be
// asked are left out.
std::vector<CollectionDeclaration> DeclaredCollections(const HidApi& api, std::optional<UsbIds> ids);

// Opens the collection for reading and writing reports; an invalid handle when
// that fails. `overlapped` for the event reader, whose reads must be
// cancellable.
DeviceHandle OpenCollection(const HidApi& api, const std::wstring& path, bool overlapped);

// A collection open for feature reports: for reading and writing, or, when
// Windows holds the collection for itself (the pointer's and the keyboard's),
// without access, which still carries feature reports. Always overlapped, so
// that a report under way can be cancelled.
struct FeatureOpen {
    DeviceHandle handle;
    bool zeroAccess = false;   // opened without read or write access
    DWORD readWriteError = 0;  // why the read/write open failed; 0 when it succeeded
    DWORD error = 0;           // why no handle was opened; 0 when one was
};
FeatureOpen OpenForFeatureReports(const HidApi& api, const std::wstring& path);

// The debug line of one collection: its path, what it declares, and `verdict`
// (why it is taken or skipped).
void DebugCollection(const HidApi& api, const CollectionDeclaration& collection, std::wstring_view verdict);
void DebugCollection(const HidApi& api, const CollectionDeclaration& collection, std::string_view verdict);

// "5 (Access is denied.)": the system's text for a Win32 error.
std::wstring ErrorText(DWORD error);

}  // namespace korvid::hid
