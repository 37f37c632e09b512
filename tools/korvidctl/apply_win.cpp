#include "apply_win.h"

#include <windows.h>

#include <memory>
#include <string>

#include "answer_window_win.h"
#include "config_file_win.h"
#include "console_win.h"
#include "host_link_win.h"
#include "inspect/config_text.h"
#include "protocol/korvid_protocol.h"

namespace korvid::ctl {
namespace {

// What changed, one line each, and the flags the host will push by.
std::string Report(const ShareData& before, const ShareData& after, const EditResult& edit, std::size_t given) {
    std::string out;
    for (const Field* field : edit.changed) {
        const std::string was = FormatValue(*field, ReadField(before, *field));
        out += FormatField(after, *field) + " (was " + (was.empty() ? "empty" : was) + ")\n";
    }
    if (edit.changed.size() < given) {
        out += std::to_string(given - edit.changed.size()) + " of the given values were already set\n";
    }
    out += "change flags:";
    if (edit.flagsSet.empty()) out += " none";
    for (const Field* flag : edit.flagsSet) out += " " + flag->name;
    out += "\n";
    return out;
}

}  // namespace

int ApplyToHost(std::span<const Assignment> assignments) {
    if (FindWindowW(nullptr, kCustomizerWindowTitle) != nullptr) {
        Err("a window titled \"" + ToUtf8(kCustomizerWindowTitle) +
            "\" is open (the customizer, or another korvidctl set or import): close it first; nothing was changed");
        return kExitRefused;
    }
    HostLink host = HostLink::Find(/*needWindow=*/true);
    if (const std::string missing = host.Missing(); !missing.empty()) {
        Err("no host running: missing " + missing + "; nothing was changed");
        return kExitNoHost;
    }
    std::string error;
    const std::optional<std::wstring> configPath = ConfigDataPath(error);
    if (!configPath) {
        Err(error + "; nothing was changed");
        return kExitFailed;
    }
    AnswerWindow answer;
    if (!answer.Created()) {
        Err("cannot create the window that receives the host's answer; nothing was changed");
        return kExitFailed;
    }

    auto before = std::make_unique<ShareData>();
    std::string report;
    bool saved = false;
    const bool locked = host.WithImage(
        [&](ShareData& image) {
            *before = image;
            const EditResult edit = ApplyAssignments(image, assignments);
            report = Report(*before, image, edit, assignments.size());
            saved = SaveImageReplacing(*configPath, image, error);
            return saved;  // the section only changes together with the file
        },
        error);
    if (!locked || !saved) {
        Err(error + "; nothing was changed");
        return kExitFailed;
    }
    Out(report);
    Out("saved " + ToUtf8(*configPath) + " and the shared section\n");

    if (!PostMessageW(host.Window(), WM_HOST_APPLY_ALL, 0, 0)) {
        Err("the host window went away before WM_HOST_APPLY_ALL could be posted; the change is saved but not applied");
        return kExitNoHost;
    }
    switch (answer.Wait(host.Window(), kAnswerTimeoutMs)) {
        case Answer::kEnableApply:
            Out("applied: the host answered WM_UI_ENABLE_APPLY\n");
            return kExitOk;
        case Answer::kClosed:
            Err("the host closed the customizer window (the mouse was removed or the host is shutting down); "
                "the change is saved but its push was not confirmed");
            return kExitFailed;
        case Answer::kHostGone:
            Err("the host window went away; the change is saved but its push was not confirmed");
            return kExitFailed;
        case Answer::kTimedOut:
            break;
    }
    Err("no WM_UI_ENABLE_APPLY from the host within " + std::to_string(kAnswerTimeoutMs / 1000) +
        " s; the change is saved but its push was not confirmed");
    return kExitFailed;
}

}  // namespace korvid::ctl
