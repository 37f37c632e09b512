// A fake HID stack for the real driver library: a list of collections behind
// a HidApi table, standing in for SetupAPI, hid.dll and the file calls on
// device handles. Only one FakeHidSystem exists at a time; its table forwards
// every call to it.
//
// It records what the library did (opens, feature reports, cancelled reads)
// and every misuse of the API a real system would punish (a wrong cbSize, a
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
    std::vector<Bytes> inputReports;  // returned by reads in this order; then a read stays pending
    Bytes featureReply;               // returned by HidD_GetFeature, padded with zeros
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
    };

    // Collections opened with read and write access, in order.
    std::vector<Opened> ioOpens() const;
    std::vector<SentReport> sentFeatureReports() const;
    std::vector<std::uint8_t> requestedFeatureReportIds() const;
    int openHandles() const;
    int heldPreparsedData() const;
    int openDeviceInfoLists() const;
    int cancelledReads() const;
    std::vector<std::string> faults() const;

    void SetFeatureResult(bool result);
    // Plugs a collection in or pulls it out; pulling it out fails a read in
    // flight on it, as the system does.
    void SetPresent(const std::wstring& path, bool present);
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
        // The read of this handle.
        std::size_t nextReport = 0;
        OVERLAPPED* pending = nullptr;  // a read waiting for a report
        bool completed = false;         // finished, not yet taken with GetOverlappedResult
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
    std::map<std::uintptr_t, HandleState> handles_;
    std::map<std::uintptr_t, std::vector<std::wstring>> deviceInfoLists_;
    std::map<std::uintptr_t, std::size_t> preparsed_;  // token -> collection
    std::uintptr_t nextToken_ = 0x1000;
    std::vector<Opened> ioOpens_;
    std::vector<SentReport> sentFeatureReports_;
    std::vector<std::uint8_t> requestedFeatureReportIds_;
    int cancelledReads_ = 0;
    bool setFeatureResult_ = true;
    std::vector<std::string> faults_;
};

}  // namespace korvid::hid::testing
