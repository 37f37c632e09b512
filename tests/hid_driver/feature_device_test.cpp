// The real driver library's feature-report side on a fake device list: which
// collection Open_FeatureDevice opens, and what reaches HidD_SetFeature.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "collections.h"
#include "fake_hid_win.h"
#include "hid/hid_library_win.h"

namespace korvid::hid::testing {
namespace {

constexpr UsbIds kMouse{0x25A7, 0xFA70};

FakeCollection With(FakeCollection c, void (*change)(FakeCollection&)) {
    change(c);
    return c;
}

// Every test ends with the library gone and nothing left open in the fake.
class HidFeatureDeviceTest : public ::testing::Test {
protected:
    void Use(std::vector<FakeCollection> collections) {
        library_.reset();
        fake_.emplace(std::move(collections));
        library_.emplace(FakeHidSystem::Api());
    }
    void TearDown() override { EndLibrary(); }
    void EndLibrary() {
        if (!fake_) return;
        library_.reset();
        EXPECT_EQ(fake_->openHandles(), 0);
        EXPECT_EQ(fake_->heldPreparsedData(), 0);
        EXPECT_EQ(fake_->openDeviceInfoLists(), 0);
        EXPECT_EQ(fake_->faults(), std::vector<std::string>{});
        fake_.reset();
    }
    FakeHidSystem& fake() { return *fake_; }
    HidLibrary& library() { return *library_; }

