#include "sequence/definition_lines.h"

namespace sequence {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::size_t kPadBelowLines = 11;
constexpr std::size_t kPaddedLines = 12;

// Offset of line n in text, or npos when the text has no such line start.
std::size_t lineStart(std::string_view text, int n) {
  if (n < 0) return std::string_view::npos;
  std::size_t pos = 0;
  for (int i = 0; i < n; ++i) {
    pos = text.find(kCrLf, pos);
    if (pos == std::string_view::npos) return pos;
    pos += kCrLf.size();
  }
  return pos;
}

// The part of a definition line after the head: everything after the first comma, or the whole
// line when it has none.
std::string_view afterHead(std::string_view line) {
  std::size_t comma = line.find(',');
  return comma == std::string_view::npos ? line : line.substr(comma + 1);
}

// The values typed into the editor: its lines as the text box counts them. A lone CR or LF
// (pasted from elsewhere) also ends a value: written into the definition line it would turn into
// a line break when the file is loaded again, and every later definition would move down a line.
std::vector<std::string> editorValues(std::string_view text) {
  std::vector<std::string> values;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      values.emplace_back(text.substr(pos));
      break;
    }
    values.emplace_back(text.substr(pos, end - pos));
    pos = end + ((text.compare(end, 2, kCrLf) == 0) ? 2 : 1);
  }
  return values;
}

}  // namespace

std::vector<std::string> textLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find(kCrLf, pos);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(pos));
      break;
    }
    lines.emplace_back(text.substr(pos, end - pos));
    pos = end + kCrLf.size();
  }
  return lines;
}

std::string bufferLine(std::string_view buffer, int n) {
  std::size_t start = lineStart(buffer, n);
  if (start == std::string_view::npos) return {};
  std::size_t end = buffer.find(kCrLf, start);
  return std::string(buffer.substr(start, end == std::string_view::npos ? end : end - start));
}

bool isDefinitionLine(std::string_view line) {
  return line.size() >= kMinDefinitionLength;
}

// Lines and values are never cut to a fixed size. A cut made on reading came back on the next
// store of the same definition and silently dropped its last values from the file.
std::vector<std::string> definitionValues(std::string_view line) {
  std::string_view rest = afterHead(line);
  std::vector<std::string> values;
  for (;;) {
    std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos) {
      values.emplace_back(rest);
      return values;
    }
    values.emplace_back(rest.substr(0, comma));
    rest.remove_prefix(comma + 1);
  }
}

std::string definitionLabel(std::string_view line) {
  std::string_view rest = afterHead(line);
  std::size_t firstComma = rest.find(',');
  std::size_t lastComma = rest.rfind(',');
  std::string label(firstComma == std::string_view::npos ? std::string_view()
                                                         : rest.substr(0, firstComma));
  label += kWaveDash;
  label += lastComma == std::string_view::npos ? rest : rest.substr(lastComma + 1);
  return label;
}

std::string kindItem(int n, std::string_view line) {
  if (n == 0) return std::string(kStandardLabel);
  std::string item(kDefinitionHead);
  item += std::to_string(n);
  if (isDefinitionLine(line)) {
    item += ':';
    item += definitionLabel(line);
  }
  return item;
}

std::vector<std::string> kindItems(std::string_view buffer) {
  std::vector<std::string> items;
  for (int n = 0; n <= kDefinitionCount; ++n)
    items.push_back(kindItem(n, n == 0 ? std::string() : bufferLine(buffer, n)));
  return items;
}

KindChoice chooseKind(std::string_view buffer, int k) {
  KindChoice choice;
  if (k < 1 || k > kDefinitionCount) return choice;
  std::string line = bufferLine(buffer, k);
  if (!isDefinitionLine(line)) return choice;
  choice.items = definitionValues(line);
  choice.selectedIndex = 0;
  choice.endText = choice.items.back();
  return choice;
}

std::string editorText(std::string_view line) {
  std::string text;
  for (const std::string& value : definitionValues(line)) {
    text += value;
    text += kCrLf;
  }
  return text;
}

std::string storedCaption(std::string_view editorText) {
  std::vector<std::string> lines = editorValues(editorText);
  if (lines.empty()) return {};
  return lines.front() + std::string(kWaveDash) + lines.back();
}

std::string definitionLine(int n, std::string_view editorText) {
  std::string line = std::string(kDefinitionHead) + std::to_string(n);
  for (const std::string& value : editorValues(editorText)) {
    line += ',';
    line += value;
  }
  return line;
}

std::string padDefinitionBuffer(std::string_view buffer) {
  std::string padded(buffer);
  std::size_t count = textLines(padded).size();
  if (count >= kPadBelowLines) return padded;
  // A text not ending in a line break first gets one: it ends the last line without adding a
  // line. Each further CR LF then adds one empty line.
  if (!padded.empty() && !padded.ends_with(kCrLf)) padded += kCrLf;
  for (; count < kPaddedLines; ++count)
    padded += kCrLf;
  return padded;
}

std::string storeDefinition(std::string_view buffer, int n, std::string_view editorText) {
  std::string padded = padDefinitionBuffer(buffer);
  if (n < 1 || n > kDefinitionCount) return padded;
  std::size_t start = lineStart(padded, n);
  if (start == std::string::npos) return padded;
  std::size_t end = padded.find(kCrLf, start);
  if (end == std::string::npos) end = padded.size();
  return padded.substr(0, start) + definitionLine(n, editorText) + padded.substr(end);
}

}  // namespace sequence
