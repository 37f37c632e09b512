#include "config/image_repair.h"

namespace korvid {
namespace {

template <std::size_t N>
bool TerminateText(char16_t (&text)[N]) {
    for (char16_t c : text)
        if (c == u'\0') return false;
    text[N - 1] = u'\0';
    return true;
}

}  // namespace

RepairReport RepairImage(ShareData& image) {
    RepairReport report;
    if (image.activeProfile < 0 || image.activeProfile >= kProfileCount) {
        image.activeProfile = 0;
        report.activeProfile = true;
    }
    for (ProfileData& profile : image.profiles) {
        report.textFields += TerminateText(profile.profileName);
        report.textFields += TerminateText(profile.programPath);
        for (ButtonData& slot : profile.buttons) {
            if (slot.eventCount > kMaxMacroEvents) {
                slot.eventCount = kMaxMacroEvents;
                ++report.eventCounts;
            }
            report.textFields += TerminateText(slot.macroName);
            report.textFields += TerminateText(slot.launchPath);
        }
    }
    return report;
}

}  // namespace korvid
