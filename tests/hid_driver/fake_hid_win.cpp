#include "fake_hid_win.h"

#include <winioctl.h>
// after winioctl.h
extern "C" {
#include <hidclass.h>
}

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <utility>

namespace korvid::hid::testing {
namespace {

FakeHidSystem* current = nullptr;

}  // namespace

const GUID FakeHidSystem::kHidGuid = {0x6b0ea3f1, 0x2c55, 0x4a10, {0x9e, 0x21, 0x7d, 0x4f, 0x18, 0x3c, 0x5a, 0x60}};

// The table's functions: each forwards to the current fake under its lock.
struct FakeCalls {
    static FakeHidSystem& Fake() { return *current; }

    static void WINAPI GetHidGuid(LPGUID guid) { *guid = FakeHidSystem::kHidGuid; }

    static HDEVINFO WINAPI GetClassDevs(const GUID* guid, PCWSTR enumerator, HWND parent, DWORD flags) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        if (f.enumerationThrows_) throw std::bad_alloc();
        if (guid == nullptr || *guid != FakeHidSystem::kHidGuid) f.Fault("SetupDiGetClassDevsW: not the HID class");
        if (enumerator != nullptr || parent != nullptr) f.Fault("SetupDiGetClassDevsW: unexpected filter");
        if ((flags & (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {
            f.Fault("SetupDiGetClassDevsW: not present device interfaces");
        }
        std::vector<std::wstring> paths;
        for (const FakeCollection& c : f.collections_) {
            if (c.present) paths.push_back(c.path);
        }
        const std::uintptr_t token = f.nextToken_++;
        f.deviceInfoLists_[token] = std::move(paths);
        return reinterpret_cast<HDEVINFO>(token);
    }

    static BOOL WINAPI EnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID* guid, DWORD index,
                                            PSP_DEVICE_INTERFACE_DATA data) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        const auto list = f.deviceInfoLists_.find(reinterpret_cast<std::uintptr_t>(set));
        if (list == f.deviceInfoLists_.end()) {
            f.Fault("SetupDiEnumDeviceInterfaces: unknown list");
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (guid == nullptr || *guid != FakeHidSystem::kHidGuid) f.Fault("SetupDiEnumDeviceInterfaces: wrong class");
        if (data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
            f.Fault("SetupDiEnumDeviceInterfaces: cbSize");
            SetLastError(ERROR_INVALID_USER_BUFFER);
            return FALSE;
        }
        if (index >= list->second.size()) {
            SetLastError(ERROR_NO_MORE_ITEMS);
            return FALSE;
        }
        data->InterfaceClassGuid = FakeHidSystem::kHidGuid;
        data->Flags = SPINT_ACTIVE;
        data->Reserved = index;
        return TRUE;
    }

    static BOOL WINAPI GetInterfaceDetail(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size, PDWORD required,
                                          PSP_DEVINFO_DATA) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        const auto list = f.deviceInfoLists_.find(reinterpret_cast<std::uintptr_t>(set));
        if (list == f.deviceInfoLists_.end() || data == nullptr || data->Reserved >= list->second.size()) {
            f.Fault("SetupDiGetDeviceInterfaceDetailW: unknown interface");
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const std::wstring& path = list->second[data->Reserved];
        const DWORD needed = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                                (path.size() + 1) * sizeof(WCHAR));
        if (required != nullptr) *required = needed;
        if (detail == nullptr || size < needed) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
            f.Fault("SetupDiGetDeviceInterfaceDetailW: cbSize");
            SetLastError(ERROR_INVALID_USER_BUFFER);
            return FALSE;
        }
        std::memcpy(detail->DevicePath, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
        return TRUE;
    }

    static BOOL WINAPI DestroyList(HDEVINFO set) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        if (f.deviceInfoLists_.erase(reinterpret_cast<std::uintptr_t>(set)) == 0) {
            f.Fault("SetupDiDestroyDeviceInfoList: unknown list");
            return FALSE;
        }
        return TRUE;
    }