    // The mouse's vendor collection, opened.
    bool OpenMouse() {
        Use({MousePointer(), MouseVendor()});
        (void)library().SetVidPid(kMouse.vendorId, kMouse.productId);
        return library().OpenFeatureDevice() == 1;
    }

private:
    std::optional<FakeHidSystem> fake_;  // declared first: outlives the library
    std::optional<HidLibrary> library_;
};

// Which collection the frames reach, and through which kind of handle: the
// test sends CMD_BEGIN after the open and looks at what the device got.
TEST_F(HidFeatureDeviceTest, OpensTheCollectionThatCarriesEveryFrame) {
    constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
    const std::wstring kSecondVendorPath = L"\\\\?\\HID#VID_25A7&PID_FA70&MI_02#7&99&0&0000#{x}";
    const auto second = [&] {
        FakeCollection c = MouseVendor();
        c.path = kSecondVendorPath;
        return c;
    };
    // The mouse of the first probe: the command reports sit in the keyboard
    // collection, which Windows holds; the vendor collection has events only.
    const auto keyboardWithCommands = [] {
        FakeCollection c = MouseKeyboard();
        c.featureReportLength = 133;
        c.featureReportIds = kCommandReportIds;
        return c;
    };
    const auto eventsOnly = [] {
        FakeCollection c = MouseVendor();
        c.featureReportLength = 0;
        c.featureReportIds.clear();
        return c;
    };
    const auto otherReportIds = [] {
        FakeCollection c = MouseVendor();
        c.featureReportIds = {0x01, 0x02, 0x03};
        return c;
    };
    const struct {
        const char* name;
        std::vector<FakeCollection> collections;
        std::optional<UsbIds> ids;  // nothing: Set_VIDPID never called
        std::optional<std::wstring> opened;
        DWORD access = kReadWrite;  // of the handle the frame went through
        CollectionNames names = {};
    } kCases[] = {
        {"the mouse's vendor collection", {MousePointer(), MouseKeyboard(), MouseVendor()}, kMouse, kMouseVendorPath},
        {"another device first", {OtherKeyboard(), MouseVendor()}, kMouse, kMouseVendorPath},
        {"only another device", {OtherKeyboard()}, kMouse, std::nullopt},
        {"IDs from Set_VIDPID", {MouseVendor(), OtherKeyboard()}, UsbIds{0x046D, 0xC31C}, kOtherKeyboardPath},
        {"IDs never set", {MouseVendor()}, std::nullopt, std::nullopt},
        {"no feature reports", {eventsOnly()}, kMouse, std::nullopt},
        {"feature reports one byte short of the macro frame",
         {With(MouseVendor(), [](FakeCollection& c) { c.featureReportLength = 131; })},
         kMouse,
         std::nullopt},
        {"feature reports exactly as long as the macro frame",
         {With(MouseVendor(), [](FakeCollection& c) { c.featureReportLength = 132; })},
         kMouse,
         kMouseVendorPath},
        {"feature reports of other IDs only", {otherReportIds()}, kMouse, std::nullopt},
        {"one command ID missing",
         {With(MouseVendor(), [](FakeCollection& c) { c.featureReportIds.pop_back(); })},
         kMouse,
         std::nullopt},
        {"the collection with the command IDs, not the first long one",
         {otherReportIds(), second()},
         kMouse,
         kSecondVendorPath},
        {"commands in the collection Windows holds: opened without access",
         {MousePointer(), keyboardWithCommands(), eventsOnly()},
         kMouse,
         kMouseKeyboardPath,
         0},
        {"a vendor collection before one Windows holds",
         {keyboardWithCommands(), MouseVendor()},
         kMouse,
         kMouseVendorPath},
        {"held by another program: opened without access",
         {With(MouseVendor(), [](FakeCollection& c) { c.heldBySystem = true; })},
         kMouse,
         kMouseVendorPath,
         0},
        {"named in [Device]", {MouseVendor(), second()}, kMouse, kSecondVendorPath, kReadWrite, {L"mi_02", L""}},
        {"named in [Device], report IDs not checked",
         {With(MouseVendor(), [](FakeCollection& c) { c.featureReportIds = {0x04}; })},
         kMouse,
         kMouseVendorPath,
         kReadWrite,
         {L"MI_01&Col02", L""}},
        {"named in [Device] but absent", {MouseVendor()}, kMouse, std::nullopt, kReadWrite, {L"MI_05", L""}},
        {"gone between enumeration and open",
         {With(MouseVendor(), [](FakeCollection& c) { c.vanishesBeforeOpen = true; })},
         kMouse,
         std::nullopt},
        {"gone, and another collection of the mouse after it",
         {With(MouseVendor(), [](FakeCollection& c) { c.vanishesBeforeOpen = true; }), second()},
         kMouse,
         kSecondVendorPath},
        {"not present", {With(MouseVendor(), [](FakeCollection& c) { c.present = false; })}, kMouse, std::nullopt},
    };
    const Bytes begin = {0x04, 0x00, 0xFF};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Use(c.collections);
        library().SetCollectionNames(c.names);
        if (c.ids) (void)library().SetVidPid(c.ids->vendorId, c.ids->productId);
        EXPECT_EQ(library().OpenFeatureDevice(), c.opened ? 1 : 0);
        const int sent = library().SetFeature(begin.data(), 3);
        const std::vector<FakeHidSystem::SentReport> reports = fake().sentFeatureReports();
        if (c.opened) {
            EXPECT_EQ(fake().openHandles(), 1);  // the queries closed their handles
            EXPECT_EQ(sent, 1);
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_EQ(reports[0].path, *c.opened);
            EXPECT_EQ(reports[0].access, c.access);
        } else {
            EXPECT_EQ(fake().openHandles(), 0);
            EXPECT_EQ(sent, 0);
            EXPECT_TRUE(reports.empty());
        }
        EXPECT_EQ(library().CloseFeatureDevice(), 1);
        EndLibrary();
    }
}

TEST_F(HidFeatureDeviceTest, SendsTheFramePaddedToOneFeatureReport) {
    auto padded = [](Bytes head) {
        head.resize(133, 0);
        return head;
    };
    Bytes macro(132, 0x5A);
    macro[0] = 0x0A;
    macro[1] = 0x84;
    const struct {
        const char* name;
        Bytes frame;
        bool deviceAccepts;
        int result;
        std::optional<Bytes> sent;  // nothing: HidD_SetFeature not called
    } kCases[] = {
        {"begin", {0x04, 0x00, 0xFF}, true, 1, padded({0x04, 0x00, 0xFF})},
        {"active profile", {0x05, 0x04, 0x02, 0x05, 0x00, 0x00, 0x00, 0x00}, true, 1, padded({0x05, 0x04, 0x02, 0x05})},
        {"the longest frame", macro, true, 1, padded(macro)},
        {"longer than the feature report", Bytes(134, 0x0A), true, 0, std::nullopt},
        {"refused by the device",
         {0x0B, 0x08, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00},
         false,
         0,
         padded({0x0B, 0x08, 0x01})},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(OpenMouse());
        fake().SetFeatureResult(c.deviceAccepts);
        EXPECT_EQ(library().SetFeature(c.frame.data(), static_cast<int>(c.frame.size())), c.result);
        const std::vector<FakeHidSystem::SentReport> sent = fake().sentFeatureReports();
        if (c.sent) {
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(sent[0].path, kMouseVendorPath);
            EXPECT_EQ(sent[0].bytes, *c.sent);
        } else {
            EXPECT_TRUE(sent.empty());
        }
        EndLibrary();
    }
}

TEST_F(HidFeatureDeviceTest, FailsCleanlyWithoutAnOpenDevice) {
    Use({MouseVendor()});
    const Bytes begin = {0x04, 0x00, 0xFF};
    Bytes buffer(8, 0x0A);
    (void)library().SetVidPid(kMouse.vendorId, kMouse.productId);
    EXPECT_EQ(library().SetFeature(begin.data(), 3), 0) << "before open";
    EXPECT_EQ(library().GetFeature(buffer.data(), 8), 0) << "before open";
    EXPECT_EQ(library().CloseFeatureDevice(), 1) << "close before open";

    ASSERT_EQ(library().OpenFeatureDevice(), 1);
    EXPECT_EQ(library().SetFeature(nullptr, 3), 0) << "no frame";
    EXPECT_EQ(library().SetFeature(begin.data(), 0), 0) << "empty frame";
    EXPECT_EQ(library().SetFeature(begin.data(), -1), 0) << "negative length";
    EXPECT_EQ(library().CloseFeatureDevice(), 1);
    EXPECT_EQ(fake().openHandles(), 0);

    EXPECT_EQ(library().SetFeature(begin.data(), 3), 0) << "after close";
    EXPECT_EQ(library().GetFeature(buffer.data(), 8), 0) << "after close";
    EXPECT_EQ(library().CloseFeatureDevice(), 1) << "closed twice";
    EXPECT_TRUE(fake().sentFeatureReports().empty());
    EXPECT_TRUE(fake().requestedFeatureReportIds().empty());
}

// On every attach the host opens again, without closing first.
TEST_F(HidFeatureDeviceTest, OpeningAgainReplacesTheOpenDevice) {
    ASSERT_TRUE(OpenMouse());
    ASSERT_EQ(library().OpenFeatureDevice(), 1);
    EXPECT_EQ(fake().ioOpens().size(), 2u);
    EXPECT_EQ(fake().openHandles(), 1);

    fake().SetPresent(kMouseVendorPath, false);
    EXPECT_EQ(library().OpenFeatureDevice(), 0);
    EXPECT_EQ(fake().openHandles(), 0) << "the old handle outlived a failed open";
    const Bytes begin = {0x04, 0x00, 0xFF};
    EXPECT_EQ(library().SetFeature(begin.data(), 3), 0);
}

// The host's worker sends frames while its window thread reopens and closes
// the device (attach and removal): a frame either reaches an open handle
// whole or is refused; the fake reports any call on a closed handle.
TEST_F(HidFeatureDeviceTest, SendsWhileTheWindowThreadReopensTheDevice) {
    ASSERT_TRUE(OpenMouse());
    const Bytes begin = {0x04, 0x00, 0xFF};
    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
    int accepted = 0;
    std::thread worker([&] {
        started = true;
        while (!done) accepted += library().SetFeature(begin.data(), 3);
    });
    while (!started) std::this_thread::yield();
    for (int i = 0; i < 2000; ++i) {
        (void)library().OpenFeatureDevice();
        if (i % 3 == 0) (void)library().CloseFeatureDevice();
    }
    done = true;
    worker.join();

    const std::vector<FakeHidSystem::SentReport> sent = fake().sentFeatureReports();
    EXPECT_EQ(static_cast<int>(sent.size()), accepted);
    for (const FakeHidSystem::SentReport& report : sent) {
        ASSERT_EQ(report.bytes.size(), 133u);
        ASSERT_EQ(Bytes(report.bytes.begin(), report.bytes.begin() + 3), begin);
    }
}

TEST_F(HidFeatureDeviceTest, ReadsTheFeatureReportNamedByTheFirstByte) {
    Use({With(MouseVendor(), [](FakeCollection& c) { c.featureReply = {0x0A, 0x84, 0x01, 0x02, 0x03}; })});
    (void)library().SetVidPid(kMouse.vendorId, kMouse.productId);
    ASSERT_EQ(library().OpenFeatureDevice(), 1);

    Bytes shortBuffer(4, 0);
    shortBuffer[0] = 0x0A;
    EXPECT_EQ(library().GetFeature(shortBuffer.data(), 4), 4);
    EXPECT_EQ(shortBuffer, (Bytes{0x0A, 0x84, 0x01, 0x02}));

    Bytes longBuffer(200, 0xEE);
    longBuffer[0] = 0x07;
    EXPECT_EQ(library().GetFeature(longBuffer.data(), 200), 133);
    EXPECT_EQ(Bytes(longBuffer.begin(), longBuffer.begin() + 6), (Bytes{0x0A, 0x84, 0x01, 0x02, 0x03, 0x00}));
    EXPECT_EQ(longBuffer[133], 0xEE) << "written beyond the report";

    EXPECT_EQ(fake().requestedFeatureReportIds(), (std::vector<std::uint8_t>{0x0A, 0x07}));
}

// A device that stops answering: a frame under way is cancelled after the
// library's time limit, or at once when the host closes the device, so that
// neither the worker nor the window thread waits for the device.
TEST_F(HidFeatureDeviceTest, CancelsAFrameTheDeviceDoesNotAnswer) {
    const Bytes begin = {0x04, 0x00, 0xFF};
    const auto hanging = [] { return With(MouseVendor(), [](FakeCollection& c) { c.featureReportsHang = true; }); };

    // Closed by the window thread while the worker waits for the device.
    Use({hanging()});
    (void)library().SetVidPid(kMouse.vendorId, kMouse.productId);
    ASSERT_EQ(library().OpenFeatureDevice(), 1);
    int result = -1;
    std::thread worker([&] { result = library().SetFeature(begin.data(), 3); });
    ASSERT_TRUE(fake().WaitForPendingFeatureReport(std::chrono::seconds(10)));
    EXPECT_EQ(library().CloseFeatureDevice(), 1);  // the test's time limit bounds a hang
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(fake().cancelledReads(), 1);
    EXPECT_EQ(fake().sentFeatureReports().size(), 1u);
    EndLibrary();

    // Not closed: the frame is given up after the time limit.
    Use({hanging()});
    (void)library().SetVidPid(kMouse.vendorId, kMouse.productId);
    ASSERT_EQ(library().OpenFeatureDevice(), 1);
    EXPECT_EQ(library().SetFeature(begin.data(), 3), 0);
    EXPECT_EQ(fake().cancelledReads(), 1);
    const std::vector<std::wstring> lines = fake().debugLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::wstring& line) {
        return line.find(L"SetFeature of report 04 failed with error 258") != std::wstring::npos;
    }));
}

