#include "common/text_input.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dialogue/file_system.h"
#include "support/temp_dir.h"

namespace sparsim {
namespace {

std::string ReadAll(TextInput& in) {
  std::string text;
  for (int c = ReadTextChar(in); c != kEndOfText; c = ReadTextChar(in)) {
    text.push_back(static_cast<char>(c));
  }
  return text;
}

TEST(TextInput, ReadsCharactersAndKeepsGivingTheEndIndication) {
  TextInput in(std::string("a\r\n\xff"));
  EXPECT_FALSE(AtFileEnd(in));
  EXPECT_EQ(ReadTextChar(in), 'a');
  EXPECT_EQ(ReadTextChar(in), '\r');
  EXPECT_EQ(ReadTextChar(in), '\n');
  EXPECT_EQ(ReadTextChar(in), 255);  // bytes above 127 are not negative
  EXPECT_TRUE(AtFileEnd(in));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadTextChar(in), kEndOfText);
  EXPECT_TRUE(AtFileEnd(in));
  EXPECT_TRUE(AtLineEnd(in));
}

TEST(TextInput, CharacterTwentySixEndsTheContent) {
  TextInput in(
      std::string("ab\x1A"
                  "cd\r\nef"));
  EXPECT_EQ(in.PeekAt(1), 'b');
  EXPECT_EQ(in.PeekAt(2), kEndOfText);
  EXPECT_EQ(in.PeekAt(3), kEndOfText);
  EXPECT_EQ(ReadAll(in), "ab");
  EXPECT_TRUE(AtFileEnd(in));
  EXPECT_EQ(ReadLineText(in), "");
  SkipToNextLine(in);
  EXPECT_EQ(ReadTextChar(in), kEndOfText);

  TextInput line(std::string("xy\x1Az\n"));
  EXPECT_EQ(ReadLineText(line), "xy");
  EXPECT_TRUE(AtLineEnd(line));
  EXPECT_TRUE(line.MetEnd());

  TextInput blanks(
      std::string(" \r\n\t\x1A"
                  "5"));
  EXPECT_TRUE(SkipBlanksToFileEnd(blanks));
  TextInput line_blanks(std::string("  \x1A\r\n"));
  EXPECT_TRUE(SkipBlanksToLineEnd(line_blanks));
  EXPECT_TRUE(AtFileEnd(line_blanks));
}

TEST(TextInput, ReadsLinesEndingInCrLfOrLf) {
  for (const char* content : {"abc\r\ndef", "abc\ndef"}) {
    TextInput in{std::string(content)};
    EXPECT_EQ(ReadLineText(in), "abc") << content;
    EXPECT_EQ(in.Peek(), content[3]) << "the line end stays unread";
    SkipToNextLine(in);
    EXPECT_EQ(ReadTextChar(in), 'd') << content;
    EXPECT_EQ(ReadLineText(in), "ef");
    EXPECT_TRUE(AtFileEnd(in));
  }
}

TEST(TextInput, DropsALoneCrFromALineAndSkipsPastIt) {
  TextInput in(std::string("ab\rcd\r\nef\r"));
  EXPECT_EQ(ReadLineText(in), "abcd");
  SkipToNextLine(in);
  EXPECT_EQ(ReadLineText(in), "ef");
  EXPECT_TRUE(AtFileEnd(in));

  TextInput skip(std::string("ab\rcd\nef"));
  SkipToNextLine(skip);
  EXPECT_EQ(ReadTextChar(skip), 'e');

  TextInput empty_lines(std::string("\r\n\n\r\nx"));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ReadLineText(empty_lines), "");
    SkipToNextLine(empty_lines);
  }
  EXPECT_EQ(ReadLineText(empty_lines), "x");
}

TEST(TextInput, LineEndTestSeesCrButNotALoneLf) {
  TextInput in(std::string("a\r\n\nb"));
  EXPECT_FALSE(AtLineEnd(in));
  ReadTextChar(in);
  EXPECT_TRUE(AtLineEnd(in));
  EXPECT_TRUE(AtLineEnd(in));  // consumes nothing
  ReadTextChar(in);
  EXPECT_FALSE(AtLineEnd(in));  // LF after the CR
  ReadTextChar(in);
  EXPECT_FALSE(AtLineEnd(in));  // a lone LF
  EXPECT_EQ(ReadAll(in), "\nb");
  EXPECT_TRUE(AtLineEnd(in));
}