    static HANDLE WINAPI Open(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                              DWORD flags, HANDLE) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        if (disposition != OPEN_EXISTING) f.Fault("CreateFileW: not OPEN_EXISTING");
        if ((share & (FILE_SHARE_READ | FILE_SHARE_WRITE)) != (FILE_SHARE_READ | FILE_SHARE_WRITE)) {
            f.Fault("CreateFileW: does not share the device");
        }
        const auto found = std::find_if(f.collections_.begin(), f.collections_.end(),
                                        [&](const FakeCollection& c) { return c.path == name; });
        if (found == f.collections_.end() || !found->present || found->vanishesBeforeOpen) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        const bool io = (access & (GENERIC_READ | GENERIC_WRITE)) != 0;
        if (io && found->heldBySystem) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        const std::uintptr_t token = f.nextToken_++;
        FakeHidSystem::HandleState state;
        state.collection = static_cast<std::size_t>(found - f.collections_.begin());
        state.access = access;
        state.flags = flags;
        state.generation = f.generation_[state.collection];
        f.handles_[token] = state;
        if (io) f.ioOpens_.push_back({found->path, access, flags});
        return reinterpret_cast<HANDLE>(token);
    }

    static BOOL WINAPI Close(HANDLE handle) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        const auto found = f.handles_.find(reinterpret_cast<std::uintptr_t>(handle));
        if (found == f.handles_.end()) {
            f.Fault("CloseHandle: unknown or closed handle");
            return FALSE;
        }
        if (found->second.pending != nullptr) f.Fault("CloseHandle: a call is still in flight");
        f.handles_.erase(found);
        f.changed_.notify_all();
        return TRUE;
    }

    static BOOL WINAPI Read(HANDLE handle, LPVOID buffer, DWORD length, LPDWORD, LPOVERLAPPED overlapped) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        FakeHidSystem::HandleState* state = f.Find(handle, "ReadFile");
        if (state == nullptr) return FALSE;
        const FakeCollection& c = f.collections_[state->collection];
        if ((state->flags & FILE_FLAG_OVERLAPPED) == 0 || overlapped == nullptr || overlapped->hEvent == nullptr) {
            f.Fault("ReadFile: not an overlapped read with an event");
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (length != c.inputReportLength) f.Fault("ReadFile: buffer is not one input report long");
        if (state->pending != nullptr || state->completed) f.Fault("ReadFile: a read is already in flight");
        if (!c.present || state->generation != f.generation_[state->collection]) {
            SetLastError(ERROR_DEVICE_NOT_CONNECTED);
            return FALSE;
        }
        std::size_t& next = f.nextReport_[state->collection];
        if (next < c.inputReports.size()) {
            const Bytes& report = c.inputReports[next++];
            const std::size_t n = std::min<std::size_t>(report.size(), length);
            std::memcpy(buffer, report.data(), n);
            state->pending = overlapped;
            f.FinishRead(*state, static_cast<DWORD>(n), report.empty() ? ERROR_GEN_FAILURE : 0);
        } else {
            state->pending = overlapped;
            f.changed_.notify_all();
        }
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }

    static BOOL WINAPI OverlappedResult(HANDLE handle, LPOVERLAPPED, LPDWORD transferred, BOOL wait) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        FakeHidSystem::HandleState* state = f.Find(handle, "GetOverlappedResult");
        if (state == nullptr) return FALSE;
        if (state->completed) {
            state->completed = false;
            *transferred = state->completedBytes;
            if (state->completedError == 0) return TRUE;
            SetLastError(state->completedError);
            return FALSE;
        }
        if (state->pending != nullptr) {
            if (wait) {
                f.Fault("GetOverlappedResult: waits for a read that nothing ends");
            }
            SetLastError(ERROR_IO_INCOMPLETE);
            return FALSE;
        }
        SetLastError(ERROR_INVALID_PARAMETER);  // no read to report on
        return FALSE;
    }

    static BOOL WINAPI Cancel(HANDLE handle, LPOVERLAPPED) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        FakeHidSystem::HandleState* state = f.Find(handle, "CancelIoEx");
        if (state == nullptr) return FALSE;
        if (state->pending == nullptr) {
            SetLastError(ERROR_NOT_FOUND);
            return FALSE;
        }
        ++f.cancelledReads_;
        f.FinishRead(*state, 0, ERROR_OPERATION_ABORTED);
        return TRUE;
    }

    static BOOLEAN NTAPI GetAttributes(HANDLE handle, PHIDD_ATTRIBUTES attributes) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        FakeHidSystem::HandleState* state = f.Find(handle, "HidD_GetAttributes");
        if (state == nullptr) return FALSE;
        if (attributes->Size != sizeof(HIDD_ATTRIBUTES)) {
            f.Fault("HidD_GetAttributes: Size");
            return FALSE;
        }
        const FakeCollection& c = f.collections_[state->collection];
        attributes->VendorID = c.vendorId;
        attributes->ProductID = c.productId;
        attributes->VersionNumber = 0x0100;
        return TRUE;
    }

    static BOOLEAN NTAPI GetPreparsedData(HANDLE handle, PHIDP_PREPARSED_DATA* data) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        FakeHidSystem::HandleState* state = f.Find(handle, "HidD_GetPreparsedData");
        if (state == nullptr) return FALSE;
        const std::uintptr_t token = f.nextToken_++;
        f.preparsed_[token] = state->collection;
        *data = reinterpret_cast<PHIDP_PREPARSED_DATA>(token);
        return TRUE;
    }

    static BOOLEAN NTAPI FreePreparsedData(PHIDP_PREPARSED_DATA data) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        if (f.preparsed_.erase(reinterpret_cast<std::uintptr_t>(data)) == 0) {
            f.Fault("HidD_FreePreparsedData: unknown or freed");
            return FALSE;
        }
        return TRUE;
    }

    static NTSTATUS NTAPI GetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        const auto found = f.preparsed_.find(reinterpret_cast<std::uintptr_t>(data));
        if (found == f.preparsed_.end()) {
            f.Fault("HidP_GetCaps: unknown or freed preparsed data");
            return HIDP_STATUS_INVALID_PREPARSED_DATA;
        }
        const FakeCollection& c = f.collections_[found->second];
        *caps = {};
        caps->UsagePage = c.usagePage;
        caps->Usage = c.usage;
        caps->InputReportByteLength = c.inputReportLength;
        caps->FeatureReportByteLength = c.featureReportLength;
        // The first report ID as a button cap, all of them as value caps.
        caps->NumberInputButtonCaps = c.inputReportIds.empty() ? 0 : 1;
        caps->NumberInputValueCaps = static_cast<USHORT>(c.inputReportIds.size());
        caps->NumberFeatureButtonCaps = c.featureReportIds.empty() ? 0 : 1;
        caps->NumberFeatureValueCaps = static_cast<USHORT>(c.featureReportIds.size());
        return HIDP_STATUS_SUCCESS;
    }

    // The declared report IDs of `type`, or nothing (and a fault).
    static const std::vector<std::uint8_t>* DeclaredIds(FakeHidSystem& f, HIDP_REPORT_TYPE type,
                                                        PHIDP_PREPARSED_DATA data, const char* call) {
        const auto found = f.preparsed_.find(reinterpret_cast<std::uintptr_t>(data));
        if (found == f.preparsed_.end()) {
            f.Fault(std::string(call) + ": unknown or freed preparsed data");
            return nullptr;
        }
        const FakeCollection& c = f.collections_[found->second];
        if (type == HidP_Input) return &c.inputReportIds;
        if (type == HidP_Feature) return &c.featureReportIds;
        static const std::vector<std::uint8_t> none;
        return &none;
    }

    static NTSTATUS NTAPI GetValueCaps(HIDP_REPORT_TYPE type, PHIDP_VALUE_CAPS caps, PUSHORT length,
                                       PHIDP_PREPARSED_DATA data) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        const std::vector<std::uint8_t>* ids = DeclaredIds(f, type, data, "HidP_GetValueCaps");
        if (ids == nullptr) return HIDP_STATUS_INVALID_PREPARSED_DATA;
        if (*length < ids->size()) {
            f.Fault("HidP_GetValueCaps: buffer shorter than the caps count");
            return HIDP_STATUS_BUFFER_TOO_SMALL;
        }
        for (std::size_t i = 0; i < ids->size(); ++i) {
            caps[i] = {};
            caps[i].UsagePage = 0xFF00;
            caps[i].ReportID = (*ids)[i];
        }
        *length = static_cast<USHORT>(ids->size());
        return HIDP_STATUS_SUCCESS;
    }

    static NTSTATUS NTAPI GetButtonCaps(HIDP_REPORT_TYPE type, PHIDP_BUTTON_CAPS caps, PUSHORT length,
                                        PHIDP_PREPARSED_DATA data) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        const std::vector<std::uint8_t>* ids = DeclaredIds(f, type, data, "HidP_GetButtonCaps");
        if (ids == nullptr) return HIDP_STATUS_INVALID_PREPARSED_DATA;
        const USHORT count = ids->empty() ? 0 : 1;
        if (*length < count) {
            f.Fault("HidP_GetButtonCaps: buffer shorter than the caps count");
            return HIDP_STATUS_BUFFER_TOO_SMALL;
        }
        if (count != 0) {
            caps[0] = {};
            caps[0].UsagePage = 0x0009;
            caps[0].ReportID = ids->front();
        }
        *length = count;
        return HIDP_STATUS_SUCCESS;
    }

    static void WINAPI DebugOutput(LPCWSTR text) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        f.debugLines_.emplace_back(text);
    }

    static BOOL WINAPI IoControl(HANDLE handle, DWORD code, LPVOID in, DWORD inLength, LPVOID out, DWORD outLength,
                                 LPDWORD, LPOVERLAPPED overlapped) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        FakeHidSystem::HandleState* state = f.Find(handle, "DeviceIoControl");
        if (state == nullptr) return FALSE;
        const FakeCollection& c = f.collections_[state->collection];
        if (code != IOCTL_HID_SET_FEATURE || out != nullptr || outLength != 0) {
            f.Fault("DeviceIoControl: not IOCTL_HID_SET_FEATURE with the report as input");
            SetLastError(ERROR_INVALID_FUNCTION);
            return FALSE;
        }
        if ((state->flags & FILE_FLAG_OVERLAPPED) == 0 || overlapped == nullptr || overlapped->hEvent == nullptr) {
            f.Fault("DeviceIoControl: not an overlapped call with an event");
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (state->pending != nullptr || state->completed) f.Fault("DeviceIoControl: a call is already in flight");
        if (inLength != c.featureReportLength) f.Fault("DeviceIoControl: not one feature report long");
        if (!c.present || state->generation != f.generation_[state->collection]) {
            SetLastError(ERROR_DEVICE_NOT_CONNECTED);
            return FALSE;
        }
        const auto* bytes = static_cast<const std::uint8_t*>(in);
        if (inLength == 0 ||
            std::find(c.featureReportIds.begin(), c.featureReportIds.end(), bytes[0]) == c.featureReportIds.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);  // not a report of this collection
            return FALSE;
        }
        f.sentFeatureReports_.push_back({c.path, Bytes(bytes, bytes + inLength), state->access});
        state->pending = overlapped;
        state->pendingFeatureReport = true;
        if (c.featureReportsHang) {
            f.changed_.notify_all();
        } else {
            f.FinishRead(*state, 0, f.setFeatureResult_ ? 0 : ERROR_GEN_FAILURE);
        }
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }

    static BOOLEAN NTAPI GetFeature(HANDLE handle, PVOID buffer, ULONG length) {
        FakeHidSystem& f = Fake();
        const std::lock_guard lock(f.mutex_);
        FakeHidSystem::HandleState* state = f.Find(handle, "HidD_GetFeature");
        if (state == nullptr) return FALSE;
        const FakeCollection& c = f.collections_[state->collection];
        if ((state->access & GENERIC_READ) == 0) f.Fault("HidD_GetFeature: handle without read access");
        if (length != c.featureReportLength) {
            f.Fault("HidD_GetFeature: not one feature report long");
            return FALSE;
        }
        auto* bytes = static_cast<std::uint8_t*>(buffer);
        f.requestedFeatureReportIds_.push_back(bytes[0]);
        std::memset(bytes, 0, length);
        std::memcpy(bytes, c.featureReply.data(), std::min<std::size_t>(c.featureReply.size(), length));
        return TRUE;
    }
};