// A collection named in [Device] that does not own a report ID: the device
// refuses that frame, and the first refusal is told in a debug line.
TEST_F(HidFeatureDeviceTest, TellsTheFirstRefusedFrame) {
    Use({With(MouseVendor(), [](FakeCollection& c) { c.featureReportIds = {0x04}; })});
    library().SetCollectionNames({L"Col02", L""});
    (void)library().SetVidPid(kMouse.vendorId, kMouse.productId);
    ASSERT_EQ(library().OpenFeatureDevice(), 1);
    const Bytes begin = {0x04, 0x00, 0xFF};
    const Bytes profile = {0x05, 0x04, 0x02};
    EXPECT_EQ(library().SetFeature(profile.data(), 3), 0);
    EXPECT_EQ(library().SetFeature(profile.data(), 3), 0);
    EXPECT_EQ(library().SetFeature(begin.data(), 3), 1);
    const std::vector<FakeHidSystem::SentReport> sent = fake().sentFeatureReports();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes[0], 0x04);

    const std::vector<std::wstring> lines = fake().debugLines();
    const auto refusals = std::count_if(lines.begin(), lines.end(), [](const std::wstring& line) {
        return line.find(L"SetFeature of report 05 failed with error 87") != std::wstring::npos;
    });
    EXPECT_EQ(refusals, 1);
    for (const std::wstring& line : lines)
        EXPECT_EQ(line.rfind(L"hiddriver: ", 0), 0u) << "a debug line without the prefix";
}

