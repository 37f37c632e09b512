// The real driver library's device monitor on a fake device list: its thread
// and window, the connection posts, and the event reader. Notifications are
// sent to the monitor's window with SendMessageW, which returns once the
// monitor has handled them, so what it posted is already queued; waits are
// bounded and only for posts made by the monitor thread on its own.
#include <windows.h>
// after windows.h
#include <dbt.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "collections.h"
#include "fake_hid_win.h"
#include "hid/hid_library_win.h"
#include "host_window_win.h"

namespace korvid::hid::testing {
namespace {

using namespace std::chrono_literals;
constexpr auto kBound = 10s;  // a bound on waiting, not an expectation of speed

Bytes EventReport(std::uint16_t eventClass, std::uint16_t argument) {
    // Padded to the vendor collection's 9-byte input reports.
    return {0x0C,
            static_cast<std::uint8_t>(eventClass),
            static_cast<std::uint8_t>(eventClass >> 8),
            static_cast<std::uint8_t>(argument),
            static_cast<std::uint8_t>(argument >> 8),
            0,
            0,
            0,
            0};
}

Posted Connection(WPARAM attached) { return {kConnectionMsg, attached, 0}; }
Posted Event(WPARAM eventClass, LPARAM argument) { return {kEventMsg, eventClass, argument}; }

class HidDeviceMonitorTest : public ::testing::Test {
protected:
    // The library, with the monitor started for the mouse's IDs.
    void Start(std::vector<FakeCollection> collections) {
        fake_.emplace(std::move(collections));
        library_.emplace(FakeHidSystem::Api());
        (void)library_->SetVidPid(0x25A7, 0xFA70);
        ASSERT_EQ(library_->OpenDevMonitor(host_.get(), kEventMsg, kConnectionMsg), 1);
        monitor_ = library_->monitorWindow();
        ASSERT_NE(monitor_, nullptr);
    }
    void TearDown() override {
        if (!fake_) return;
        library_.reset();  // stops the monitor
        EXPECT_EQ(fake_->openHandles(), 0);
        EXPECT_EQ(fake_->heldPreparsedData(), 0);
        EXPECT_EQ(fake_->openDeviceInfoLists(), 0);
        EXPECT_EQ(fake_->faults(), std::vector<std::string>{});
    }

    void Arrive(const std::wstring& path) { SendInterfaceChange(monitor_, DBT_DEVICEARRIVAL, path); }
    void Remove(const std::wstring& path) { SendInterfaceChange(monitor_, DBT_DEVICEREMOVECOMPLETE, path); }

    // Every report of `path` was handled: its last read is pending, and the
    // monitor has come back to its message loop (where it answers a sent
    // message) after posting what the reports held.
    void WaitUntilReportsHandled(const std::wstring& path) {
        ASSERT_TRUE(fake_->WaitForIdleRead(path, kBound));
        (void)SendMessageW(monitor_, WM_NULL, 0, 0);
    }

    HostWindow host_;
    std::optional<FakeHidSystem> fake_;  // outlives the library
    std::optional<HidLibrary> library_;
    HWND monitor_ = nullptr;
};

TEST_F(HidDeviceMonitorTest, StartsItsThreadAndStopsIt) {
    ASSERT_NO_FATAL_FAILURE(Start({OtherKeyboard()}));
    EXPECT_TRUE(IsWindow(monitor_));
    EXPECT_NE(GetWindowThreadProcessId(monitor_, nullptr), GetCurrentThreadId());

    EXPECT_EQ(library_->CloseDevMonitor(), 1);
    EXPECT_FALSE(IsWindow(monitor_)) << "the window outlived Close_DevMonitor";
    EXPECT_EQ(library_->monitorWindow(), nullptr);
    EXPECT_EQ(library_->CloseDevMonitor(), 1) << "closing twice";

    // It starts again after a close, and a second open replaces the first.
    ASSERT_EQ(library_->OpenDevMonitor(host_.get(), kEventMsg, kConnectionMsg), 1);
    const HWND first = library_->monitorWindow();
    ASSERT_EQ(library_->OpenDevMonitor(host_.get(), kEventMsg, kConnectionMsg), 1);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(library_->monitorWindow()));
    EXPECT_EQ(library_->CloseDevMonitor(), 1);
    EXPECT_EQ(host_.Take(), std::vector<Posted>{});
}

TEST_F(HidDeviceMonitorTest, PostsOnceForEachPhysicalAttachAndRemoval) {
    ASSERT_NO_FATAL_FAILURE(Start({MousePointer(), MouseKeyboard(), MouseVendor(), OtherKeyboard()}));
    EXPECT_EQ(host_.Take(), std::vector<Posted>{}) << "a mouse present at start is not announced";

    Remove(kMouseKeyboardPath);
    Remove(kOtherKeyboardPath);
    Remove(kMouseVendorPath);
    EXPECT_EQ(host_.Take(), std::vector<Posted>{});
    Remove(kMousePointerPath);
    EXPECT_EQ(host_.Take(), std::vector<Posted>{Connection(0)});

    Arrive(kOtherKeyboardPath);
    EXPECT_EQ(host_.Take(), std::vector<Posted>{});
    Arrive(kMousePointerPath);
    Arrive(kMouseKeyboardPath);
    Arrive(kMouseVendorPath);
    EXPECT_EQ(host_.Take(), std::vector<Posted>{Connection(1)});
}

TEST_F(HidDeviceMonitorTest, TurnsEventReportsIntoEventPosts) {
    FakeCollection vendor = MouseVendor();
    vendor.inputReports = {
        EventReport(0x3000, 3),
        EventReport(0x1234, 1),                      // unknown class
        {0x0C, 0x00, 0xB0, 0x02},                    // short
        {0x01, 0x00, 0xB0, 0x02, 0x00, 0, 0, 0, 0},  // another report ID
        EventReport(0xB000, 2),
        EventReport(0xA000, 1),
    };
    ASSERT_NO_FATAL_FAILURE(Start({MousePointer(), vendor}));
    ASSERT_NO_FATAL_FAILURE(WaitUntilReportsHandled(kMouseVendorPath));
    EXPECT_EQ(host_.Take(), (std::vector<Posted>{Event(0x3000, 3), Event(0xB000, 2), Event(0xA000, 1)}));

    const std::vector<FakeHidSystem::Opened> opens = fake_->ioOpens();
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].path, kMouseVendorPath);
    EXPECT_NE(opens[0].flags & FILE_FLAG_OVERLAPPED, 0u);

    EXPECT_EQ(library_->CloseDevMonitor(), 1);
    EXPECT_EQ(fake_->cancelledReads(), 1) << "the pending read was not cancelled";
    EXPECT_EQ(fake_->openHandles(), 0);
}