const HidApi& FakeHidSystem::Api() {
    static const HidApi api{
        FakeCalls::GetHidGuid,
        FakeCalls::GetClassDevs,
        FakeCalls::EnumDeviceInterfaces,
        FakeCalls::GetInterfaceDetail,
        FakeCalls::DestroyList,
        FakeCalls::Open,
        FakeCalls::Close,
        FakeCalls::Read,
        FakeCalls::OverlappedResult,
        FakeCalls::Cancel,
        FakeCalls::IoControl,
        FakeCalls::GetAttributes,
        FakeCalls::GetPreparsedData,
        FakeCalls::FreePreparsedData,
        FakeCalls::GetCaps,
        FakeCalls::GetValueCaps,
        FakeCalls::GetButtonCaps,
        FakeCalls::GetFeature,
        FakeCalls::DebugOutput,
    };
    return api;
}

FakeHidSystem::FakeHidSystem(std::vector<FakeCollection> collections)
    : collections_(std::move(collections)), nextReport_(collections_.size(), 0), generation_(collections_.size(), 0) {
    current = this;
}

FakeHidSystem::~FakeHidSystem() { current = nullptr; }

void FakeHidSystem::Fault(std::string text) { faults_.push_back(std::move(text)); }

FakeHidSystem::HandleState* FakeHidSystem::Find(HANDLE handle, const char* call) {
    const auto found = handles_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found != handles_.end()) return &found->second;
    Fault(std::string(call) + ": unknown or closed handle");
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

