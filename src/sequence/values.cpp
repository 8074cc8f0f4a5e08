#include "sequence/values.h"

#include <limits>

namespace sequence {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool isLower(char c) {
  return c >= 'a' && c <= 'z';
}
bool isUpperHexDigit(char c) {
  return isDigit(c) || (c >= 'A' && c <= 'F');
}

int hexDigitValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads digits of the given base, rejecting an empty text, a foreign character or a value above
// kMaxReadValue. Accumulates in 64 bits and stops as soon as the bound is passed, so any number
// of (leading zero) digits is safe.
std::optional<std::int32_t> readUnsigned(std::string_view text, int base) {
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    int digit = base == 10 ? (isDigit(c) ? c - '0' : -1) : hexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value * base + digit;
    if (value > kMaxReadValue) return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

// The code of the first byte, 0..255. An empty text gives 0; it cannot reach a run through the
// settings window, which starts nothing while a field is empty.
std::int32_t firstByteCode(std::string_view text) {
  return text.empty() ? 0 : static_cast<unsigned char>(text.front());
}

bool hasLengthAndPrefix(std::string_view text, std::size_t length, std::string_view prefix) {
  return text.size() == length && text.substr(0, prefix.size()) == prefix;
}

std::string upperHex(std::int32_t v, std::size_t minDigits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto u = static_cast<std::uint32_t>(v);
  std::string out;
  do {
    out.insert(out.begin(), kDigits[u % 16]);
    u /= 16;
  } while (u != 0);
  if (out.size() < minDigits) out.insert(0, minDigits - out.size(), '0');
  return out;
}

bool definitionIndexValid(const RunSettings& settings, std::int32_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < settings.items.size();
}

}  // namespace

bool keepTypedChar(char key, int sequenceKind) {
  if (key == '\r') return false;
  if (sequenceKind != kStandardKind) return true;
  return key == '\b' || isDigit(key) || isUpper(key) || isLower(key);
}

bool isValidEntryText(std::string_view text) {
  switch (text.size()) {
    case 1:
      return isDigit(text[0]) || isUpper(text[0]) || isLower(text[0]);
    case 2:
      return isUpperHexDigit(text[0]) && isUpperHexDigit(text[1]);
    case 3:
      return isDigit(text[0]) && isDigit(text[1]) && isDigit(text[2]);
    default:
      return false;
  }
}

bool keptOnLeave(std::string_view text, int sequenceKind) {
  return sequenceKind != kStandardKind || text.empty() || isValidEntryText(text);
}

std::string_view helpText() {
  static constexpr std::string_view kHelp =
      // 標準時：始値～終値
      "\x95\x57\x8F\x80\x8E\x9E\x81\x46\x8E\x6E\x92\x6C\x81\x60\x8F\x49\x92\x6C\r\n"
      // 10進：0～999、000～999、999～000、999～0
      "10\x90\x69\x81\x46"
      "0\x81\x60"
      "999\x81\x41"
      "000\x81\x60"
      "999\x81\x41"
      "999\x81\x60"
      "000\x81\x41"
      "999\x81\x60"
      "0\r\n"
      // 16進：0～FF、00～FF、FF～00、FF～0
      "16\x90\x69\x81\x46"
      "0\x81\x60"
      "FF\x81\x41"
      "00\x81\x60"
      "FF\x81\x41"
      "FF\x81\x60"
      "00\x81\x41"
      "FF\x81\x60"
      "0\r\n"
      // アルファベット：A～Z、Z～A、a～z、z～a (and one trailing space)
      "\x83\x41\x83\x8B\x83\x74\x83\x40\x83\x78\x83\x62\x83\x67\x81\x46"
      "A\x81\x60Z\x81\x41Z\x81\x60"
      "A\x81\x41"
      "a\x81\x60z\x81\x41z\x81\x60"
      "a ";
  return kHelp;
}

// Signs, spaces and "$" are not accepted: the entry rules never let them through, and taking
// them would only let a sign or a hexadecimal run slip into a decimal one.
std::int32_t readDecimal(std::string_view text) {
  return readUnsigned(text, 10).value_or(-1);
}

std::optional<std::int32_t> readHex(std::string_view text) {
  return readUnsigned(text, 16);
}

void RunState::StartRun(const RunSettings& settings) {
  sequenceKind = settings.sequenceKind;
  valuePrepared = false;
  if (sequenceKind != kStandardKind) {
    // A start typed by hand that selects no item starts at the first item.
    sequenceIndex = definitionIndexValid(settings, settings.startIndex) ? settings.startIndex : 0;
    return;
  }

  startText = settings.startText;
  endText = settings.endText;
  hexStart = hexEnd = letterMode = false;
  std::int32_t s = readDecimal(startText);
  std::int32_t e = readDecimal(endText);
  if (s == -1 || e == -1) {
    bool forceLetters = startText.size() == 1 && startText[0] >= 'a' && startText[0] <= 'f';
    std::optional<std::int32_t> hs;
    std::optional<std::int32_t> he;
    if (!forceLetters) {
      hs = readHex(startText);
      he = readHex(endText);
      hexStart = hs.has_value();
      hexEnd = he.has_value();
    }
    if (hs && he) {
      s = *hs;
      e = *he;
    } else {
      s = firstByteCode(startText);
      e = firstByteCode(endText);
      letterMode = true;
    }
  }

  // s and e lie in 0..kMaxReadValue, so neither s + 1 nor |e - s| + 1 overflows.
  descending = s > e;
  currentValue = descending ? s + 1 : s - 1;
  sequenceIndex = 0;
  lastIndex = descending ? s - e : e - s;
}

std::string RunState::PrepareValue(const RunSettings& settings) {
  if (sequenceKind == kStandardKind) {
    // Never steps past the 32-bit range, even when called after the run has ended.
    if (descending) {
      if (currentValue > std::numeric_limits<std::int32_t>::min()) --currentValue;
    } else {
      if (currentValue < std::numeric_limits<std::int32_t>::max()) ++currentValue;
    }
    const std::int32_t v = currentValue;
    const std::string decimal = std::to_string(v);
    if (!hexStart && !hexEnd && !letterMode) {
      bool twoDigits = hasLengthAndPrefix(startText, 2, "0") || hasLengthAndPrefix(endText, 2, "0");
      valueText = (v < 10 && twoDigits) ? "0" + decimal : decimal;
    }
    if (v < 10 && (hasLengthAndPrefix(startText, 3, "00") || hasLengthAndPrefix(endText, 3, "00")))
      valueText = "00" + decimal;
    if (v > 9 && v < 100 &&
        (hasLengthAndPrefix(startText, 3, "0") || hasLengthAndPrefix(endText, 3, "0")))
      valueText = "0" + decimal;
    if (hexStart && hexEnd) {
      bool twoDigits = hasLengthAndPrefix(startText, 2, "0") || hasLengthAndPrefix(endText, 2, "0");
      valueText = upperHex(v, (v < 16 && twoDigits) ? 2 : 1);
    }
    if (letterMode) valueText = std::string(1, static_cast<char>(static_cast<unsigned char>(v)));
  } else {
    // An index past the list (an empty list) gives an empty value; runOver then ends the run.
    valueText = definitionIndexValid(settings, sequenceIndex)
                    ? settings.items[static_cast<std::size_t>(sequenceIndex)]
                    : std::string();
  }
  insertText = settings.prefix + valueText + settings.suffix;
  valuePrepared = true;
  return " " + insertText + " ";
}

bool RunState::CompleteInsertion(const RunSettings& settings) {
  if (sequenceIndex < std::numeric_limits<std::int32_t>::max()) ++sequenceIndex;
  if (settings.lineBreak) insertText += "\r\n";
  return runOver(settings);
}

bool RunState::runOver(const RunSettings& settings) const {
  if (sequenceKind == kStandardKind) return sequenceIndex > lastIndex;
  // The first match ends the run. Running off the list also ends it, so a list whose last
  // item is never reached as a value (an empty list) cannot run forever.
  return valueText == settings.endText ||
         (!settings.items.empty() && valueText == settings.items.back()) ||
         !definitionIndexValid(settings, sequenceIndex);
}

namespace {
// Every value a run yields, in order, as successive insertions would take them.
std::vector<std::string> wholeRun(const RunSettings& settings) {
  std::vector<std::string> values;
  RunState run;
  run.StartRun(settings);
  do {
    run.PrepareValue(settings);
    values.push_back(run.valueText);
  } while (!run.CompleteInsertion(settings));
  return values;
}
}  // namespace

std::vector<std::string> standardRun(std::string_view startText, std::string_view endText) {
  if (startText.empty() || endText.empty()) return {};
  RunSettings settings;
  settings.startText = startText;
  settings.endText = endText;
  return wholeRun(settings);
}

std::vector<std::string> definitionRun(const std::vector<std::string>& items, int startIndex,
                                       std::string_view endText) {
  if (items.empty()) return {};
  RunSettings settings;
  settings.sequenceKind = 1;
  settings.items = items;
  settings.startIndex = startIndex;
  settings.endText = endText;
  return wholeRun(settings);
}

}  // namespace sequence
