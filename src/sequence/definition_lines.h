// The sequence definitions as lines of the definition buffer (the panel's definitionLines, the text
// of Kolvex20.ini): reading a definition's values and labels, building the line the editor stores,
// padding the buffer, and the items of the sequence-kind list. Pure: standard library only.
//
// Buffer layout: line 0 holds the keep state, line n (1..10) definition n as
// "定義" + n, then "," + value for every value. Texts are CP932 byte strings; lines are
// separated by CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sequence {

inline constexpr std::string_view kDefinitionHead = "\x92\xE8\x8B\x60";  // 定義
inline constexpr std::string_view kWaveDash = "\x81\x60";                // ～ (full-width tilde)
inline constexpr std::string_view kStandardLabel = "\x95\x57\x8F\x80";   // 標準
inline constexpr int kDefinitionCount = 10;
// A line counts as a definition only from this many bytes: the bare heads "定義1".."定義10"
// are 5 and 6 bytes.
inline constexpr std::size_t kMinDefinitionLength = 7;

// ---- Lines of a multi-line text, counted as a text box counts them ----

// The lines of text: split at CR LF; an empty text has no line, and a line break at the very
// end opens no further line. Empty lines in between are kept.
std::vector<std::string> textLines(std::string_view text);

// Line n of a text counted from 0 (empty when it does not exist).
std::string bufferLine(std::string_view buffer, int n);

// ---- Reading ----

// True when the line holds a definition (at least kMinDefinitionLength bytes).
bool isDefinitionLine(std::string_view line);

// The values of a definition line: everything up to and including the first comma is skipped,
// the rest split at every comma. Always at least one value; a trailing comma gives a final
// empty value. Lines and values are taken whole, at any length.
std::vector<std::string> definitionValues(std::string_view line);

// Label of a stored definition: first value + "～" + last value, where a single value has an
// empty first part ("～X"). The caption of a radio button when the editor is opened.
std::string definitionLabel(std::string_view line);

// Item n (0..10) of the kinds list: "標準" for 0; for a definition line "定義n:" + label, else the
// plain "定義n".
std::string kindItem(int n, std::string_view line);

// All eleven items of the kinds list for the given buffer.
std::vector<std::string> kindItems(std::string_view buffer);

// What choosing item k of the kinds list puts into the start field (list and selection) and the end
// field.
struct KindChoice {
  std::vector<std::string> items;  // list
  int selectedIndex = -1;          // selected item (-1: none, text empty)
  std::string endText;
};
KindChoice chooseKind(std::string_view buffer, int k);

// The editor's text showing a definition line: one value per line, each followed by
// CR LF, as adding the values line by line leaves it.
std::string editorText(std::string_view line);

// ---- Storing the editor ----

// Caption of the edited definition's radio button right after storing: the editor's first line
// + "～" + its last line, or empty when the editor holds no text. A single value X gives "X～X".
std::string storedCaption(std::string_view editorText);

// The line stored for definition n from the editor's text: "定義" + n, then "," + each line.
// The editor's lines are counted as textLines counts them, except that a lone CR or LF also
// ends a line (the same holds for storedCaption), so the stored line never holds a line break.
std::string definitionLine(int n, std::string_view editorText);

// The buffer grown, when it has fewer than 11 lines, with empty lines to 12, so that lines 1 to
// 10 exist; otherwise unchanged.
std::string padDefinitionBuffer(std::string_view buffer);

// The buffer after storing the editor's text as definition n (1..10): padded, then line n
// replaced. Line 0 and the other lines are kept byte for byte. Any other n changes nothing
// beyond the padding.
std::string storeDefinition(std::string_view buffer, int n, std::string_view editorText);

}  // namespace sequence
