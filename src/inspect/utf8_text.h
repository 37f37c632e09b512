// UTF-8 text (the command line, export files, console output) to and from the
// UTF-16 text of the image's fixed text fields.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvid {

// Nothing when the bytes are not well-formed UTF-8 (overlong forms,
// surrogates and code points above U+10FFFF count as malformed).
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// Never fails: an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace korvid