// The mouse plugged in after the monitor started, then pulled out: its reader
// starts with it and ends with it.
TEST_F(HidDeviceMonitorTest, ReadsEventsWhileTheMouseIsAttached) {
    FakeCollection vendor = MouseVendor();
    vendor.present = false;
    vendor.inputReports = {EventReport(0x6000, 15)};
    FakeCollection pointer = MousePointer();
    pointer.present = false;
    ASSERT_NO_FATAL_FAILURE(Start({pointer, vendor}));
    EXPECT_EQ(fake_->ioOpens().size(), 0u);

    fake_->SetPresent(kMousePointerPath, true);
    fake_->SetPresent(kMouseVendorPath, true);
    Arrive(kMousePointerPath);
    Arrive(kMouseVendorPath);
    ASSERT_NO_FATAL_FAILURE(WaitUntilReportsHandled(kMouseVendorPath));
    EXPECT_EQ(host_.Take(), (std::vector<Posted>{Connection(1), Event(0x6000, 15)}));

    // Pulled out: the pending read fails before the notices come.
    fake_->SetPresent(kMouseVendorPath, false);
    fake_->SetPresent(kMousePointerPath, false);
    Remove(kMouseVendorPath);
    Remove(kMousePointerPath);
    EXPECT_EQ(host_.Take(), std::vector<Posted>{Connection(0)});
    EXPECT_EQ(fake_->openHandles(), 0) << "the reader kept the removed device open";
}

// The mouse's collections arrive one by one, in any order: the host hears of
// the attach only once the collection for frames is there (so that its open
// succeeds), and of the removal only when it heard of the attach.
TEST_F(HidDeviceMonitorTest, PostsTheAttachWhenTheCollectionForFramesIsThere) {
    const struct {
        const char* name;
        std::vector<std::wstring> arrivals;
        std::size_t attachedAfter;  // index of the arrival after which 1 is posted; arrivals.size(): never
    } kCases[] = {
        {"pointer, keyboard, vendor", {kMousePointerPath, kMouseKeyboardPath, kMouseVendorPath}, 2},
        {"vendor first", {kMouseVendorPath, kMousePointerPath, kMouseKeyboardPath}, 0},
        {"keyboard, vendor, pointer", {kMouseKeyboardPath, kMouseVendorPath, kMousePointerPath}, 1},
        {"the vendor collection never comes", {kMousePointerPath, kMouseKeyboardPath}, 2},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        std::vector<FakeCollection> collections = {MousePointer(), MouseKeyboard(), MouseVendor()};
        for (FakeCollection& collection : collections) collection.present = false;
        ASSERT_NO_FATAL_FAILURE(Start(collections));
        for (std::size_t i = 0; i < c.arrivals.size(); ++i) {
            SCOPED_TRACE(i);
            fake_->SetPresent(c.arrivals[i], true);
            Arrive(c.arrivals[i]);
            const bool posts = i == c.attachedAfter;
            EXPECT_EQ(host_.Take(), posts ? std::vector<Posted>{Connection(1)} : std::vector<Posted>{});
            // What the host does on the attach: its open finds the collection.
            if (posts) {
                EXPECT_EQ(library_->OpenFeatureDevice(), 1);
            }
        }
        const bool attached = c.attachedAfter < c.arrivals.size();
        for (const std::wstring& path : c.arrivals) {
            fake_->SetPresent(path, false);
            Remove(path);
        }
        EXPECT_EQ(host_.Take(), attached ? std::vector<Posted>{Connection(0)} : std::vector<Posted>{});
        TearDown();
        fake_.reset();
    }
}

