#include "export/header_facts.h"

#include <gtest/gtest.h>

#include <string>

#include "support/sample_files.h"

namespace sparsim {
namespace {

TEST(ReadHeaderFacts, ReadsACircularContagiousSet) {
  HeaderFacts facts = ReadHeaderFacts(kExampleAdfHeader + "    3.1416   12.5000\r\n");
  EXPECT_EQ(facts.site, SiteShape::kCircle);
  EXPECT_EQ(facts.diameter, 20);
  ASSERT_TRUE(facts.density);
  EXPECT_EQ(facts.density->text, "0.0095");
  EXPECT_EQ(facts.density->value, 0.0095);
  EXPECT_EQ(facts.model, 'C');
  EXPECT_EQ(facts.seed, 12345);
  ASSERT_TRUE(facts.cluster_radius);
  EXPECT_EQ(facts.cluster_radius->text, "2.5000");
  EXPECT_EQ(facts.cluster_radius->value, 2.5);
  EXPECT_EQ(facts.cluster_seeds, 2);
}

TEST(ReadHeaderFacts, ReadsRectangleCornersWrittenWithoutBlanksBetween) {
  struct Case {
    const char* line;
    double x_min, y_min, x_max, y_max;
  };
  const Case cases[] = {
      {"# Site Corners   0.0000  0.0000,  10.0000  4.0000;  Area    40.00 #", 0, 0, 10, 4},
      {"# Site Corners   0.0000  0.0000, 100.0000200.0000;  Area 20000.00 #", 0, 0, 100, 200},
      {"# Site Corners  -5.5000-12.0000,  -1.0000 -0.2500;  Area    18.00 #", -5.5, -12, -1, -0.25},
  };
  for (const Case& c : cases) {
    std::string file = "0 #Points# 2 #Coordinates#\r\n" + std::string(c.line) +
                       "\r\n#Density:   0.0000;  Model N;  Random Seed: -7 #\r\n";
    HeaderFacts facts = ReadHeaderFacts(file);
    EXPECT_EQ(facts.site, SiteShape::kRectangle) << c.line;
    EXPECT_EQ(facts.x_min, c.x_min) << c.line;
    EXPECT_EQ(facts.y_min, c.y_min) << c.line;
    EXPECT_EQ(facts.x_max, c.x_max) << c.line;
    EXPECT_EQ(facts.y_max, c.y_max) << c.line;
    EXPECT_EQ(facts.seed, -7) << c.line;
    EXPECT_EQ(facts.model, 'N') << c.line;
    EXPECT_FALSE(facts.cluster_radius) << c.line;
  }
}

TEST(ReadHeaderFacts, FindsNothingInFilesWithoutTheHeader) {
  for (const char* file :
       {"3,2\r\n1.0000,2.0000\r\n", "3 2\n1 2\n3 4\n5 6\n", "", "\x1a# Site Diameter  20.00 #"}) {
    HeaderFacts facts = ReadHeaderFacts(file);
    EXPECT_EQ(facts.site, SiteShape::kUnknown) << file;
    EXPECT_FALSE(facts.density) << file;
    EXPECT_EQ(facts.model, '\0') << file;
    EXPECT_FALSE(facts.seed) << file;
  }
}

TEST(ReadHeaderFacts, StopsAtTheFirstLineThatIsNotAComment) {
  HeaderFacts facts = ReadHeaderFacts(
      "1 #Points# 2 #Coordinates#\n# Site Diameter  20.00;  Area   314.16 #\n"
      "    1.0000    2.0000\n#Density:   0.0095;  Model C;  Random Seed: 1 #\n");
  EXPECT_EQ(facts.site, SiteShape::kCircle);  // LF line ends read as well
  EXPECT_FALSE(facts.density);
  EXPECT_FALSE(facts.seed);
}

TEST(ReadHeaderFacts, LeavesOutFactsWithoutTheirWrittenForm) {
  // A site of zero area in number mode has no finite density.
  HeaderFacts facts = ReadHeaderFacts(
      "1 #Points# 2 #Coordinates#\r\n# Site Diameter   0.00;  Area     0.00 #\r\n"
      "#Density:      INF;  Model X;  Random Seed: 99 #\r\n# Radius or S.D.  zero #\r\n");
  EXPECT_EQ(facts.site, SiteShape::kCircle);
  EXPECT_EQ(facts.diameter, 0);
  EXPECT_FALSE(facts.density);
  EXPECT_EQ(facts.model, '\0');  // X is no model
  EXPECT_EQ(facts.seed, 99);
  EXPECT_FALSE(facts.cluster_radius);
}

TEST(ModelName, NamesTheFiveModels) {
  EXPECT_EQ(ModelName('U'), "uniform");
  EXPECT_EQ(ModelName('H'), "hemisphere");
  EXPECT_EQ(ModelName('C'), "conic");
  EXPECT_EQ(ModelName('S'), "sinusoid");
  EXPECT_EQ(ModelName('N'), "normal");
  EXPECT_EQ(ModelName('u'), "");
}

}  // namespace
}  // namespace sparsim