void FakeHidSystem::FinishRead(HandleState& state, DWORD bytes, DWORD error) {
    OVERLAPPED* overlapped = std::exchange(state.pending, nullptr);
    state.pendingFeatureReport = false;
    state.completed = true;
    state.completedBytes = bytes;
    state.completedError = error;
    (void)SetEvent(overlapped->hEvent);
    changed_.notify_all();
}

std::vector<FakeHidSystem::Opened> FakeHidSystem::ioOpens() const {
    const std::lock_guard lock(mutex_);
    return ioOpens_;
}

std::vector<FakeHidSystem::SentReport> FakeHidSystem::sentFeatureReports() const {
    const std::lock_guard lock(mutex_);
    return sentFeatureReports_;
}

std::vector<std::uint8_t> FakeHidSystem::requestedFeatureReportIds() const {
    const std::lock_guard lock(mutex_);
    return requestedFeatureReportIds_;
}

int FakeHidSystem::openHandles() const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(handles_.size());
}

int FakeHidSystem::heldPreparsedData() const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(preparsed_.size());
}

int FakeHidSystem::openDeviceInfoLists() const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(deviceInfoLists_.size());
}

int FakeHidSystem::cancelledReads() const {
    const std::lock_guard lock(mutex_);
    return cancelledReads_;
}