// The first probe's mouse: the debug lines say which collection was passed
// over and why, and how the one taken was opened.
TEST_F(HidFeatureDeviceTest, ExplainsItsChoiceInDebugLines) {
    FakeCollection keyboard = MouseKeyboard();
    keyboard.featureReportLength = 133;
    keyboard.featureReportIds = kCommandReportIds;
    FakeCollection vendor = MouseVendor();
    vendor.featureReportIds = {0x01};
    Use({MousePointer(), keyboard, vendor});
    (void)library().SetVidPid(kMouse.vendorId, kMouse.productId);
    ASSERT_EQ(library().OpenFeatureDevice(), 1);
    const std::vector<std::wstring> lines = fake().debugLines();
    const auto has = [&](const std::wstring& path, const std::wstring& text) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& line) {
            return line.rfind(L"hiddriver: " + path + L": ", 0) == 0 && line.find(text) != std::wstring::npos;
        });
    };
    EXPECT_TRUE(has(kMousePointerPath, L"frames: skipped, no feature reports"));
    EXPECT_TRUE(has(kMouseVendorPath, L"feature 133 bytes IDs 01, input 9 bytes IDs 0C"));
    EXPECT_TRUE(has(kMouseVendorPath, L"frames: skipped, feature report IDs 01 lack 04 05 06 07 08 09 0A 0B"));
    EXPECT_TRUE(has(kMouseKeyboardPath, L"frames: taken, opened without access (read/write refused with error 5"));
}

}  // namespace
}  // namespace korvid::hid::testing
