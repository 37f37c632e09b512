// Edits the person has not applied, kept when the customizer must close
// (the host posts WM_CLOSE when the mouse is removed or the host ends) and
// offered back at the next start. The file "Draft.data" sits in the data
// folder beside Config\; it holds both images of the session, so that the
// edits can be told apart from the values they were made against:
//
//   bytes 0..7          "KVDRAFT1"
//   bytes 8..83691      the base image (ShareData)
//   bytes 83692..167375 the edited image (ShareData)
//   bytes 167376..167379 CRC-32 (IEEE) of bytes 0..167375, little-endian
//
// A file of another size, magic or checksum is not a draft: it is ignored
// (and the customizer says so), never half used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "config/share_data.h"

namespace korvid {

inline constexpr char16_t kDraftFileName[] = u"Draft.data";
inline constexpr std::size_t kDraftMagicSize = 8;
inline constexpr std::size_t kDraftSize = kDraftMagicSize + 2 * kImageSize + 4;

struct Draft {
    ShareData base;
    ShareData edited;
};

std::vector<std::uint8_t> EncodeDraft(const ShareData& base, const ShareData& edited);

// The draft in bytes read from the file, both images repaired; nothing when
// the bytes are not a whole, intact draft. The result is large: on the heap.
std::unique_ptr<Draft> DecodeDraft(std::span<const std::uint8_t> bytes);

std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

}  // namespace korvid
