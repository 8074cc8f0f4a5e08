// The exact form of a slot's text, kept beside its slot file for as long as the slot file's
// bytes cannot say the text (é, emoji, 〜 as U+301C). The slot file keeps the code page bytes
// that older copies of the program read as before.
//
// A companion belongs to the exact bytes of its slot file: its name carries their hash and its
// first line their length and hash again. One left behind by an interrupted save, or facing a
// slot file that an older copy of the program or an editor changed, does not match and is
// ignored; and while a slot changes, the file of its old bytes and that of its new bytes can
// stand side by side, so a slot file always finds its own.
//
//   Kolvex3.txt                     the bytes
//   Kolvex3.0123456789abcdef.utf8   "Kolvex20 exact <length> <hash>" CR LF, then the text as UTF-8
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace files {

// FNV-1a, 64 bits: enough to tell one slot file's bytes from another's.
std::uint64_t bytesHash(std::string_view bytes);

// The companion of slot i's file while it holds bytes with this hash.
std::string companionName(int slot, std::uint64_t hash);
// The hash a companion's name carries, when name is a companion of slot i at all.
std::optional<std::uint64_t> companionHash(int slot, std::string_view name);
// Every companion of slot i begins so.
std::string companionPrefix(int slot);

std::string companionContent(std::string_view bytes, std::string_view exactUtf8);
// The exact text a companion holds, when it was written for exactly these bytes.
std::optional<std::string> companionExact(std::string_view content, std::string_view bytes);

}  // namespace files
