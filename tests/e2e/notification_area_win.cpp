#include "notification_area_win.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <utility>

namespace korvid::e2e {
namespace {

constexpr wchar_t kTrayClass[] = L"Shell_TrayWnd";

// Wine's record of one Shell_NotifyIconW call.
constexpr std::size_t kWindowOffset = 0;
constexpr std::size_t kIdOffset = 4;
constexpr std::size_t kFlagsOffset = 8;
constexpr std::size_t kCallbackOffset = 12;
constexpr std::size_t kTipOffset = 16;
constexpr std::size_t kTipChars = 128;
constexpr std::size_t kIconWidthOffset = 944;
constexpr std::size_t kIconHeightOffset = 948;
constexpr std::size_t kRecordSize = 960;

std::uint32_t U32At(const std::uint8_t* bytes, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

}  // namespace

FakeNotificationArea::FakeNotificationArea() {
    EXPECT_EQ(FindWindowW(kTrayClass, nullptr), nullptr) << "a notification area exists already";
    window_ = std::make_unique<WindowThread>(
        kTrayClass, L"", [this](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
            if (message != WM_COPYDATA) return std::nullopt;
            Record(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            return TRUE;  // Shell_NotifyIconW's result
        });
    EXPECT_NE(Handle(), nullptr) << "the notification area could not be created";
}

FakeNotificationArea::~FakeNotificationArea() { window_.reset(); }

std::vector<TrayIconCall> FakeNotificationArea::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<TrayIconCall> FakeNotificationArea::WaitForCalls(std::size_t count, DWORD timeoutMs) const {
    std::unique_lock lock(mutex_);
    (void)changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return calls_.size() >= count; });
    return calls_;
}

void FakeNotificationArea::Record(const COPYDATASTRUCT& data) {
    TrayIconCall call;
    call.command = static_cast<DWORD>(data.dwData);
    if (data.cbData >= kRecordSize && data.lpData != nullptr) {
        const auto* bytes = static_cast<const std::uint8_t*>(data.lpData);
        // The window travels as 32 bits, sign-extended like every handle.
        call.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(U32At(bytes, kWindowOffset))));
        call.id = U32At(bytes, kIdOffset);
        call.flags = U32At(bytes, kFlagsOffset);
        call.callbackMessage = U32At(bytes, kCallbackOffset);
        wchar_t tip[kTipChars + 1] = {};
        std::memcpy(tip, bytes + kTipOffset, kTipChars * sizeof(wchar_t));
        call.tip = tip;
        call.iconWidth = U32At(bytes, kIconWidthOffset);
        call.iconHeight = U32At(bytes, kIconHeightOffset);
    }
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    changed_.notify_all();
}

}  // namespace korvid::e2e
