// Fuzzes reading, labelling and storing definition lines: an arbitrary buffer, editor text and
// definition number. Any broken rule traps.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sequence/definition_lines.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// The editor's values, split independently: CR LF, CR or LF end a value, and a break at the
// very end opens no further value.
std::vector<std::string> splitEditor(const std::string& text) {
  std::vector<std::string> values;
  std::string current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      values.push_back(current);
      current.clear();
    } else {
      current += text[i];
    }
  }
  if (!current.empty()) values.push_back(current);
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const int n = data.ConsumeIntegralInRange<int>(-1, 12);
  const std::string editor = data.ConsumeRandomLengthString(512);
  const std::string buffer = data.ConsumeRemainingBytesAsString();

  // Reading: the values are exactly the text after the head, split at commas.
  for (int k = 0; k <= 12; ++k) {
    std::string line = sequence::bufferLine(buffer, k);
    check(line.find("\r\n") == std::string::npos);
    std::vector<std::string> values = sequence::definitionValues(line);
    check(!values.empty());
    std::string joined;
    for (std::size_t i = 0; i < values.size(); ++i)
      joined += (i ? "," : "") + values[i];
    std::size_t comma = line.find(',');
    check(joined == (comma == std::string::npos ? line : line.substr(comma + 1)));
    check(sequence::definitionLabel(line).find(sequence::kWaveDash) != std::string::npos);
    sequence::KindChoice choice = sequence::chooseKind(buffer, k);
    if (k >= 1 && k <= 10 && sequence::isDefinitionLine(line)) {
      check(choice.items == values && choice.selectedIndex == 0 && choice.endText == values.back());
    } else {
      check(choice.items.empty() && choice.selectedIndex == -1 && choice.endText.empty());
    }
  }
  check(sequence::kindItems(buffer).size() == 11);

  // Storing: only line n changes, to the head and the editor's values, and nothing is lost.
  const std::string padded = sequence::padDefinitionBuffer(buffer);
  const std::vector<std::string> before = sequence::textLines(padded);
  check(before.size() >= 11);
  check(padded.compare(0, buffer.size(), buffer) == 0);
  const std::string stored = sequence::storeDefinition(buffer, n, editor);
  const std::vector<std::string> after = sequence::textLines(stored);
  check(after.size() == before.size());
  for (std::size_t k = 0; k < after.size(); ++k) {
    if (static_cast<int>(k) != n) check(after[k] == before[k]);
  }
  if (n < 1 || n > 10) {
    check(stored == padded);
    return 0;
  }
  const std::string line = sequence::bufferLine(stored, n);
  check(line == sequence::definitionLine(n, editor));
  check(line.find_first_of("\r\n") == std::string::npos);
  const std::vector<std::string> editorValues = splitEditor(editor);
  std::string expected = std::string(sequence::kDefinitionHead) + std::to_string(n);
  for (const std::string& value : editorValues)
    expected += "," + value;
  check(line == expected);
  check(sequence::storedCaption(editor).empty() == editorValues.empty());
  if (!editorValues.empty()) {
    // Reopening the editor and storing it again changes nothing.
    check(sequence::storeDefinition(stored, n, sequence::editorText(line)) == stored);
  }
  return 0;
}
