// The user's Windows pointer settings in the registry of the test's Wine
// prefix, which the host reads at start-up and rewrites when it applies a
// profile's settings. Tests that let the host apply settings keep the user's
// values with HostTestKeepingPointerSettings.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "host_test_fixture_win.h"

namespace korvid::e2e {

struct RegistryName {
    const wchar_t* key;  // under HKEY_CURRENT_USER
    const wchar_t* value;
};

inline constexpr std::size_t kPointerValueCount = 6;
inline constexpr RegistryName kPointerValues[kPointerValueCount] = {
    {L"Control Panel\\Mouse", L"DoubleClickSpeed"}, {L"Control Panel\\Mouse", L"MouseSensitivity"},
    {L"Control Panel\\Mouse", L"MouseSpeed"},       {L"Control Panel\\Mouse", L"MouseThreshold1"},
    {L"Control Panel\\Mouse", L"MouseThreshold2"},  {L"Control Panel\\Desktop", L"WheelScrollLines"},
};

struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// The value as stored; nothing when it (or its key) does not exist.
std::optional<StoredValue> ReadStored(const RegistryName& name);
// Writes the value, or deletes it for nothing.
bool Store(const RegistryName& name, const std::optional<StoredValue>& value);

// Reads the six pointer values before the test and writes them back after it.
class HostTestKeepingPointerSettings : public HostTest {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    std::array<std::optional<StoredValue>, kPointerValueCount> saved_;
};

}  // namespace korvid::e2e
