// The customizer's side of the shared configuration: the named section
// kSectionName (one 83,684-byte image), read and written while holding the
// named mutex kSectionMutexName, as the customizer does. Also: whether a named mutex exists.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "protocol/korvid_protocol.h"

namespace korvid::e2e {

bool SectionExists();
// The image in the section, copied under the mutex; nothing when the section
// or the mutex cannot be opened or the mutex not taken within the time.
std::optional<std::vector<std::uint8_t>> ReadSection(DWORD timeoutMs = 10000);
// Writes the image (83,684 bytes) into the section under the mutex.
bool WriteSection(std::span<const std::uint8_t> image, DWORD timeoutMs = 10000);

bool NamedMutexExists(const wchar_t* name);

}  // namespace korvid::e2e
