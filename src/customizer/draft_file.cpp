#include "customizer/draft_file.h"

#include <array>
#include <cstring>

#include "config/image_repair.h"

namespace korvid {
namespace {

constexpr std::array<std::uint8_t, kDraftMagicSize> kMagic = {'K', 'V', 'D', 'R', 'A', 'F', 'T', '1'};
constexpr std::size_t kBaseOffset = kDraftMagicSize;
constexpr std::size_t kEditedOffset = kBaseOffset + kImageSize;
constexpr std::size_t kCrcOffset = kEditedOffset + kImageSize;
static_assert(kCrcOffset + 4 == kDraftSize);

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr auto kCrcTable = MakeCrcTable();

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes) c = kCrcTable[(c ^ b) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::vector<std::uint8_t> EncodeDraft(const ShareData& base, const ShareData& edited) {
    std::vector<std::uint8_t> bytes(kDraftSize);
    std::memcpy(bytes.data(), kMagic.data(), kMagic.size());
    std::memcpy(bytes.data() + kBaseOffset, &base, kImageSize);
    std::memcpy(bytes.data() + kEditedOffset, &edited, kImageSize);
    const std::uint32_t crc = Crc32(std::span(bytes).first(kCrcOffset));
    for (int i = 0; i < 4; ++i) bytes[kCrcOffset + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    return bytes;
}

std::unique_ptr<Draft> DecodeDraft(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kDraftSize) return nullptr;
    if (std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0) return nullptr;
    std::uint32_t stored = 0;
    for (int i = 0; i < 4; ++i) stored |= static_cast<std::uint32_t>(bytes[kCrcOffset + i]) << (8 * i);
    if (Crc32(bytes.first(kCrcOffset)) != stored) return nullptr;
    auto draft = std::make_unique<Draft>();
    std::memcpy(&draft->base, bytes.data() + kBaseOffset, kImageSize);
    std::memcpy(&draft->edited, bytes.data() + kEditedOffset, kImageSize);
    (void)RepairImage(draft->base);  // a draft passes through the same door as any other image
    (void)RepairImage(draft->edited);
    return draft;
}

}  // namespace korvid
