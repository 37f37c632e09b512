#include "runtime/device_event.h"

namespace korvid {
namespace {

// 1-based argument to 0-based index; argument 0 wraps to a huge value, so one
// unsigned comparison rejects both ends.
constexpr bool ToIndex(std::uint16_t argument, unsigned count, int& index) {
    const unsigned k = static_cast<unsigned>(argument) - 1u;
    if (k >= count) return false;
    index = static_cast<int>(k);
    return true;
}

std::u16string TextOf(const char16_t* text, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && text[n] != u'\0') ++n;
    return std::u16string(text, n);
}

DeviceEventAction Connection(std::uint16_t argument, int deviceState) {
    if (argument == kConnectionAttached && deviceState != kDeviceAttached) return {.action = DeviceAction::kAttach};
    if (argument == kConnectionRemoved && deviceState != kDeviceRemoved) return {.action = DeviceAction::kRemove};
    return {};
}

DeviceEventAction LaunchProgram(std::uint16_t argument, const ShareData& image) {
    int slot = 0;
    if (!ToIndex(argument, kLaunchableSlots, slot)) return {};
    const ButtonData& button = image.profiles[image.activeProfile].buttons[slot];
    if (button.function != kFunctionLaunch) return {};
    return {.action = DeviceAction::kLaunchProgram,
            .index = slot,
            .launchPath = TextOf(button.launchPath, kLaunchPathChars)};
}

}  // namespace

DeviceEventAction DecideDeviceEvent(EventCode code, const ShareData& image, int deviceState) {
    const std::uint16_t argument = EventArgumentOf(code);
    int index = 0;
    switch (EventClassOf(code)) {
        case EVENT_CONNECTION:
            return Connection(argument, deviceState);
        case EVENT_PROFILE:
            if (ToIndex(argument, kProfileCount, index)) return {.action = DeviceAction::kSetProfile, .index = index};
            return {};
        case EVENT_DPI_STAGE:
            if (ToIndex(argument, kStageCount, index)) return {.action = DeviceAction::kSetStage, .index = index};
            return {};
        case EVENT_LAUNCH_PROGRAM:
            return LaunchProgram(argument, image);
        case EVENT_OPEN_CUSTOMIZER:
            if (argument == 1) return {.action = DeviceAction::kOpenCustomizer};
            return {};
        default:
            return {};
    }
}

void RecordDeviceChange(ShareData& image, const DeviceEventAction& change) {
    switch (change.action) {
        case DeviceAction::kSetProfile:
            image.activeProfile = change.index;
            break;
        case DeviceAction::kSetStage:
            image.profiles[image.activeProfile].currentStage = change.index;
            break;
        default:
            break;  // the other actions do not change the configuration
    }
}

}  // namespace korvid
