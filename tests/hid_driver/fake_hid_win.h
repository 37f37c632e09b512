// A fake HID stack for the real driver library: a list of collections behind
// a HidApi table, standing in for SetupAPI, hid.dll and the file calls on
// device handles. Only one FakeHidSystem exists at a time; its table forwards
// every call to it.
//
// It records what the library did (opens, feature reports, cancelled reads,
// debug lines) and every misuse of the API a real system would punish (a wrong cbSize, a
// report of the wrong length, a handle closed twice or with a read in
// flight...) as a fault. Thread-safe: the library's monitor thread calls it
// while the test thread looks.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "hid/hid_api_win.h"

namespace korvid::hid::testing {

using Bytes = std::vector<std::uint8_t>;

struct FakeCollection {
    std::wstring path;
    USHORT vendorId = 0x25A7;
    USHORT productId = 0xFA70;
    USHORT usagePage = 0xFF00;
    USHORT usage = 0x0001;
    USHORT inputReportLength = 0;     // 0: no input reports
    USHORT featureReportLength = 0;   // 0: no feature reports
    bool present = true;              // listed by the enumeration and openable
    bool vanishesBeforeOpen = false;  // listed by the enumeration, but gone when opened
    bool heldBySystem = false;        // opens without access only, as Windows holds pointer and keyboard collections
    // Report IDs the descriptor declares. A feature report with another ID is
    // refused (ERROR_INVALID_PARAMETER) without reaching the device.
    std::vector<std::uint8_t> inputReportIds;
    std::vector<std::uint8_t> featureReportIds;
    // Returned by reads in this order, across handles; then a read stays
    // pending. An empty entry: that read fails with ERROR_GEN_FAILURE.
    std::vector<Bytes> inputReports;
    Bytes featureReply;  // returned by HidD_GetFeature, padded with zeros
    // Feature reports reach the device but are never answered: the call stays
    // pending until it is cancelled.
    bool featureReportsHang = false;
};

class FakeHidSystem {
public:
    explicit FakeHidSystem(std::vector<FakeCollection> collections);
    ~FakeHidSystem();
    FakeHidSystem(const FakeHidSystem&) = delete;
    FakeHidSystem& operator=(const FakeHidSystem&) = delete;

    // The table to build the library on.
    static const HidApi& Api();

    struct Opened {
        std::wstring path;
        DWORD access = 0;
        DWORD flags = 0;
    };
    struct SentReport {
        std::wstring path;
        Bytes bytes;
        DWORD access = 0;  // of the handle it went through
    };

    // Collections opened with read and write access, in order.
    std::vector<Opened> ioOpens() const;
    std::vector<SentReport> sentFeatureReports() const;
    std::vector<std::uint8_t> requestedFeatureReportIds() const;
    int openHandles() const;
    int heldPreparsedData() const;
    int openDeviceInfoLists() const;
    int cancelledReads() const;  // reads and feature reports
    std::vector<std::string> faults() const;
    std::vector<std::wstring> debugLines() const;

    void SetFeatureResult(bool result);
    // From now on the enumeration throws, as a failing allocation would.
    void SetEnumerationThrows(bool throws);
    // Plugs a collection in or pulls it out; pulling it out fails a call in
    // flight on it, and every later call on a handle opened before, as the
    // system does.
    void SetPresent(const std::wstring& path, bool present);
    // Waits, at most `bound`, until a feature report is pending on the device.
    bool WaitForPendingFeatureReport(std::chrono::milliseconds bound) const;
    // Waits, at most `bound`, until a read is pending on `path` after all its
    // reports were taken. False when that did not happen in time.
    bool WaitForIdleRead(const std::wstring& path, std::chrono::milliseconds bound) const;

    // The GUID the fake reports as the HID interface class.
    static const GUID kHidGuid;

private:
    struct HandleState {
        std::size_t collection = 0;
        DWORD access = 0;
        DWORD flags = 0;
        int generation = 0;  // the collection's generation when opened
        // The overlapped call of this handle (a read or a feature report).
        OVERLAPPED* pending = nullptr;  // a call waiting for the device
        bool pendingFeatureReport = false;
        bool completed = false;  // finished, not yet taken with GetOverlappedResult
        DWORD completedBytes = 0;
        DWORD completedError = 0;  // nonzero: finished with this error
    };

    friend struct FakeCalls;

    void Fault(std::string text);  // under the lock
    HandleState* Find(HANDLE handle, const char* call);
    void FinishRead(HandleState& state, DWORD bytes, DWORD error);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<FakeCollection> collections_;
    std::vector<std::size_t> nextReport_;  // per collection
    std::vector<int> generation_;          // per collection; counts removals
    std::map<std::uintptr_t, HandleState> handles_;
    std::map<std::uintptr_t, std::vector<std::wstring>> deviceInfoLists_;
    std::map<std::uintptr_t, std::size_t> preparsed_;  // token -> collection
    std::uintptr_t nextToken_ = 0x1000;
    std::vector<Opened> ioOpens_;
    std::vector<SentReport> sentFeatureReports_;
    std::vector<std::uint8_t> requestedFeatureReportIds_;
    int cancelledReads_ = 0;
    bool setFeatureResult_ = true;
    bool enumerationThrows_ = false;
    std::vector<std::string> faults_;
    std::vector<std::wstring> debugLines_;
};

}  // namespace korvid::hid::testing