std::vector<std::string> FakeHidSystem::faults() const {
    const std::lock_guard lock(mutex_);
    return faults_;
}

void FakeHidSystem::SetFeatureResult(bool result) {
    const std::lock_guard lock(mutex_);
    setFeatureResult_ = result;
}

void FakeHidSystem::SetEnumerationThrows(bool throws) {
    const std::lock_guard lock(mutex_);
    enumerationThrows_ = throws;
}

void FakeHidSystem::SetPresent(const std::wstring& path, bool present) {
    const std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < collections_.size(); ++i) {
        if (collections_[i].path != path) continue;
        collections_[i].present = present;
        if (present) continue;
        ++generation_[i];
        for (auto& [token, state] : handles_) {
            if (state.collection == i && state.pending != nullptr) FinishRead(state, 0, ERROR_DEVICE_NOT_CONNECTED);
        }
    }
}

bool FakeHidSystem::WaitForIdleRead(const std::wstring& path, std::chrono::milliseconds bound) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, bound, [&] {
        for (const auto& [token, state] : handles_) {
            const FakeCollection& c = collections_[state.collection];
            if (c.path == path && state.pending != nullptr && nextReport_[state.collection] == c.inputReports.size()) {
                return true;
            }
        }
        return false;
    });
}

bool FakeHidSystem::WaitForPendingFeatureReport(std::chrono::milliseconds bound) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, bound, [&] {
        for (const auto& [token, state] : handles_) {
            if (state.pending != nullptr && state.pendingFeatureReport) return true;
        }
        return false;
    });
}

std::vector<std::wstring> FakeHidSystem::debugLines() const {
    const std::lock_guard lock(mutex_);
    return debugLines_;
}

}  // namespace korvid::hid::testing
