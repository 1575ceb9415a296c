#include "export/export_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sparsim {
namespace {

using Args = std::vector<std::string>;

TEST(ParseExportArguments, TakesAFormatAnInputAndAnOutputInAnyOrder) {
  for (const Args& args :
       {Args{"--svg", "SITE.ADF", "-o", "site.svg"}, Args{"-o", "site.svg", "SITE.ADF", "--svg"},
        Args{"SITE.ADF", "--output=site.svg", "--svg"}, Args{"--svg", "-osite.svg", "SITE.ADF"},
        Args{"--svg", "--output", "site.svg", "--", "SITE.ADF"}}) {
    ArgumentParse parse = ParseExportArguments(args);
    EXPECT_EQ(parse.error, "") << args[0] << " " << args[1];
    EXPECT_EQ(parse.arguments.action, ExportAction::kExport);
    EXPECT_EQ(parse.arguments.format, ExportFormat::kSvg);
    EXPECT_EQ(parse.arguments.input, "SITE.ADF");
    EXPECT_EQ(parse.arguments.output, "site.svg");
  }
}

TEST(ParseExportArguments, WritesToStandardOutputWithoutAnOutputOrWithDash) {
  for (const Args& args : {Args{"--csv", "a.out"}, Args{"--csv", "a.out", "-o", "-"}}) {
    ArgumentParse parse = ParseExportArguments(args);
    EXPECT_EQ(parse.error, "");
    EXPECT_EQ(parse.arguments.format, ExportFormat::kCsv);
    EXPECT_EQ(parse.arguments.output, "");
  }
  ArgumentParse from_stdin = ParseExportArguments({"--geojson", "-"});
  EXPECT_EQ(from_stdin.arguments.input, "-");
  ArgumentParse dash_name = ParseExportArguments({"--geojson", "--", "-x.adf"});
  EXPECT_EQ(dash_name.arguments.input, "-x.adf");
}

TEST(ParseExportArguments, ReadsTheOptionsOfEachFormat) {
  ArgumentParse multi = ParseExportArguments({"--multipoint", "--geojson", "in"});
  EXPECT_EQ(multi.error, "");
  EXPECT_TRUE(multi.arguments.multipoint);
  EXPECT_FALSE(ParseExportArguments({"--geojson", "in"}).arguments.multipoint);

  ArgumentParse svg =
      ParseExportArguments({"--svg", "in", "--opacity", "0.25", "--centre=10.5,-3"});
  EXPECT_EQ(svg.error, "");
  EXPECT_EQ(svg.arguments.svg.opacity, 0.25);
  ASSERT_TRUE(svg.arguments.svg.centre);
  EXPECT_EQ(svg.arguments.svg.centre->x, 10.5);
  EXPECT_EQ(svg.arguments.svg.centre->y, -3);
  EXPECT_EQ(ParseExportArguments({"--svg", "in"}).arguments.svg.opacity, kDefaultMarkOpacity);
  EXPECT_EQ(ParseExportArguments({"--svg", "in", "--opacity=1"}).arguments.svg.opacity, 1);
  EXPECT_TRUE(ParseExportArguments({"--svg", "in", "--center", "1,2"}).arguments.svg.centre);
  EXPECT_TRUE(ParseExportArguments({"--geojson", "in", "--centre", "1,2"}).arguments.svg.centre);
}

TEST(ParseExportArguments, SaysWhatIsWrongWithABadCommandLine) {
  struct Case {
    Args args;
    const char* error;
  };
  const Case cases[] = {
      {{}, "choose a format: --csv, --geojson or --svg"},
      {{"in"}, "choose a format: --csv, --geojson or --svg"},
      {{"--csv"}, "no input file given"},
      {{"--csv", "--svg", "in"}, "choose one format: --csv, --geojson or --svg (also got --svg)"},
      {{"--csv", "a", "b"}, "more than one input file given (a, b)"},
      {{"--csv", "a", "-o"}, "option -o needs a value"},
      {{"--csv", "a", "-o", "x", "-o", "y"}, "more than one output file given"},
      {{"--csv", "a", "--output="}, "the output file name is empty"},
      {{"--csv", "a", "--frobnicate"}, "unknown option --frobnicate"},
      {{"--csv", "a", "-x"}, "unknown option -x"},
      {{"--csv=yes", "a"}, "option --csv takes no value"},
      {{"--csv", "a", "--multipoint"}, "--multipoint goes with --geojson only"},
      {{"--csv", "a", "--opacity", "0.5"}, "--opacity goes with --svg only"},
      {{"--csv", "a", "--centre", "1,2"}, "--centre goes with --svg or --geojson only"},
      {{"--svg", "a", "--opacity", "0"},
       "--opacity needs a number above 0 and at most 1, not \"0\""},
      {{"--svg", "a", "--opacity", "1.5"},
       "--opacity needs a number above 0 and at most 1, not \"1.5\""},
      {{"--svg", "a", "--opacity", "half"},
       "--opacity needs a number above 0 and at most 1, not \"half\""},
      {{"--svg", "a", "--centre", "1;2"},
       "--centre needs X,Y (two numbers and a comma), not \"1;2\""},
      {{"--svg", "a", "--centre", "1,2,3"},
       "--centre needs X,Y (two numbers and a comma), not \"1,2,3\""},
      {{"--svg", "a", "--centre", "1,nan"},
       "--centre needs X,Y (two numbers and a comma), not \"1,nan\""},
      {{"--csv", ""}, "the input file name is empty"},
  };
  for (const Case& c : cases) {
    ArgumentParse parse = ParseExportArguments(c.args);
    EXPECT_EQ(parse.error, c.error) << c.error;
  }
}

TEST(ParseExportArguments, LetsHelpAndVersionWinOverEverythingElse) {
  EXPECT_EQ(ParseExportArguments({"--help"}).arguments.action, ExportAction::kHelp);
  EXPECT_EQ(ParseExportArguments({"--bogus", "-h"}).arguments.action, ExportAction::kHelp);
  EXPECT_EQ(ParseExportArguments({"--csv", "--version"}).arguments.action, ExportAction::kVersion);
  EXPECT_EQ(ParseExportArguments({"-V"}).error, "");
  // After "--" it is a file name.
  EXPECT_EQ(ParseExportArguments({"--csv", "--", "--help"}).arguments.input, "--help");
}

TEST(UsageText, IsOneLineNamingEveryFormat) {
  std::string usage = UsageText();
  EXPECT_EQ(usage.find("Usage: sparsim-export "), 0u);
  EXPECT_EQ(usage.find('\n'), usage.size() - 1);
  for (const char* option : {"--csv", "--geojson", "--svg", "-o OUT"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(HelpText().find(usage), 0u);
  EXPECT_EQ(VersionText(), "sparsim-export 2.0\n");
}

}  // namespace
}  // namespace sparsim
