// Fuzzes the value engine: arbitrary start and end texts of a few bytes, prefix, suffix and line
// break for a standard run, arbitrary items, start index and end text for a definition run.
// Any broken rule traps.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sequence/values.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// Reads text as digits of the base, independently of the engine. Texts are at most 4 bytes, so
// the value cannot overflow.
bool readAll(const std::string& text, int base, std::int64_t& value) {
  if (text.empty()) return false;
  value = 0;
  for (char c : text) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (d < 0) return false;
    value = value * base + d;
  }
  return true;
}

void fuzzStandard(FuzzedDataProvider& data) {
  sequence::RunSettings settings;
  settings.startText = data.ConsumeRandomLengthString(4).substr(0, 4);
  settings.endText = data.ConsumeRandomLengthString(4).substr(0, 4);
  settings.prefix = data.ConsumeRandomLengthString(8);
  settings.suffix = data.ConsumeRandomLengthString(8);
  settings.lineBreak = data.ConsumeBool();
  const std::string& st = settings.startText;
  const std::string& et = settings.endText;

  // Expected numbers and mode.
  std::int64_t s = 0, e = 0;
  enum { kDecimal, kHex, kLetters } mode;
  if (readAll(st, 10, s) && readAll(et, 10, e)) {
    mode = kDecimal;
  } else if (!(st.size() == 1 && st[0] >= 'a' && st[0] <= 'f') && readAll(st, 16, s) &&
             readAll(et, 16, e)) {
    mode = kHex;
  } else {
    s = st.empty() ? 0 : static_cast<unsigned char>(st[0]);
    e = et.empty() ? 0 : static_cast<unsigned char>(et[0]);
    mode = kLetters;
  }
  const std::int64_t expectedCount = (s > e ? s - e : e - s) + 1;

  sequence::RunState run;
  run.StartRun(settings);
  check(run.letterMode == (mode == kLetters));
  std::int64_t count = 0;
  std::string last;
  for (;;) {
    check(!run.valuePrepared);
    std::string hint = run.PrepareValue(settings);
    check(run.valuePrepared);
    ++count;
    check(count <= expectedCount);  // the run never outlasts |e - s| + 1 values
    const std::string& v = run.valueText;
    check(run.insertText == settings.prefix + v + settings.suffix);
    check(hint == " " + run.insertText + " ");
    std::int64_t n = 0;
    if (mode == kLetters) {
      check(v.size() == 1);
      n = static_cast<unsigned char>(v[0]);
    } else {
      check(readAll(v, mode == kDecimal ? 10 : 16, n));
    }
    // Values step by one from s towards e.
    check(n == (s > e ? s - (count - 1) : s + (count - 1)));
    last = v;
    bool over = run.CompleteInsertion(settings);
    check(run.insertText ==
          settings.prefix + v + settings.suffix + (settings.lineBreak ? "\r\n" : ""));
    run.valuePrepared = false;
    if (over) break;
  }
  check(count == expectedCount);

  // The pure form agrees, and never starts with an empty text.
  std::vector<std::string> values = sequence::standardRun(st, et);
  if (st.empty() || et.empty()) {
    check(values.empty());
  } else {
    check(static_cast<std::int64_t>(values.size()) == expectedCount);
    check(values.back() == last);
  }

  // Entry rules: a text the leave check keeps is at most 3 bytes of the filtered characters.
  if (sequence::isValidEntryText(st)) {
    check(!st.empty() && st.size() <= 3);
    for (char c : st)
      check(sequence::keepTypedChar(c, sequence::kStandardKind));
  }
}

void fuzzDefinition(FuzzedDataProvider& data) {
  std::vector<std::string> items(data.ConsumeIntegralInRange<std::size_t>(0, 8));
  for (std::string& item : items)
    item = data.ConsumeRandomLengthString(3);
  const int startIndex = data.ConsumeIntegralInRange<int>(-3, 10);
  const std::string end = data.ConsumeRandomLengthString(4);

  std::vector<std::string> values = sequence::definitionRun(items, startIndex, end);
  if (items.empty()) {
    check(values.empty());
    return;
  }
  std::size_t first = (startIndex >= 0 && static_cast<std::size_t>(startIndex) < items.size())
                          ? static_cast<std::size_t>(startIndex)
                          : 0;
  check(!values.empty() && values.size() <= items.size() - first);
  for (std::size_t i = 0; i < values.size(); ++i) {
    check(values[i] == items[first + i]);
    // The first match ends the run (the last item always matches).
    bool match = values[i] == end || values[i] == items.back();
    check(match == (i + 1 == values.size()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  if (data.ConsumeBool())
    fuzzStandard(data);
  else
    fuzzDefinition(data);
  return 0;
}