// The system removes and announces again the collection for frames while the
// mouse stays attached: the library opens it again by itself, and the host
// hears nothing; frames fail only in between.
TEST_F(HidDeviceMonitorTest, OpensTheCollectionForFramesAgainWhenItComesBack) {
    ASSERT_NO_FATAL_FAILURE(Start({MousePointer(), MouseVendor()}));
    ASSERT_EQ(library_->OpenFeatureDevice(), 1);
    const Bytes begin = {0x04, 0x00, 0xFF};

    fake_->SetPresent(kMouseVendorPath, false);
    Remove(kMouseVendorPath);
    EXPECT_EQ(library_->SetFeature(begin.data(), 3), 0);
    fake_->SetPresent(kMouseVendorPath, true);
    Arrive(kMouseVendorPath);
    EXPECT_EQ(host_.Take(), std::vector<Posted>{});
    EXPECT_EQ(library_->SetFeature(begin.data(), 3), 1);
    const std::vector<FakeHidSystem::SentReport> sent = fake_->sentFeatureReports();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].path, kMouseVendorPath);

    // After the host closed it (a removal it heard of), nothing is reopened.
    EXPECT_EQ(library_->CloseFeatureDevice(), 1);
    const std::size_t opens = fake_->ioOpens().size();
    fake_->SetPresent(kMouseVendorPath, false);
    Remove(kMouseVendorPath);
    fake_->SetPresent(kMouseVendorPath, true);
    Arrive(kMouseVendorPath);
    std::size_t featureOpens = 0;
    const std::vector<FakeHidSystem::Opened> all = fake_->ioOpens();
    for (std::size_t i = opens; i < all.size(); ++i) featureOpens += all[i].path == kMouseVendorPath ? 1 : 0;
    EXPECT_EQ(featureOpens, 1u) << "only the event reader opens it again";
    EXPECT_EQ(library_->SetFeature(begin.data(), 3), 0);
}

// A read that fails for another reason than removal or cancellation: the
// reader starts again after a short pause and the events keep coming.
TEST_F(HidDeviceMonitorTest, RestartsTheReaderAfterAReadError) {
    FakeCollection vendor = MouseVendor();
    vendor.inputReports = {EventReport(0x3000, 1), Bytes{}, EventReport(0xB000, 2)};
    ASSERT_NO_FATAL_FAILURE(Start({MousePointer(), vendor}));
    ASSERT_NO_FATAL_FAILURE(WaitUntilReportsHandled(kMouseVendorPath));
    EXPECT_EQ(host_.Take(), (std::vector<Posted>{Event(0x3000, 1), Event(0xB000, 2)}));
    const std::vector<FakeHidSystem::Opened> opens = fake_->ioOpens();
    ASSERT_EQ(opens.size(), 2u) << "the reader was not restarted";
    EXPECT_EQ(opens[1].path, kMouseVendorPath);

    const std::vector<std::wstring> lines = fake_->debugLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::wstring& line) {
        return line.find(L"event reader failed with error 31") != std::wstring::npos &&
               line.find(L"restarting in 100 ms") != std::wstring::npos;
    }));
}

// Something throws inside the library (here the enumeration, as a failed
// allocation would): the entry point fails, the monitor thread handles the
// next notice as usual.
TEST_F(HidDeviceMonitorTest, AFailureThatThrowsEndsNeitherTheCallNorTheThread) {
    FakeCollection pointer = MousePointer();
    pointer.present = false;
    FakeCollection vendor = MouseVendor();
    vendor.present = false;
    ASSERT_NO_FATAL_FAILURE(Start({pointer, vendor}));
    fake_->SetPresent(kMousePointerPath, true);
    fake_->SetPresent(kMouseVendorPath, true);

    fake_->SetEnumerationThrows(true);
    Arrive(kMousePointerPath);
    EXPECT_EQ(library_->OpenFeatureDevice(), 0);
    EXPECT_EQ(host_.Take(), std::vector<Posted>{});

    fake_->SetEnumerationThrows(false);
    Arrive(kMouseVendorPath);
    EXPECT_EQ(host_.Take(), std::vector<Posted>{Connection(1)});
    EXPECT_EQ(library_->OpenFeatureDevice(), 1);

    const std::vector<std::wstring> lines = fake_->debugLines();
    for (const wchar_t* expected :
         {L"hiddriver: Open_FeatureDevice failed unexpectedly", L"hiddriver: the device monitor failed to handle"}) {
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                [&](const std::wstring& line) { return line.rfind(expected, 0) == 0; }))
            << "no line " << std::string(expected, expected + std::wcslen(expected));
    }
}

}  // namespace
}  // namespace korvid::hid::testing
