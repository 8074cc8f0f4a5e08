// The line-break normalisation applied to a slot or definition file when it is loaded.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace files {

// leadBytes[b] is true for the first byte of a double-byte character of the system code page.
using LeadByteTable = std::array<bool, 256>;

// The file's bytes up to the first zero byte, with every lone CR, lone LF and CR LF turned into
// CR LF; the two bytes of a double-byte character are copied together, so a second byte is never
// taken for a line break.
std::string normalizeLineBreaks(std::string bytes, const LeadByteTable& leadBytes);

}  // namespace files
