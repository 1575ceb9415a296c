#include "export/coordinate_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/export_failure.h"
#include "support/sample_files.h"
#include "support/temp_dir.h"

namespace sparsim {
namespace {

std::vector<double> Flat(const CoordinateSet& set) {
  std::vector<double> values;
  for (const Point& point : set.points) {
    values.push_back(point.x);
    values.push_back(point.y);
  }
  return values;
}

// The message of the failure that reading content ends with; empty if none.
std::string FailureOf(const std::string& content, int expected_status = kExitBadFile) {
  try {
    ReadCoordinates(content, "F.ADF");
  } catch (const ExportFailure& failure) {
    EXPECT_EQ(failure.exit_status(), expected_status);
    return failure.what();
  }
  return "";
}

TEST(ReadCoordinates, ReadsBothModesFilesAndHandMadeLists) {
  struct Case {
    std::string content;
    std::vector<double> values;
  };
  const Case cases[] = {
      {kExampleAdfHeader +
           "    3.1416   12.5000\r\n   14.2500    6.7500\r\n   13.1000    8.0500\r\n",
       {3.1416, 12.5, 14.25, 6.75, 13.1, 8.05}},
      {"3,2\r\n3.1416,12.5000\r\n-14.2500,6.7500\r\n13.1000,-8.0500\r\n",
       {3.1416, 12.5, -14.25, 6.75, 13.1, -8.05}},
      {"2 2\n\t1e2\t-0.5\n# a comment line\n7,,8 # trailing comment\n", {100, -0.5, 7, 8}},
      {"0 #Points# 2 #Coordinates#\r\n", {}},
      // Every character of a long number counts: the walk's 1e30 steps
      // and its missing value 1e32.
      {"1,2\r\n-13020000000000000000000000000000.0000,100000000000000000000000000000000.0000\r\n",
       {-1.302e31, 1e32}},
      // The tables the program writes, their numbers read exactly.
      {"x,y\n0.30000000000000004,-2\n\n4.9e-324,1.7976931348623157e+308\n",
       {0.30000000000000004, -2, 4.9e-324, 1.7976931348623157e308}},
      {"Replicate,Seed,X,Y\r\n3,-7,1.5,2\r\n3,-7,0.1,1e-5\r\n", {1.5, 2, 0.1, 1e-5}},
  };
  for (const Case& c : cases) {
    CoordinateSet set = ReadCoordinates(c.content, "F.ADF");
    EXPECT_EQ(Flat(set), c.values) << c.content;
    EXPECT_EQ(set.announced, static_cast<int32_t>(c.values.size() / 2)) << c.content;
    EXPECT_TRUE(set.notes.empty()) << c.content;
  }
}

TEST(ReadCoordinates, KeepsTheHeaderFactsOfAGeneratedFile) {
  CoordinateSet set = ReadCoordinates(kExampleAdfHeader + "1 2\r\n3 4\r\n5 6\r\n", "SITE.ADF");
  EXPECT_EQ(set.name, "SITE.ADF");
  EXPECT_EQ(set.facts.site, SiteShape::kCircle);
  EXPECT_EQ(set.facts.model, 'C');
  EXPECT_EQ(set.facts.seed, 12345);
}

TEST(ReadCoordinates, FailsWithTheLineAndTokenOfABadItem) {
  const std::string two_points = "2 #Points# 2 #Coordinates#\r\n# header #\r\n";
  EXPECT_EQ(
      FailureOf(two_points + "  1.0  2.0\r\n 12a4  5\r\n"),
      "F.ADF:4: \"12a4\" is not a number (bad character \"a\"); it should be the X of point 2");
  EXPECT_EQ(FailureOf(two_points + "  1.0  2.0\r\n 3  4;\r\n"),
            "F.ADF:4: \"4;\" is not a number (bad character \";\"); it should be the Y of point 2");
  // A Y of 10 characters runs into its X in a file of the old layout.
  EXPECT_EQ(
      FailureOf("1 2\r\n   12.3456-1234.5678\r\n"),
      "F.ADF:2: \"12.3456-1234.5678\" is not a number (bad character \"-\"); it should be the X "
      "of point 1");
  EXPECT_EQ(FailureOf("1 2\r\n1e\r\n"),
            "F.ADF:2: \"1e\" is not a number (it stops short); it should be the X of point 1");
  EXPECT_EQ(FailureOf("1 2\r\n1 1e999\r\n"),
            "F.ADF:2: \"1e999\" is out of range; it should be the Y of point 1");
}

TEST(ReadCoordinates, FailsOnATableLineItCannotUse) {
  EXPECT_EQ(FailureOf("x,y\n1,2\n1.5.2,3\n"),
            "F.ADF:3: \"1.5.2\" is not a number; it should be the X of point 2");
  EXPECT_EQ(FailureOf("x,y\n1,inf\n"), "F.ADF:2: \"inf\" is not a number; it should be the Y of point 1");
  EXPECT_EQ(FailureOf("x,y\n1,2,3\n"), "F.ADF:2: 3 fields, not 2, for point 1");
  EXPECT_EQ(FailureOf("replicate,seed,x,y\n1,5,1,2\n2,9,1,2\n"),
            "F.ADF:3: replicate 2 follows replicate 1; one replicate can be read at a time");
}

TEST(ReadCoordinates, FailsOnACountOrDimensionItCannotUse) {
  EXPECT_EQ(
      FailureOf("2.5 2\n"),
      "F.ADF:1: \"2.5\" is not a whole number in the 32-bit range; it should be the point count");
  EXPECT_EQ(FailureOf("? 2\n"),
            "F.ADF:1: \"?\" marks a missing value; it should be the point count");
  EXPECT_EQ(FailureOf("-3 2\n"), "F.ADF:1: the point count \"-3\" is negative");
  EXPECT_EQ(FailureOf("3\n\n3\n1 2 3\n"),
            "F.ADF:3: the points have \"3\" coordinates; only 2 can be exported");
  EXPECT_EQ(FailureOf("4\n"), "F.ADF:2: the file ends where the number of coordinates should be");
  EXPECT_EQ(FailureOf(""), "F.ADF:1: the file ends where the point count should be");
  EXPECT_EQ(FailureOf("3 x\n"),
            "F.ADF:1: \"x\" is not a number (bad character \"x\"); it should be the number of "
            "coordinates");
}

TEST(ReadCoordinates, FailsWhenAPointHasNoY) {
  EXPECT_EQ(FailureOf("2,2\r\n1,2\r\n3\r\n"),
            "F.ADF:4: the file ends where the Y of point 2 should be");
}

TEST(ReadCoordinates, NotesWhatTheWalkWouldCarryOnWith) {
  CoordinateSet short_file = ReadCoordinates("5,2\r\n1,2\r\n3,4\r\n5,6\r\n,\r\n", "S.OUT");
  EXPECT_EQ(Flat(short_file), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(short_file.notes,
            std::vector<std::string>{"S.OUT: the file announces 5 points and holds 3"});

  CoordinateSet long_file = ReadCoordinates("1 2\n1 2\n\n3 4\n", "L.TXT");
  EXPECT_EQ(Flat(long_file), (std::vector<double>{1, 2}));
  EXPECT_EQ(long_file.notes,
            std::vector<std::string>{
                "L.TXT:4: more numbers follow the 1 announced points; they are not exported"});

  CoordinateSet missing = ReadCoordinates("3 2\n1 2\n? 4\n5 6?\n", "M.TXT");
  EXPECT_EQ(Flat(missing), (std::vector<double>{1, 2}));
  EXPECT_EQ(missing.notes,
            (std::vector<std::string>{
                "M.TXT:3: point 2 has a missing coordinate (\"?\") and is left out",
                "M.TXT:4: point 3 has a missing coordinate (\"6?\") and is left out"}));
}

TEST(ReadCoordinateFile, ReadsAFileAndFailsOnOneThatCannotBeRead) {
  TempDir dir;
  dir.Write("site.adf", "1,2\r\n0.25,-4\r\n");
  CoordinateSet set = ReadCoordinateFile(dir.File("site.adf"));
  EXPECT_EQ(Flat(set), (std::vector<double>{0.25, -4}));
  EXPECT_EQ(set.name, dir.File("site.adf"));

  for (const std::string& path : {dir.File("none.adf"), dir.path()}) {
    try {
      ReadCoordinateFile(path);
      ADD_FAILURE() << path;
    } catch (const ExportFailure& failure) {
      EXPECT_EQ(failure.exit_status(), kExitBadFile);
      EXPECT_EQ(std::string(failure.what()).substr(0, path.size() + 2), path + ": ");
    }
  }
}

}  // namespace
}  // namespace sparsim