TEST(TextInput, SkipsBlanksAcrossLinesOrWithinALine) {
  TextInput only_blanks(std::string(" \t\r\n  \f\r\n"));
  EXPECT_TRUE(SkipBlanksToFileEnd(only_blanks));
  EXPECT_TRUE(AtFileEnd(only_blanks));

  TextInput comma(std::string(" \r\n\t ,5"));
  EXPECT_FALSE(SkipBlanksToFileEnd(comma));
  EXPECT_EQ(ReadTextChar(comma), ',');

  struct Case {
    const char* content;
    bool at_line_end;
    int next;
  };
  const Case cases[] = {
      {" \t\f\r\nx", true, '\r'}, {"  \nx", true, '\n'},  {" \t\f x", false, 'x'},
      {"   ", true, kEndOfText},  {"", true, kEndOfText},
  };
  for (const Case& c : cases) {
    TextInput in{std::string(c.content)};
    EXPECT_EQ(SkipBlanksToLineEnd(in), c.at_line_end) << '"' << c.content << '"';
    EXPECT_EQ(in.Peek(), c.next) << '"' << c.content << '"';
  }
}

TEST(TextInput, MetEndOnlyOnceAReadFindsNothingMore) {
  TextInput in(std::string("abc\r\n"));
  EXPECT_FALSE(in.MetEnd());
  EXPECT_EQ(ReadLineText(in), "abc");
  SkipToNextLine(in);
  EXPECT_FALSE(in.MetEnd());
  EXPECT_EQ(ReadLineText(in), "");
  SkipToNextLine(in);
  EXPECT_TRUE(in.MetEnd());
  EXPECT_EQ(ReadLineText(in), "");
  EXPECT_TRUE(in.MetEnd());

  TextInput no_line_end(std::string("abc"));
  EXPECT_EQ(ReadLineText(no_line_end), "abc");
  EXPECT_TRUE(no_line_end.MetEnd());

  TextInput empty{std::string()};
  EXPECT_FALSE(empty.MetEnd());
  EXPECT_EQ(ReadTextChar(empty), kEndOfText);
  EXPECT_TRUE(empty.MetEnd());
}

TEST(TextInput, RewindReadsAnInMemoryTextFromItsStartAgain) {
  TextInput in(std::string("12\r\n34\x1Ajunk"));
  EXPECT_EQ(ReadAll(in), "12\r\n34");
  in.Rewind();
  EXPECT_EQ(ReadLineText(in), "12");
  SkipToNextLine(in);
  EXPECT_EQ(ReadLineText(in), "34");
  in.Rewind();
  EXPECT_EQ(ReadTextChar(in), '1');
}

TEST(TextInput, ReadsAndRewindsALargeFileOpenedByDescriptor) {
  TempDir dir;
  std::string content;
  for (int i = 0; i < 20000; ++i) content += "line " + std::to_string(i) + "\r\n";
  content +=
      "last\x1A"
      "after the mark\r\n";
  dir.Write("big.txt", content);

  int fd = ::open(dir.File("big.txt").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  TextInput in(fd, "BIG.TXT", true);
  for (int pass = 0; pass < 2; ++pass) {
    int lines = 0;
    std::string line;
    while (!AtFileEnd(in)) {
      line = ReadLineText(in);
      SkipToNextLine(in);
      if (lines < 20000) {
        ASSERT_EQ(line, "line " + std::to_string(lines));
      }
      ++lines;
    }
    EXPECT_EQ(lines, 20001);
    EXPECT_EQ(line, "last");
    in.Rewind();
  }
  in.Close();
  EXPECT_EQ(ReadTextChar(in), kEndOfText);
}

TEST(TextInput, RewindsAFileOpenedByName) {
  TempDir dir;
  dir.Write("data.adf", "3,2\n1,2\n");
  std::unique_ptr<TextInput> in = OpenTextFile(dir.File("data.adf"), "DATA.ADF");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(ReadLineText(*in), "3,2");
  SkipToNextLine(*in);
  EXPECT_EQ(ReadAll(*in), "1,2\n");
  in->Rewind();
  EXPECT_EQ(ReadAll(*in), "3,2\n1,2\n");
}

}  // namespace
}  // namespace sparsim
