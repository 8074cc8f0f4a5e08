#include <gtest/gtest.h>
#include <sys/resource.h>
#include <csignal>

#include <cctype>
#include <string>

#include "files/slot_files.h"
#include "support/sim_fixture.h"

namespace {

using testing_support::bytes;
using testing_support::SimFixture;

struct NormCase {
  std::string file;
  std::string text;
};

class LoadNormalisation : public SimFixture, public ::testing::WithParamInterface<NormCase> {};

// The file's bytes spelled out for the case's name: "a_CR_LF_b", "x31_CR_y33", "X82_NUL_LF".
std::string bytesName(const std::string& bytes) {
  std::string name;
  bool lastLiteral = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    std::size_t run = 1;
    while (i + run < bytes.size() && bytes[i + run] == bytes[i])
      ++run;
    const bool literal = std::isalnum(c) != 0;
    std::string token;
    if (literal)
      token = std::string(1, static_cast<char>(c));
    else if (c == '\r')
      token = "CR";
    else if (c == '\n')
      token = "LF";
    else if (c == 0)
      token = "NUL";
    else {
      static const char hex[] = "0123456789ABCDEF";
      token = {'X', hex[c >> 4], hex[c & 15]};
    }
    const std::size_t take = run > 2 ? run : 1;
    if (run > 2) token += std::to_string(run);
    if (!name.empty() && !(literal && lastLiteral && run <= 2)) name += '_';
    name += token;
    lastLiteral = literal && run <= 2;
    i += take;
  }
  return name.empty() ? "Empty" : name;
}

TEST_P(LoadNormalisation, FileBytesBecomeTheBoxText) {
  EXPECT_EQ(files::normalizeLoadedText(GetParam().file, *platform), GetParam().text);
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Bytes, LoadNormalisation,
    ::testing::Values(NormCase{"abc", "abc"}, NormCase{"", ""}, NormCase{"a\r\nb", "a\r\nb"},
                      NormCase{"a\nb", "a\r\nb"}, NormCase{"a\rb", "a\r\nb"},
                      NormCase{"a\n\rb", "a\r\n\r\nb"},
                      NormCase{"a\r\nb\nc\r\n", "a\r\nb\r\nc\r\n"}, NormCase{"\r\n", "\r\n"},
                      NormCase{"end\r", "end\r\n"}, NormCase{"\n\n", "\r\n\r\n"},
                      // the text ends at the first zero byte
                      NormCase{"ab\0cd\ne"s, "ab"}, NormCase{"\0abc"s, ""},
                      // a double-byte character whose second byte is 0x5C or 0x0A stays whole
                      NormCase{"\x95\x5C\n", "\x95\x5C\r\n"}, NormCase{"\x82\n", "\x82\n"},
                      // a lead byte as the very last byte is kept and nothing is read past it
                      NormCase{"ab\x82", "ab\x82"}, NormCase{"\x82", "\x82"},
                      NormCase{"\x82\0\n"s, "\x82"},
                      // a lone line break before a zero byte further on
                      NormCase{"a\r\0\0\0\nd"s, "a\r\n"},
                      NormCase{std::string(40, 'x') + "\n" + std::string(40, 'y') + "\0z\rw"s,
                               std::string(40, 'x') + "\r\n" + std::string(40, 'y')},
                      // long texts cross the scan's block boundaries
                      NormCase{std::string(31, 'x') + "\r\n" + std::string(33, 'y'),
                               std::string(31, 'x') + "\r\n" + std::string(33, 'y')},
                      NormCase{std::string(31, 'x') + "\r" + std::string(33, 'y'),
                               std::string(31, 'x') + "\r\n" + std::string(33, 'y')},
                      NormCase{std::string(15, 'x') + "\x82\r\n" + std::string(20, 'y'),
                               std::string(15, 'x') + "\x82\r\r\n" + std::string(20, 'y')}),
    [](const auto& info) { return bytesName(info.param.file); });

TEST_F(SimFixture, SavedBoxIsExactlyItsBytesAndLoadsBackUnchanged) {
  ui::Memo m("Memo1");
  for (const std::string& t : {"abc"s, "line\r\n"s, "\r\n"s, ""s, cp932("テスト\r\n表示")}) {
    m.setText(bytes(t));
    files::saveBox(*platform, "Kolvex1.txt", m);
    EXPECT_EQ(file("Kolvex1.txt"), t);
    ui::Memo back("Memo2");
    ASSERT_TRUE(files::loadBox(*platform, "Kolvex1.txt", back));
    EXPECT_EQ(back.text(), t);
  }
}

TEST_F(SimFixture, UnreadableOrMissingFileLeavesTheBoxAsItWas) {
  ui::Memo m("Memo1");
  m.setText(bytes("before"));
  EXPECT_FALSE(files::loadBox(*platform, "Kolvex7.txt", m));
  desktop->putFile("Kolvex7.txt", "on disk");
  desktop->failRead("Kolvex7.txt");
  EXPECT_FALSE(files::loadBox(*platform, "Kolvex7.txt", m));
  EXPECT_EQ(m.text(), "before");
}

TEST_F(SimFixture, FiftyMegabyteFileLoadsWhole) {
  std::string big(50u << 20, 'x');
  for (std::size_t i = 4095; i < big.size(); i += 4096)
    big[i] = '\n';
  desktop->putFile("Kolvex2.txt", big);
  ui::Memo m("Memo2");
  ASSERT_TRUE(files::loadBox(*platform, "Kolvex2.txt", m));
  EXPECT_EQ(m.text().size(), big.size() + big.size() / 4096);
  EXPECT_EQ(m.text().bytes().substr(4095, 3), "\r\nx");
}

TEST_F(SimFixture, WriteThatFailsHalfwayLeavesTheOldFileWholeAndNoLeftovers) {
  desktop->putFile("Kolvex3.txt", "old slot text");
  ui::Memo m("Memo3");
  m.setText(bytes(std::string(1 << 20, 'n')));
  // A file size limit makes the write fail part of the way through, as a full disk would.
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_THROW(files::saveBox(*platform, "Kolvex3.txt", m), platform::Error);
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(file("Kolvex3.txt"), "old slot text");
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir))
    ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(SimFixture, FailedWriteNamesTheFileInTheError) {
  desktop->failWrite("Kolvex4.txt");
  ui::Memo m("Memo4");
  try {
    files::saveBox(*platform, "Kolvex4.txt", m);
    FAIL() << "no error";
  } catch (const platform::Error& e) {
    EXPECT_NE(std::string(e.what()).find("Kolvex4.txt"), std::string::npos);
  }
}

}  // namespace
