#include "numeric/data_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace sparsim {
namespace {

// The reader reports what it found and leaves the reaction to its caller:
// it writes nothing and asks nothing (the dialogue's reaction is tested in
// tests/dialogue/data_items_test.cpp).
TEST(ReadDataItem, ReportsEachKindOfItemWithItsLineAndToken) {
  struct Case {
    const char* data;
    bool integer;
    ItemFault fault;
    double value;
    std::size_t error_position;
    std::size_t line;
    const char* token;
  };
  const Case cases[] = {
      {"# c #\r\n  12.5,", false, ItemFault::kNone, 12.5, 0, 2, "12.5"},
      {"3.0E0 #Points#", true, ItemFault::kNone, 3, 0, 1, "3.0E0"},
      {"\r\n\r\n, # only #\r\n", false, ItemFault::kEnd, kMissingValue, 0, 4, ""},
      {"12?", false, ItemFault::kMissing, kMissingValue, 0, 1, "12?"},
      {"?", true, ItemFault::kMissing, kMissingValue, 0, 1, "?"},
      {"1\n12a4", false, ItemFault::kBadCharacter, kMissingValue, 3, 2, "12a4"},
      {"1e", false, ItemFault::kBadCharacter, kMissingValue, 3, 1, "1e"},
      {"-1e400", false, ItemFault::kOutOfRange, kMissingValue, 0, 1, "-1e400"},
      {"2.5", true, ItemFault::kNotInteger, 2.5, 0, 1, "2.5"},
      {"2147483648", true, ItemFault::kNotInteger, 2147483648.0, 0, 1, "2147483648"},
      {"-2147483648", true, ItemFault::kNone, -2147483648.0, 0, 1, "-2147483648"},
  };
  for (const Case& c : cases) {
    TextInput in{std::string(c.data)};
    DataItem item = c.integer ? ReadIntegerDataItem(in) : ReadDataItem(in);
    // The item looked at is the last in the data.
    if (!SkipSeparatorsToDataEnd(in)) item = ReadDataItem(in);
    EXPECT_EQ(item.fault, c.fault) << c.data;
    EXPECT_EQ(item.value, c.value) << c.data;
    EXPECT_EQ(item.error_position, c.error_position) << c.data;
    EXPECT_EQ(item.source.line, c.line) << c.data;
    EXPECT_EQ(item.source.token, c.token) << c.data;
    EXPECT_EQ(item.source.at_end, c.fault == ItemFault::kEnd) << c.data;
  }
}

}  // namespace
}  // namespace sparsim
