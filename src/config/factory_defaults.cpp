#include "config/factory_defaults.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace korvid {
namespace {

constexpr std::array<std::uint8_t, kStageCount> kStageEnabled = {1, 1, 1, 1, 1, 0, 0, 0};
constexpr std::array<std::int32_t, kStageCount> kDpiIndex = {8, 12, 24, 32, 62, 9, 10, 11};
constexpr std::array<std::uint32_t, kStageCount> kStageColor = {0x0000FF, 0xFF0000, 0x00FF00, 0xFF00FF,
                                                                0x00FFFF, 0xFFFF00, 0x00FFFF, 0x0080FF};
constexpr std::array<std::uint32_t, kLightSlotCount> kLightSlotColor = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF,
                                                                        0xFF00FF, 0xFFFF00, 0xFFFFFF, 0x808080};

// Function code of each button slot; 6 is "nothing assigned".
constexpr std::array<std::uint8_t, kButtonCount> kDefaultFunction = {1, 2, 3, 7, 8, 13, 6, 6, 6, 6,
                                                                     6, 6, 6, 6, 6, 6,  6, 6, 9, 10};

void StoreText(char16_t* dest, std::size_t capacity, const std::string& ascii) {
    const std::size_t n = std::min(ascii.size(), capacity - 1);
    for (std::size_t i = 0; i < n; ++i) dest[i] = static_cast<char16_t>(ascii[i]);
    dest[n] = u'\0';
}

void BuildProfile(ProfileData& p, int k) {
    StoreText(p.profileName, kProfileNameChars, "Default" + std::to_string(k + 1));
    p.programPath[0] = u'\0';
    p.doubleClickSpeed = 6;
    p.wheelScrollLines = 3;
    p.wheelScrollPage = 0;
    p.pointerSpeed = 6;
    p.spare1516 = 10;
    p.pointerAcceleration = 0;
    p.spare1524 = 10;
    p.dpiOptionA = 10;
    p.dpiOptionB = 10;
    p.spare1536 = 1;
    std::copy(kStageEnabled.begin(), kStageEnabled.end(), p.stageEnabled);
    std::copy(kDpiIndex.begin(), kDpiIndex.end(), p.dpiX);
    std::copy(kDpiIndex.begin(), kDpiIndex.end(), p.dpiY);
    p.spare1612 = 1;
    p.currentStage = 1;
    std::copy(kStageColor.begin(), kStageColor.end(), p.stageColor);
    p.dpiOptionC = 0;
    p.dpiOptionD = 2;
    p.option07 = 2;
    p.lightModeA = 2;
    p.spare1668 = 0;
    p.lightParamA1 = 2;
    p.lightParamA2 = 10;
    p.lightColorA = 0x0000FF;
    std::fill(std::begin(p.lightSlotEnabled), std::end(p.lightSlotEnabled), std::uint8_t{1});
    std::copy(kLightSlotColor.begin(), kLightSlotColor.end(), p.lightSlotColor);
    p.lightParamA3 = 0;
    p.lightModeB = 2;
    p.spare1732 = 0;
    p.lightParamB1 = 2;
    p.lightParamB2 = 4;
    p.lightColorB = 0x0000FF;
    p.profileOption = 2;
    std::memset(p.buttons, 0, sizeof p.buttons);
    for (int j = 0; j < kButtonCount; ++j) {
        p.buttons[j].slotIndex = static_cast<std::uint8_t>(j);
        p.buttons[j].function = kDefaultFunction[static_cast<std::size_t>(j)];
    }
}

}  // namespace

void BuildFactoryDefaults(ShareData& image) {
    std::memset(&image, 0, sizeof image);
    image.activeProfile = 0;
    for (int k = 0; k < kProfileCount; ++k) BuildProfile(image.profiles[k], k);
}

}  // namespace korvid
