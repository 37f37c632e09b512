#include "inspect/driver_log.h"

#include "inspect/frame_decoder.h"

namespace korvid {
namespace {

constexpr std::string_view kArrow = " -> ";

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

std::optional<std::uint8_t> HexByte(std::string_view text) {
    if (text.size() != 2) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return static_cast<std::uint8_t>(value);
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        if (space != 0) words.push_back(text.substr(0, space));
        if (space == std::string_view::npos) break;
        text.remove_prefix(space + 1);
    }
    return words;
}

}  // namespace

std::optional<DriverLogLine> ParseDriverLogLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t space = line.find(' ');
    const std::size_t arrow = line.rfind(kArrow);
    if (space == std::string_view::npos || arrow == std::string_view::npos || arrow <= space) return std::nullopt;
    const std::string_view ms = line.substr(0, space);
    const std::string_view call = line.substr(space + 1, arrow - space - 1);
    const std::string_view result = line.substr(arrow + kArrow.size());
    if (!AllDigits(ms) || ms.size() > 19 || call.empty() || result.empty()) return std::nullopt;
    DriverLogLine parsed;
    for (const char c : ms) parsed.ms = parsed.ms * 10 + static_cast<std::uint64_t>(c - '0');
    const std::size_t argsAt = call.find(' ');
    parsed.entryPoint = std::string(call.substr(0, argsAt));
    if (argsAt != std::string_view::npos) parsed.args = std::string(call.substr(argsAt + 1));
    parsed.result = std::string(result);
    return parsed;
}

std::optional<std::vector<std::uint8_t>> ParseSetFeatureArgs(std::string_view args) {
    const std::vector<std::string_view> words = Words(args);
    if (words.empty() || !AllDigits(words[0]) || words[0].size() > 6) return std::nullopt;
    std::size_t length = 0;
    for (const char c : words[0]) length = length * 10 + static_cast<std::size_t>(c - '0');
    if (words.size() - 1 != length) return std::nullopt;
    std::vector<std::uint8_t> frame;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::optional<std::uint8_t> byte = HexByte(words[i]);
        if (!byte) return std::nullopt;
        frame.push_back(*byte);
    }
    return frame;
}

std::string DecodeDriverLog(std::string_view log) {
    std::string out;
    while (!log.empty()) {
        const std::size_t end = log.find('\n');
        std::string_view line = log.substr(0, end);
        log.remove_prefix(end == std::string_view::npos ? log.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;

        const std::optional<DriverLogLine> call = ParseDriverLogLine(line);
        if (!call) {
            out += "? " + std::string(line) + "\n";
            continue;
        }
        out += std::to_string(call->ms) + " ";
        const std::optional<std::vector<std::uint8_t>> frame =
            call->entryPoint == "SetFeature" ? ParseSetFeatureArgs(call->args) : std::nullopt;
        if (!frame) {
            out += call->entryPoint + (call->args.empty() ? "" : " " + call->args) + " -> " + call->result + "\n";
            continue;
        }
        out += DecodeFrame(*frame);
        if (call->result == "0") out += " -> 0 (not accepted)";
        out += "\n";
    }
    return out;
}

}  // namespace korvid
