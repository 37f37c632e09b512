#include "commands_win.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "apply_win.h"
#include "base/wide_text_win.h"
#include "config/image_file.h"
#include "config_file_win.h"
#include "console_win.h"
#include "host_link_win.h"
#include "inspect/config_text.h"
#include "inspect/driver_log.h"
#include "inspect/driver_messages.h"
#include "inspect/utf8_text.h"
#include "protocol/korvid_protocol.h"

namespace korvid::ctl {
namespace {

struct SourceOptions {
    bool all = false;
    std::optional<std::string> file;
};

// Parses [--all] [--file PATH]; nothing (after a message) for anything else.
std::optional<SourceOptions> ParseSourceOptions(std::span<const std::string> args, bool allowAll, const char* command) {
    SourceOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (allowAll && args[i] == "--all") {
            options.all = true;
        } else if (args[i] == "--file" && i + 1 < args.size()) {
            options.file = args[++i];
        } else {
            Err(std::string(command) + ": unexpected \"" + args[i] + "\" (usage: korvidctl " + command +
                (allowAll ? " [--all]" : "") + " [--file Config.data])");
            return std::nullopt;
        }
    }
    return options;
}

std::optional<std::wstring> WidePath(const std::string& utf8) {
    const std::optional<std::u16string> text = Utf8ToUtf16(utf8);
    if (!text || text->empty()) return std::nullopt;
    return ToWide(*text);
}

std::optional<std::vector<std::uint8_t>> ReadNamedFile(const std::string& path) {
    const std::optional<std::wstring> wide = WidePath(path);
    if (!wide) {
        Err("cannot read \"" + path + "\": not a file name (empty, or not UTF-8)");
        return std::nullopt;
    }
    std::string error;
    std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(*wide, error);
    if (!bytes) Err(error);
    return bytes;
}

// The image from the file, or from the section under its mutex. The exit
// code when it cannot be had.
std::optional<int> LoadImage(const SourceOptions& options, ShareData& image, std::string& source) {
    if (options.file) {
        const std::optional<std::vector<std::uint8_t>> bytes = ReadNamedFile(*options.file);
        if (!bytes) return kExitRefused;
        const LoadedImage loaded = ImageFromFileBytes(*bytes, image);
        source = "file " + *options.file;
        if (loaded.shortFile) {
            source += " (" + std::to_string(bytes->size()) + " bytes; the rest from the factory defaults)";
        }
        if (loaded.repaired.Any()) source += " (repaired as the host would)";
        return std::nullopt;
    }
    HostLink host = HostLink::Find(/*needWindow=*/false);
    if (const std::string missing = host.Missing(); !missing.empty()) {
        Err("no host running: missing " + missing);
        return kExitNoHost;
    }
    std::string error;
    if (!host.WithImage(
            [&](ShareData& section) {
                image = section;
                return false;  // read only
            },
            error)) {
        Err(error);
        return kExitFailed;
    }
    source = "shared section " + ToUtf8(kSectionName);
    return std::nullopt;
}

int RefuseAll(const std::vector<std::string>& refusals) {
    for (const std::string& refusal : refusals) Err(refusal);
    Err("nothing was changed");
    return kExitRefused;
}

}  // namespace

int RunShow(std::span<const std::string> args) {
    const std::optional<SourceOptions> options = ParseSourceOptions(args, /*allowAll=*/true, "show");
    if (!options) return kExitRefused;
    auto image = std::make_unique<ShareData>();
    std::string source;
    if (const std::optional<int> failed = LoadImage(*options, *image, source)) return *failed;
    Out("# " + source + (options->all ? "" : ", fields that differ from the factory defaults") + "\n");
    Out(ShowText(*image, options->all));
    return kExitOk;
}

int RunExport(std::span<const std::string> args) {
    const std::optional<SourceOptions> options = ParseSourceOptions(args, /*allowAll=*/false, "export");
    if (!options) return kExitRefused;
    auto image = std::make_unique<ShareData>();
    std::string source;
    if (const std::optional<int> failed = LoadImage(*options, *image, source)) return *failed;
    Out("# korvidctl export of the " + source + "\n");
    Out(ExportText(*image));
    return kExitOk;
}

int RunSet(std::span<const std::string> args) {
    if (args.empty()) return RefuseAll({"set needs at least one NAME=VALUE (for example profiles[1].dpiX[2]=24)"});
    const ParsedAssignments parsed = ParseAssignments(args);
    if (!parsed.refusals.empty()) return RefuseAll(parsed.refusals);
    return ApplyToHost(parsed.assignments);
}

int RunImport(std::span<const std::string> args) {
    if (args.size() != 1) {
        Err("usage: korvidctl import FILE (a file written by korvidctl export)");
        return kExitRefused;
    }
    const std::optional<std::vector<std::uint8_t>> bytes = ReadNamedFile(args[0]);
    if (!bytes) return kExitRefused;
    std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark from an editor
    const ParsedAssignments parsed = ParseImportText(text);
    if (!parsed.refusals.empty()) return RefuseAll(parsed.refusals);
    if (parsed.assignments.empty()) return RefuseAll({"\"" + args[0] + "\" holds no NAME=VALUE lines"});
    return ApplyToHost(parsed.assignments);
}

int RunEvent(std::span<const std::string> args) {
    const std::vector<std::string_view> words(args.begin(), args.end());
    const auto message = DriverMessageFor(words);
    if (const auto* refusal = std::get_if<std::string>(&message)) {
        Err(*refusal);
        return kExitRefused;
    }
    const DriverMessage& m = std::get<DriverMessage>(message);
    HWND host = FindHostWindowOrReport();
    if (host == nullptr) return kExitNoHost;
    if (!PostMessageW(host, m.message, m.wParam, m.lParam)) {
        Err("posting " + DescribeDriverMessage(m) + " to the host window failed");
        return kExitNoHost;
    }
    Out("posted " + DescribeDriverMessage(m) + " to the host window\n");
    return kExitOk;
}

int RunFrames(std::span<const std::string> args) {
    if (args.size() != 1) {
        Err("usage: korvidctl frames LOG (the log file of the simulated hiddriver.dll)");
        return kExitRefused;
    }
    const std::optional<std::vector<std::uint8_t>> bytes = ReadNamedFile(args[0]);
    if (!bytes) return kExitRefused;
    Out(DecodeDriverLog(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())));
    return kExitOk;
}

}  // namespace korvid::ctl
