// The real driver library's feature-report side on a fake device list: which
// collection Open_FeatureDevice opens, and what reaches HidD_SetFeature.
#include <gtest/gtest.h>

#include <atomic>
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

TEST_F(HidFeatureDeviceTest, OpensTheCollectionThatCarriesEveryFrame) {
    const std::wstring kSecondVendorPath = L"\\\\?\\HID#VID_25A7&PID_FA70&MI_02#7&99&0&0000#{x}";
    const auto second = [&] {
        FakeCollection c = MouseVendor();
        c.path = kSecondVendorPath;
        return c;
    };
    const struct {
        const char* name;
        std::vector<FakeCollection> collections;
        std::optional<UsbIds> ids;  // nothing: Set_VIDPID never called
        std::optional<std::wstring> opened;
    } kCases[] = {
        {"the mouse's vendor collection", {MousePointer(), MouseKeyboard(), MouseVendor()}, kMouse, kMouseVendorPath},
        {"another device first", {OtherKeyboard(), MouseVendor()}, kMouse, kMouseVendorPath},
        {"only another device", {OtherKeyboard()}, kMouse, std::nullopt},
        {"IDs from Set_VIDPID", {MouseVendor(), OtherKeyboard()}, UsbIds{0x046D, 0xC31C}, kOtherKeyboardPath},
        {"IDs never set", {MouseVendor()}, std::nullopt, std::nullopt},
        {"no feature reports",
         {With(MouseVendor(), [](FakeCollection& c) { c.featureReportLength = 0; })},
         kMouse,
         std::nullopt},
        {"feature reports one byte short of the macro frame",
         {With(MouseVendor(), [](FakeCollection& c) { c.featureReportLength = 131; })},
         kMouse,
         std::nullopt},
        {"feature reports exactly as long as the macro frame",
         {With(MouseVendor(), [](FakeCollection& c) { c.featureReportLength = 132; })},
         kMouse,
         kMouseVendorPath},
        {"gone between enumeration and open",
         {With(MouseVendor(), [](FakeCollection& c) { c.vanishesBeforeOpen = true; })},
         kMouse,
         std::nullopt},
        {"gone, and another collection of the mouse after it",
         {With(MouseVendor(), [](FakeCollection& c) { c.vanishesBeforeOpen = true; }), second()},
         kMouse,
         kSecondVendorPath},
        {"held by another program",
         {With(MouseVendor(), [](FakeCollection& c) { c.heldBySystem = true; })},
         kMouse,
         std::nullopt},
        {"not present", {With(MouseVendor(), [](FakeCollection& c) { c.present = false; })}, kMouse, std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Use(c.collections);
        if (c.ids) (void)library().SetVidPid(c.ids->vendorId, c.ids->productId);
        EXPECT_EQ(library().OpenFeatureDevice(), c.opened ? 1 : 0);
        const std::vector<FakeHidSystem::Opened> opens = fake().ioOpens();
        if (c.opened) {
            ASSERT_EQ(opens.size(), 1u);
            EXPECT_EQ(opens[0].path, *c.opened);
            EXPECT_EQ(opens[0].access, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
            EXPECT_EQ(fake().openHandles(), 1);  // the queries closed their handles
        } else {
            EXPECT_EQ(fake().openHandles(), 0);
            EXPECT_EQ(library().SetFeature(std::vector<std::uint8_t>{0x04, 0x00, 0xFF}.data(), 3), 0);
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

}  // namespace
}  // namespace korvid::hid::testing
