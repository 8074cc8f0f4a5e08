// The sequence engine: which start and end texts are accepted, how a run is derived from them
// and the exact text of every value. Pure: standard library only, no ui, no platform, so it can
// be tested and fuzzed on its own.
//
// Texts are byte strings in the system code page (CP932); lengths count bytes and comparisons
// are exact. Japanese constants are kept here as explicit CP932 bytes because this code has no
// platform to convert UTF-8 with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sequence {

// The kinds list's item index of the standard sequence; 1..10 are the sequence definitions.
inline constexpr int kStandardKind = 0;

// Largest number a start or end text may read as. One below the 32-bit maximum, so that the
// counters (value + 1 before a descending run, run length |e - s| + 1) never overflow.
inline constexpr std::int32_t kMaxReadValue = INT32_MAX - 1;

// ---- Entry of the start and end texts (standard sequence) ----

// Key filter of the start and end fields: true when the typed character is kept. Enter (13) is
// always dropped; with the standard sequence only digits, ASCII letters and Backspace (8) are kept.
bool keepTypedChar(char key, int sequenceKind);

// The leave check's rule: one digit or ASCII letter; two of 0-9/A-F (capitals only); or three
// digits.
bool isValidEntryText(std::string_view text);

// The leave check as a whole: false when the field's text must be erased (and the focus put
// back). Only the standard sequence checks, and an empty text is always left alone.
bool keptOnLeave(std::string_view text, int sequenceKind);

// Tooltip of the labels "始値" and "終値" while the standard sequence is selected (CP932).
std::string_view helpText();

// ---- Reading numbers ----

// A decimal integer: one or more ASCII digits (leading zeros allowed) whose value is at most
// kMaxReadValue. Anything else - empty, signs, spaces, "$", too large - reads as -1.
std::int32_t readDecimal(std::string_view text);

// A hexadecimal integer, as "$" + text reads: one or more of 0-9, A-F, a-f with a value of at
// most kMaxReadValue. Anything else does not read.
std::optional<std::int32_t> readHex(std::string_view text);

// ---- The run ----

// The settings a run reads (in the program: the controls of the settings window).
struct RunSettings {
  int sequenceKind = kStandardKind;  // item index
  std::string startText;             // text
  int startIndex = -1;               // selected item index (-1: none)
  std::vector<std::string> items;    // list (the definition's values)
  std::string endText;
  std::string prefix;
  std::string suffix;
  bool lineBreak = false;  // "改行"
};

// The state of the one run of the program. A new StartRun overwrites it.
struct RunState {
  std::string startText;
  std::string endText;
  bool hexStart = false;
  bool hexEnd = false;
  bool letterMode = false;
  std::int32_t currentValue = 0;
  bool descending = false;
  std::int32_t sequenceIndex = 0;
  std::int32_t lastIndex = 0;
  std::string valueText;
  std::string insertText;
  bool valuePrepared = false;
  // The kind of the running sequence, taken from the settings at StartRun.
  int sequenceKind = kStandardKind;

  // Derives the run from the settings: mode, direction and counters of a standard run, or the
  // start index of a definition run. Reads sequenceKind, startText, startIndex and endText.
  void StartRun(const RunSettings& settings);

  // Produces the next value into valueText and insertText = prefix + valueText + suffix, sets
  // valuePrepared and returns the hint caption " " + insertText + " ". Reads prefix, suffix
  // and (definition run) items.
  std::string PrepareValue(const RunSettings& settings);

  // Called when the prepared value is inserted: advances sequenceIndex, appends CR LF to
  // insertText when lineBreak is set, and returns whether the run is over (runOver). The
  // caller clears valuePrepared once the text is on the clipboard.
  bool CompleteInsertion(const RunSettings& settings);

  // Whether the run is over after the insertion just completed. Reads endText and items.
  bool runOver(const RunSettings& settings) const;
};

// The values of a whole standard run from startText to endText, in the order successive
// PrepareValue calls produce them. Empty when either text is empty (such a run never starts).
std::vector<std::string> standardRun(std::string_view startText, std::string_view endText);

// The values of a whole definition run over items, starting at startIndex (an index that
// selects no item starts at the first), ending at the first value equal to endText or at the
// last item.
std::vector<std::string> definitionRun(const std::vector<std::string>& items, int startIndex,
                                       std::string_view endText);

}  // namespace sequence
