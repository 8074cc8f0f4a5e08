#include "sequence/definition_lines.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace sequence {
namespace {

using Values = std::vector<std::string>;

// CP932 bytes, written out here rather than taken from the code under test.
const std::string kHead = "\x92\xE8\x8B\x60";  // 定義
const std::string kTilde = "\x81\x60";         // ～

std::string head(int n) {
  return kHead + std::to_string(n);
}

struct LineCase {
  std::string line;
  Values values;
  std::string label;
  bool isDefinition;
};

void PrintTo(const LineCase& c, std::ostream* os) {
  *os << testing::PrintToString(c.line);
}

// A test name's part for a line or an editor text: the CP932 head as "Head", commas as "_",
// line breaks spelled, letters and digits as they are.
std::string spelled(std::string text) {
  if (text.empty()) return "Empty";
  std::string out;
  if (text.starts_with(kHead)) {
    out = "Head";
    text.erase(0, kHead.size());
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto u = static_cast<unsigned char>(text[i]);
    if (text.compare(i, 2, "\r\n") == 0) {
      out += "Nl";
      ++i;
    } else if (text[i] == '\r') {
      out += "Cr";
    } else if (text[i] == '\n') {
      out += "Lf";
    } else if (text[i] == ',') {
      out += "_";
    } else if (u < 128 && std::isalnum(u)) {
      out += text[i];
    } else {
      out += "Byte" + std::to_string(u);
    }
  }
  return out;
}

class DefinitionLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(DefinitionLineTest, ValuesLabelAndKind) {
  const LineCase& c = GetParam();
  EXPECT_EQ(definitionValues(c.line), c.values);
  EXPECT_EQ(definitionLabel(c.line), c.label);
  EXPECT_EQ(isDefinitionLine(c.line), c.isDefinition);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DefinitionLineTest,
    testing::Values(
        LineCase{head(3) + ",Mon,Tue,Wed", {"Mon", "Tue", "Wed"}, "Mon" + kTilde + "Wed", true},
        LineCase{head(1) + ",a,,b", {"a", "", "b"}, "a" + kTilde + "b", true},
        LineCase{head(1) + ",a,", {"a", ""}, "a" + kTilde, true},
        LineCase{head(1) + ",,b", {"", "b"}, kTilde + "b", true},
        // A single value is labelled with an empty first part.
        LineCase{head(1) + ",X", {"X"}, kTilde + "X", true},
        LineCase{head(10) + ",", {""}, kTilde, true}, LineCase{head(9) + ",", {""}, kTilde, false},
        LineCase{head(10), {head(10)}, kTilde + head(10), false},
        // The head is not examined: anything up to the first comma is skipped.
        LineCase{"x,1,2", {"1", "2"}, "1" + kTilde + "2", false},
        LineCase{"", {""}, kTilde, false}),
    [](const testing::TestParamInfo<LineCase>& info) { return spelled(info.param.line); });

TEST(TextLines, CountedAsATextBoxCountsThem) {
  EXPECT_EQ(textLines(""), Values{});
  EXPECT_EQ(textLines("\r\n"), Values{""});
  EXPECT_EQ(textLines("a\r\n\r\nb"), (Values{"a", "", "b"}));
  EXPECT_EQ(textLines("a\r\nb\r\n"), (Values{"a", "b"}));
  EXPECT_EQ(textLines("a\r\n\r\n"), (Values{"a", ""}));
  EXPECT_EQ(bufferLine("k\r\nx\r\ny", 2), "y");
  EXPECT_EQ(bufferLine("k\r\nx", 5), "");
}

struct StoreCase {
  int n;
  std::string editor;
  std::string line;
  std::string caption;
};

void PrintTo(const StoreCase& c, std::ostream* os) {
  *os << c.n << ": " << testing::PrintToString(c.editor);
}

class StoreTest : public testing::TestWithParam<StoreCase> {};

TEST_P(StoreTest, LineAndCaption) {
  const StoreCase& c = GetParam();
  EXPECT_EQ(definitionLine(c.n, c.editor), c.line);
  EXPECT_EQ(storedCaption(c.editor), c.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Editor, StoreTest,
    testing::Values(StoreCase{2, "a\r\nb\r\nc", head(2) + ",a,b,c", "a" + kTilde + "c"},
                    StoreCase{1, "a\r\n\r\nb", head(1) + ",a,,b", "a" + kTilde + "b"},
                    StoreCase{1, "a\r\nb\r\n", head(1) + ",a,b", "a" + kTilde + "b"},
                    StoreCase{1, "a\r\n\r\n", head(1) + ",a,", "a" + kTilde},
                    StoreCase{1, "X", head(1) + ",X", "X" + kTilde + "X"},
                    StoreCase{4, "", head(4), ""}, StoreCase{10, "\r\n", head(10) + ",", kTilde},
                    // A comma typed into a value comes back as a separator.
                    StoreCase{3, "1,5\r\n2", head(3) + ",1,5,2", "1,5" + kTilde + "2"},
                    // A pasted lone LF or CR must not reach the file as a line break.
                    StoreCase{1, "a\nb\rc", head(1) + ",a,b,c", "a" + kTilde + "c"}),
    [](const testing::TestParamInfo<StoreCase>& info) {
      return "Definition" + std::to_string(info.param.n) + "_" + spelled(info.param.editor);
    });

TEST(Buffer, PaddingToTwelveLines) {
  std::string twelveEmpty;
  for (int i = 0; i < 12; ++i)
    twelveEmpty += "\r\n";
  EXPECT_EQ(padDefinitionBuffer(""), twelveEmpty);
  for (const std::string buffer : {"A", "A\r\n", "A\r\nx\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\ny"}) {
    std::string padded = padDefinitionBuffer(buffer);
    EXPECT_EQ(textLines(padded).size(), 12u) << buffer;
    EXPECT_TRUE(padded.starts_with(buffer));
  }
  const std::string eleven = "A\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10";
  EXPECT_EQ(padDefinitionBuffer(eleven), eleven);
  EXPECT_EQ(padDefinitionBuffer(eleven + "\r\n"), eleven + "\r\n");
}

TEST(Buffer, StoreReplacesOnlyItsLine) {
  const std::string buffer =
      "C\r\n" + head(1) + ",x\r\n\r\n\r\n\r\n" + head(5) + ",old\r\n\r\n\r\n\r\n\r\n";
  EXPECT_EQ(storeDefinition(buffer, 5, "p\r\nq"), "C\r\n" + head(1) + ",x\r\n\r\n\r\n\r\n" +
                                                      head(5) + ",p,q\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
  const std::string full = "C\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\ntail";
  EXPECT_EQ(storeDefinition(full, 10, "z"),
            "C\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n" + head(10) + ",z\r\ntail");
  EXPECT_EQ(storeDefinition(full, 11, "z"), full);
}

TEST(Scenario, StoreListChooseAndReopen) {
  std::string buffer = storeDefinition("", 2, "a\r\nb\r\nc");
  buffer = storeDefinition(buffer, 10, "\r\n");  // one empty value counts for definition 10
  buffer = storeDefinition(buffer, 9, "\r\n");   // but not for 1..9
  buffer = storeDefinition(buffer, 1, "X");
  EXPECT_EQ(textLines(buffer).size(), 12u);
  EXPECT_EQ(bufferLine(buffer, 0), "");

  Values items = kindItems(buffer);
  ASSERT_EQ(items.size(), 11u);
  EXPECT_EQ(items[0], "\x95\x57\x8F\x80");  // 標準
  EXPECT_EQ(items[1], head(1) + ":" + kTilde + "X");
  EXPECT_EQ(items[2], head(2) + ":a" + kTilde + "c");
  EXPECT_EQ(items[3], head(3));
  EXPECT_EQ(items[9], head(9));
  EXPECT_EQ(items[10], head(10) + ":" + kTilde);

  KindChoice two = chooseKind(buffer, 2);
  EXPECT_EQ(two.items, (Values{"a", "b", "c"}));
  EXPECT_EQ(two.selectedIndex, 0);
  EXPECT_EQ(two.endText, "c");
  EXPECT_EQ(chooseKind(buffer, 10).items, Values{""});
  EXPECT_TRUE(chooseKind(buffer, 9).items.empty());
  EXPECT_EQ(chooseKind(buffer, 9).selectedIndex, -1);
  EXPECT_TRUE(chooseKind(buffer, 0).items.empty());

  // Reopening the editor and leaving it unchanged stores the same line again.
  EXPECT_EQ(editorText(bufferLine(buffer, 2)), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(storeDefinition(buffer, 2, editorText(bufferLine(buffer, 2))), buffer);
  EXPECT_EQ(storeDefinition(buffer, 10, editorText(bufferLine(buffer, 10))), buffer);
}

TEST(LongLines, KeptWholePast4096Bytes) {
  const std::string big(5000, 'v');
  const std::string editor = "a\r\n" + big + "\r\n" + std::string(3000, 'w') + "\r\nlast";
  std::string buffer = storeDefinition("", 3, editor);
  std::string line = bufferLine(buffer, 3);
  EXPECT_GT(line.size(), 8000u);
  EXPECT_EQ(definitionValues(line), (Values{"a", big, std::string(3000, 'w'), "last"}));
  EXPECT_EQ(definitionLabel(line), "a" + kTilde + "last");
  EXPECT_EQ(storeDefinition(buffer, 3, editorText(line)), buffer);
}

}  // namespace
}  // namespace sequence
