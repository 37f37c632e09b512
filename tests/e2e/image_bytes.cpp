#include "image_bytes.h"

#include <cstring>
#include <memory>
#include <sstream>

#include "config/factory_defaults.h"

namespace korvid::e2e {

std::vector<std::uint8_t> FactoryImageBytes() {
    auto image = std::make_unique<ShareData>();
    BuildFactoryDefaults(*image);
    std::vector<std::uint8_t> bytes(kImageSize);
    std::memcpy(bytes.data(), image.get(), kImageSize);
    return bytes;
}

std::unique_ptr<ShareData> ImageOf(std::span<const std::uint8_t> bytes) {
    auto image = std::make_unique<ShareData>();
    std::memcpy(image.get(), bytes.data(), kImageSize);
    return image;
}

std::vector<std::uint8_t> BytesOf(const ShareData& image) {
    std::vector<std::uint8_t> bytes(kImageSize);
    std::memcpy(bytes.data(), &image, kImageSize);
    return bytes;
}

ByteRange PointerFieldsOf(int profile) {
    const std::size_t base = ProfileOffset(profile);
    return {base + offsetof(ProfileData, doubleClickSpeed), base + offsetof(ProfileData, spare1524)};
}

std::string DescribeDifference(std::span<const std::uint8_t> actual, std::span<const std::uint8_t> expected,
                               std::span<const ByteRange> ignored) {
    std::ostringstream out;
    if (actual.size() != expected.size()) {
        out << "size " << actual.size() << ", expected " << expected.size();
        return out.str();
    }
    std::size_t differences = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] == expected[i]) continue;
        bool skip = false;
        for (const ByteRange& range : ignored) skip = skip || (i >= range.begin && i < range.end);
        if (skip) continue;
        if (differences++ == 0) first = i;
    }
    if (differences == 0) return {};
    out << differences << " bytes differ; first at offset " << first << ": " << int{actual[first]} << ", expected "
        << int{expected[first]};
    return out.str();
}

}  // namespace korvid::e2e
