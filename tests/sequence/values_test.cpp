#include "sequence/values.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>
#include <utility>

namespace sequence {
namespace {

using Values = std::vector<std::string>;

// A run given by its length and the values at chosen positions (first, last, every change of
// form), so long ranges stay readable.
struct RunCase {
  const char* start;
  const char* end;
  std::size_t count;
  std::vector<std::pair<std::size_t, std::string>> at;
};

void PrintTo(const RunCase& c, std::ostream* os) {
  *os << testing::PrintToString(std::string(c.start)) << " to "
      << testing::PrintToString(std::string(c.end));
}

// A test name's part for a start or end text: letters and digits as they are, the rest spelled.
std::string spelled(std::string_view text) {
  if (text.empty()) return "Empty";
  std::string out;
  for (char ch : text) {
    const auto u = static_cast<unsigned char>(ch);
    if (u < 128 && std::isalnum(u))
      out += ch;
    else if (ch == ' ')
      out += "Space";
    else if (ch == '+')
      out += "Plus";
    else if (ch == '-')
      out += "Minus";
    else if (ch == '~')
      out += "Tilde";
    else if (ch == '!')
      out += "Bang";
    else
      out += "Byte" + std::to_string(u);
  }
  return out;
}

std::string runName(const testing::TestParamInfo<RunCase>& info) {
  return spelled(info.param.start) + "_To_" + spelled(info.param.end);
}

class StandardRunTest : public testing::TestWithParam<RunCase> {};

TEST_P(StandardRunTest, ProducesTheValues) {
  const RunCase& c = GetParam();
  Values values = standardRun(c.start, c.end);
  ASSERT_EQ(values.size(), c.count) << c.start << "~" << c.end;
  for (const auto& [index, value] : c.at)
    EXPECT_EQ(values[index], value) << "value " << index;
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, StandardRunTest,
    testing::Values(
        RunCase{"05", "12", 8, {{0, "05"}, {4, "09"}, {5, "10"}, {7, "12"}}},
        RunCase{"9", "10", 2, {{0, "9"}, {1, "10"}}},
        RunCase{"01", "100", 100, {{0, "01"}, {8, "09"}, {9, "10"}, {98, "99"}, {99, "100"}}},
        RunCase{"099", "0", 100, {{0, "099"}, {89, "010"}, {90, "9"}, {99, "0"}}},
        RunCase{"7", "7", 1, {{0, "7"}}}, RunCase{"10", "20", 11, {{0, "10"}, {10, "20"}}},
        RunCase{"0", "999", 1000, {{0, "0"}, {9, "9"}, {10, "10"}, {999, "999"}}},
        RunCase{
            "000", "999", 1000, {{0, "000"}, {9, "009"}, {10, "010"}, {99, "099"}, {100, "100"}}},
        RunCase{"999", "000", 1000, {{0, "999"}, {899, "100"}, {900, "099"}, {999, "000"}}},
        RunCase{"999", "0", 1000, {{0, "999"}, {989, "10"}, {990, "9"}, {999, "0"}}},
        // Padding taken from the end text alone.
        RunCase{"1", "09", 9, {{0, "01"}, {8, "09"}}},
        RunCase{"1", "010", 10, {{0, "1"}, {8, "9"}, {9, "010"}}},
        // The three-digit rule wins over the two-digit one.
        RunCase{"05", "003", 3, {{0, "005"}, {2, "003"}}},
        // Large numbers are fine; a number past the 32-bit range is no number.
        RunCase{"2147483646", "2147483645", 2, {{0, "2147483646"}, {1, "2147483645"}}},
        RunCase{"0000000000000000000012", "13", 2, {{0, "12"}, {1, "13"}}}),
    runName);

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, StandardRunTest,
    testing::Values(RunCase{"10", "1F", 16, {{0, "10"}, {10, "1A"}, {15, "1F"}}},
                    RunCase{"A", "F", 6, {{0, "A"}, {1, "B"}, {5, "F"}}},
                    RunCase{"1", "a", 10, {{0, "1"}, {8, "9"}, {9, "A"}}},
                    RunCase{"0", "FF", 256, {{15, "F"}, {16, "10"}, {255, "FF"}}},
                    RunCase{"00", "FF", 256, {{0, "00"}, {15, "0F"}, {16, "10"}, {255, "FF"}}},
                    RunCase{"FF", "00", 256, {{0, "FF"}, {240, "0F"}, {255, "00"}}},
                    RunCase{"FF", "0", 256, {{0, "FF"}, {239, "10"}, {240, "F"}, {255, "0"}}},
                    RunCase{"0A", "0C", 3, {{0, "0A"}, {2, "0C"}}},
                    RunCase{"A", "10", 7, {{0, "A"}, {5, "F"}, {6, "10"}}},
                    RunCase{"F", "f", 1, {{0, "F"}}}),
    runName);

INSTANTIATE_TEST_SUITE_P(
    Letters, StandardRunTest,
    testing::Values(RunCase{"A", "Z", 26, {{0, "A"}, {1, "B"}, {25, "Z"}}},
                    RunCase{"Z", "A", 26, {{0, "Z"}, {25, "A"}}},
                    RunCase{"a", "z", 26, {{0, "a"}, {25, "z"}}},
                    RunCase{"z", "a", 26, {{0, "z"}, {25, "a"}}}, RunCase{"a", "a", 1, {{0, "a"}}},
                    // Neither decimal nor hexadecimal: the character codes in between.
                    RunCase{"1", "Z", 42, {{0, "1"}, {9, ":"}, {15, "@"}, {16, "A"}, {41, "Z"}}},
                    RunCase{"A", "g", 39, {{0, "A"}, {38, "g"}}},
                    // A lone a..f at the start forces letters.
                    RunCase{"a", "F", 28, {{0, "a"}, {1, "`"}, {6, "["}, {7, "Z"}, {27, "F"}}},
                    RunCase{"f", "A", 38, {{0, "f"}, {1, "e"}, {37, "A"}}},
                    RunCase{"b", "3", 48, {{0, "b"}, {47, "3"}}},
                    // Codes above 127 count as 128..255, not as negative numbers.
                    RunCase{"\x81", "~", 4, {{0, "\x81"}, {1, "\x80"}, {2, "\x7F"}, {3, "~"}}},
                    RunCase{"+5", "-", 3, {{0, "+"}, {1, ","}, {2, "-"}}},
                    RunCase{" 5", "!", 2, {{0, " "}, {1, "!"}}}),
    runName);

TEST(StandardRun, EmptyTextsStartNothing) {
  EXPECT_TRUE(standardRun("", "5").empty());
  EXPECT_TRUE(standardRun("5", "").empty());
}

TEST(ReadNumbers, DecimalAndHexadecimal) {
  const std::pair<const char*, std::int32_t> decimals[] = {{"0", 0},
                                                           {"007", 7},
                                                           {"2147483646", 2147483646},
                                                           {"2147483647", -1},
                                                           {"", -1},
                                                           {"+5", -1},
                                                           {" 5", -1},
                                                           {"5 ", -1},
                                                           {"-3", -1},
                                                           {"$A", -1},
                                                           {"99999999999999999999", -1}};
  for (const auto& [text, value] : decimals)
    EXPECT_EQ(readDecimal(text), value) << text;
  EXPECT_EQ(readHex("ff"), 255);
  EXPECT_EQ(readHex("7FFFFFFE"), 0x7FFFFFFE);
  for (const char* text : {"", "$1", "0x1", "-1", "7FFFFFFF", "FFFFFFFF", "G"})
    EXPECT_FALSE(readHex(text).has_value()) << text;
}

TEST(StartRun, ExtremeNumbersDoNotOverflow) {
  RunSettings settings;
  settings.startText = "2147483646";
  settings.endText = "0";
  RunState run;
  run.StartRun(settings);
  EXPECT_TRUE(run.descending);
  EXPECT_EQ(run.lastIndex, 2147483646);
  run.PrepareValue(settings);
  EXPECT_EQ(run.valueText, "2147483646");
  settings.startText = "0";
  settings.endText = "7FFFFFFE";  // read as hexadecimal
  run.StartRun(settings);
  EXPECT_TRUE(run.hexStart && run.hexEnd);
  EXPECT_EQ(run.lastIndex, 0x7FFFFFFE);
}

TEST(EntryRules, KeyFilterAndLeaveCheck) {
  for (char c : {'0', '9', 'A', 'Z', 'a', 'z', '\b'})
    EXPECT_TRUE(keepTypedChar(c, 0)) << c;
  for (char c : {'\r', '-', '+', ' ', '$', '\x82'})
    EXPECT_FALSE(keepTypedChar(c, 0)) << c;
  EXPECT_TRUE(keepTypedChar('-', 3));
  EXPECT_FALSE(keepTypedChar('\r', 3));
  for (const char* text : {"7", "q", "Q", "0F", "A9", "FF", "000", "999"})
    EXPECT_TRUE(isValidEntryText(text)) << text;
  for (const char* text : {"", "0f", "G1", "1G", "0A0", "1234", "-", "\x82\xA0"})
    EXPECT_FALSE(isValidEntryText(text)) << text;
  EXPECT_TRUE(keptOnLeave("", 0));
  EXPECT_FALSE(keptOnLeave("ab", 0));
  EXPECT_TRUE(keptOnLeave("ab", 1));
}

TEST(HelpText, FourLinesOfExamples) {
  std::string_view help = helpText();
  EXPECT_EQ(help.size(), 137u);
  EXPECT_TRUE(help.starts_with("\x95\x57\x8F\x80\x8E\x9E"));  // 標準時
  EXPECT_NE(help.find("\r\n10\x90\x69\x81\x46"
                      "0\x81\x60"
                      "999"),
            help.npos);  // 10進：0～999
  EXPECT_NE(help.find("FF\x81\x60"
                      "0\r\n\x83\x41"),
            help.npos);  // FF～0 / ア
  EXPECT_TRUE(
      help.ends_with("z\x81\x60"
                     "a "));  // z～a
}

TEST(RunState, ComposesPrefixSuffixAndLineBreak) {
  RunSettings settings;
  settings.startText = "1";
  settings.endText = "3";
  settings.prefix = "No.";
  settings.suffix = ")";
  settings.lineBreak = true;
  RunState run;
  run.StartRun(settings);
  EXPECT_FALSE(run.valuePrepared);
  Values inserted;
  for (int i = 0; i < 3; ++i) {
    if (i == 2) settings.suffix = "]";  // prefix and suffix are read at every value
    std::string hint = run.PrepareValue(settings);
    EXPECT_TRUE(run.valuePrepared);
    if (i == 0) {
      EXPECT_EQ(hint, " No.1) ");
    }
    EXPECT_EQ(run.CompleteInsertion(settings), i == 2);
    inserted.push_back(run.insertText);
    run.valuePrepared = false;
  }
  EXPECT_EQ(inserted, (Values{"No.1)\r\n", "No.2)\r\n", "No.3]\r\n"}));
  run.StartRun(settings);  // a repeat begins again at the start value
  run.PrepareValue(settings);
  EXPECT_EQ(run.valueText, "1");
}

struct DefinitionCase {
  Values items;
  int startIndex;
  const char* end;
  Values expected;
};

void PrintTo(const DefinitionCase& c, std::ostream* os) {
  *os << testing::PrintToString(c.items) << " from " << c.startIndex << " to " << c.end;
}

class DefinitionRunTest : public testing::TestWithParam<DefinitionCase> {};

TEST_P(DefinitionRunTest, EndsAtFirstMatchOrLastItem) {
  const DefinitionCase& c = GetParam();
  EXPECT_EQ(definitionRun(c.items, c.startIndex, c.end), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Definitions, DefinitionRunTest,
    testing::Values(DefinitionCase{{"a", "b", "a", "c"}, 0, "c", {"a", "b", "a", "c"}},
                    DefinitionCase{{"a", "b", "a", "c"}, 0, "a", {"a"}},
                    DefinitionCase{{"a", "b", "a", "c"}, 1, "a", {"b", "a"}},
                    DefinitionCase{{"a", "b", "c"}, 1, "zz", {"b", "c"}},
                    DefinitionCase{{"a", "b", "c"}, -1, "b", {"a", "b"}},
                    DefinitionCase{{"a", "b", "c"}, 7, "c", {"a", "b", "c"}},
                    // The last item also ends the run where it first occurs.
                    DefinitionCase{{"x", "y", "x"}, 0, "y", {"x"}},
                    DefinitionCase{{"", "b"}, 0, "b", {"", "b"}}, DefinitionCase{{}, 0, "b", {}}),
    [](const testing::TestParamInfo<DefinitionCase>& info) {
      const DefinitionCase& c = info.param;
      std::string name = c.items.empty() ? "NoItems" : "";
      for (const std::string& item : c.items)
        name += (name.empty() ? "" : "_") + spelled(item);
      const std::string from =
          c.startIndex < 0 ? "Minus" + std::to_string(-c.startIndex) : std::to_string(c.startIndex);
      return name + "_From" + from + "_To_" + spelled(c.end);
    });

TEST(RunState, DefinitionRunComposesAndEnds) {
  RunSettings settings;
  settings.sequenceKind = 4;
  settings.items = {"Mon", "Tue", "Wed"};
  settings.startIndex = 1;
  settings.endText = "Wed";
  settings.suffix = "!";
  RunState run;
  run.StartRun(settings);
  EXPECT_EQ(run.PrepareValue(settings), " Tue! ");
  EXPECT_FALSE(run.CompleteInsertion(settings));
  run.PrepareValue(settings);
  EXPECT_EQ(run.insertText, "Wed!");
  EXPECT_TRUE(run.CompleteInsertion(settings));
}

}  // namespace
}  // namespace sequence
