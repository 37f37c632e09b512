#include "pointer_registry_win.h"

#include <gtest/gtest.h>

namespace korvid::e2e {

std::optional<StoredValue> ReadStored(const RegistryName& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, name.key, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    StoredValue stored;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, name.value, nullptr, &stored.type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        stored.data.resize(size);
        result = RegQueryValueExW(key, name.value, nullptr, &stored.type, stored.data.data(), &size);
        stored.data.resize(size);
    }
    (void)RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::nullopt;
    return stored;
}

bool Store(const RegistryName& name, const std::optional<StoredValue>& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, name.key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG result = ERROR_SUCCESS;
    if (value) {
        result =
            RegSetValueExW(key, name.value, 0, value->type, value->data.data(), static_cast<DWORD>(value->data.size()));
    } else {
        result = RegDeleteValueW(key, name.value);
        if (result == ERROR_FILE_NOT_FOUND) result = ERROR_SUCCESS;
    }
    (void)RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

void HostTestKeepingPointerSettings::SetUp() {
    for (std::size_t i = 0; i < kPointerValueCount; ++i) saved_[i] = ReadStored(kPointerValues[i]);
    HostTest::SetUp();
}

void HostTestKeepingPointerSettings::TearDown() {
    for (std::size_t i = 0; i < kPointerValueCount; ++i)
        EXPECT_TRUE(Store(kPointerValues[i], saved_[i])) << "the user's pointer setting could not be restored";
}

}  // namespace korvid::e2e
