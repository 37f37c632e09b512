#include "customizer/button_functions.h"

#include <algorithm>
#include <vector>

#include "device/button_command.h"

namespace korvid {
namespace {

// The key combinations are named by the keys the table sends for them.
constexpr ButtonFunctionName kNames[] = {
    {kFunctionKey, "Keyboard key"},
    {kFunctionMacro, "Macro"},
    {kFunctionLaunch, "Launch program"},
    {64, "Ctrl+X"},
    {65, "Ctrl+C"},
    {66, "Ctrl+V"},
    {67, "Ctrl+O"},
    {68, "Ctrl+N"},
    {69, "Ctrl+S"},
    {70, "Ctrl+P"},
    {71, "Ctrl+F"},
    {72, "Ctrl+Y"},
    {73, "Ctrl+Z"},
    {74, "Ctrl+="},
    {75, "Ctrl+-"},
    {76, "Ctrl+A"},
    {48, "Alt+Tab"},
    {49, "Windows+D"},
    {50, "Alt+F4"},
    {51, "Windows+R"},
    {52, "Windows+L"},
};

}  // namespace

std::span<const ButtonFunctionName> ButtonFunctionNames() { return kNames; }

std::string ButtonFunctionLabel(std::uint8_t code) {
    for (const ButtonFunctionName& row : kNames) {
        if (row.code == code) return row.name;
    }
    std::string label = "Function " + std::to_string(code);
    if (!LookupButtonFunction(code)) label += " (not sent: 00 00 00)";
    return label;
}

std::span<const std::uint8_t> OfferedButtonFunctions() {
    static const std::vector<std::uint8_t> offered = [] {
        std::vector<std::uint8_t> codes;
        for (const ButtonFunctionName& row : kNames) codes.push_back(row.code);
        std::vector<std::uint8_t> rest;
        for (const ButtonFunction& row : ButtonFunctionTable) {
            if (std::find(codes.begin(), codes.end(), row.code) == codes.end()) rest.push_back(row.code);
        }
        std::sort(rest.begin(), rest.end());
        codes.insert(codes.end(), rest.begin(), rest.end());
        return codes;
    }();
    return offered;
}

}  // namespace korvid
