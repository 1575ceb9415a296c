#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dialogue/data_items.h"
#include "common/text_input.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

struct SourceReader {
  SourceReader(const std::string& data, std::string answers = "") : t(std::move(answers)) {
    file.Open(std::make_unique<TextInput>(data, "DATA.ADF"));
  }
  TestConsole t;
  InputFile file;
  ItemSource source;
};

TEST(TextInputLineNumber, CountsLineFeedsPassedAndStartsAgainOnRewind) {
  TextInput in("ab\r\ncd\nef");
  EXPECT_EQ(in.line_number(), 1u);
  ReadLineText(in);
  EXPECT_EQ(in.line_number(), 1u);  // the line end is still unread
  SkipToNextLine(in);
  EXPECT_EQ(in.line_number(), 2u);
  SkipToNextLine(in);
  EXPECT_EQ(in.line_number(), 3u);
  ReadTextChar(in);
  ReadTextChar(in);
  ReadTextChar(in);  // at the end: reading on changes nothing
  EXPECT_EQ(in.line_number(), 3u);
  in.Rewind();
  EXPECT_EQ(in.line_number(), 1u);
}

TEST(ItemSource, TellsTheLineAndTokenOfEachItem) {
  SourceReader r("3 #Points# 2 #Coordinates#\r\n# header #\r\n\r\n  1.5, 7\r\n");
  EXPECT_EQ(ReadIntegerItem(r.t.console, r.file, &r.source), 3);
  EXPECT_EQ(r.source.line, 1u);
  EXPECT_EQ(r.source.token, "3");
  EXPECT_EQ(ReadIntegerItem(r.t.console, r.file, &r.source), 2);
  EXPECT_EQ(r.source.token, "2");
  EXPECT_EQ(ReadRealItem(r.t.console, r.file, &r.source), 1.5);
  EXPECT_EQ(r.source.line, 4u);
  EXPECT_EQ(r.source.token, "1.5");
  EXPECT_EQ(ReadRealItem(r.t.console, r.file, &r.source), 7);
  EXPECT_EQ(r.source.token, "7");
  EXPECT_FALSE(r.source.at_end);
  // The end comes after the last line end: line 5, no token.
  EXPECT_EQ(ReadRealItem(r.t.console, r.file, &r.source), kMissingValue);
  EXPECT_TRUE(r.source.at_end);
  EXPECT_EQ(r.source.line, 5u);
  EXPECT_EQ(r.source.token, "");
  EXPECT_EQ(r.t.output(), "Unexpected EOF\r\n");
}

TEST(ItemSource, IsFilledBeforeABadNumberEndsTheProgram) {
  SourceReader r("1\n 12a4\n", "Y\r\nY\r\n");
  ReadRealItem(r.t.console, r.file, &r.source);
  EXPECT_EQ(EndStatus([&] { ReadRealItem(r.t.console, r.file, &r.source); }), kExitNormal);
  EXPECT_EQ(r.source.line, 2u);
  EXPECT_EQ(r.source.token, "12a4");
  // The dialogue is the one without a source.
  EXPECT_EQ(r.t.output().substr(0, 66),
            "Invalid Character in Number: \"a\"  (Decimal 97) - Input: 12a4\r\nQuit");
}

TEST(ItemSource, KeepsTheFirst32CharactersOfALongToken) {
  SourceReader r("123456789012345678901234567890123456 9", "N\r\n");
  ReadRealItem(r.t.console, r.file, &r.source);
  EXPECT_EQ(r.source.token, "12345678901234567890123456789012");
  EXPECT_EQ(ReadRealItem(r.t.console, r.file, &r.source), 9);
}

TEST(ItemSource, OfAnIntegerItemIsTheTokenRead) {
  SourceReader r("2.5", "Y\r\nY\r\n");
  EXPECT_EQ(EndStatus([&] { ReadIntegerItem(r.t.console, r.file, &r.source); }), kExitNormal);
  EXPECT_EQ(r.source.token, "2.5");
  EXPECT_EQ(r.source.line, 1u);
}

}  // namespace
}  // namespace sparsim
