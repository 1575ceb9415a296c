#include "export/header_facts.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "export/coordinate_reader.h"
#include "export/geojson_writer.h"
#include "generate/coordinate_file.h"
#include "numeric/data_reader.h"
#include "support/sample_files.h"
#include "support/sites.h"
#include "walk/random_walk.h"

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

// A walk's reader that expects good items only.
class PlainWalkReader : public WalkReader {
 public:
  int32_t Integer(InputFile& file, WalkItem) override {
    return static_cast<int32_t>(ReadDataItem(file.text()).value);
  }
  double Real(InputFile& file, WalkItem) override { return ReadDataItem(file.text()).value; }
  [[noreturn]] void RefuseDimensions(int32_t) override { throw std::logic_error("dimensions"); }
};

// What the extra header lines record comes back from the file, and the
// walk and the exporter read the points under them as under any header.
TEST(ReadHeaderFacts, ReadsBackTheSetRecordLines) {
  struct Case {
    SetRecord record;
    std::string extra;
    std::string generator;
    std::optional<int64_t> replicate;
  };
  const Case cases[] = {
      {{}, "", "", std::nullopt},
      {{.philox = true, .replicate = 3, .csr = true, .poisson_mean = 100},
       "# Generator Philox4x64-10;  Replicate 3 #\r\n"
       "# Points Uniform over the Whole Site (CSR) #\r\n"
       "# Point Count Poisson;  Mean 100 #\r\n",
       "philox",
       3},
      {{.replicate = 12}, "# Generator LCG;  Replicate 12 #\r\n", "lcg", 12},
  };
  auto state = std::make_unique<ProgramState>();
  state->point_count = 2;
  state->store.x[1] = 1.5;
  state->store.y[1] = 2.5;
  state->store.x[2] = 3;
  state->store.y[2] = 4;
  GenerationParameters p = Clustered(RectangleSite(0, 0, 10, 4, 'U'), 1, false, 11, 'U');
  for (const Case& c : cases) {
    TextOutput out = TextOutput::InMemory();
    WriteCoordinateLines(out, *state, p, -9, c.record);
    std::string header = "2 #Points# 2 #Coordinates#\r\n" + SiteLine(p) + "\r\n" +
                         DensityLine(p, -9) +
                         "\r\n# Radius or S.D. 11.0000;  Cluster Seeds 1 #\r\n";
    ASSERT_EQ(out.contents(),
              header + c.extra + "    1.5000    2.5000\r\n    3.0000    4.0000\r\n");
    HeaderFacts facts = ReadHeaderFacts(out.contents());
    EXPECT_EQ(facts.generator, c.generator);
    EXPECT_EQ(facts.replicate, c.replicate);
    EXPECT_EQ(facts.csr, c.record.csr);
    EXPECT_EQ(facts.poisson_mean.value_or(-1), c.record.poisson_mean);
    EXPECT_EQ(facts.seed, -9);
    EXPECT_EQ(facts.cluster_seeds, 1);
    CoordinateSet set = ReadCoordinates(out.contents(), "SET.ADF");
    ASSERT_EQ(set.points.size(), 2u);
    EXPECT_EQ(set.points[1].y, 4);
    std::string json = GeoJsonText(set, true);  // the facts go with the multipoint
    EXPECT_EQ(json.find("\"generator\"") != std::string::npos, !c.generator.empty());
    EXPECT_EQ(json.find("\"csr\":true") != std::string::npos, c.record.csr);
    // The walk reads it as it reads any coordinate file.
    auto walk = std::make_unique<ProgramState>();
    walk->input_file.Open(std::make_unique<TextInput>(out.contents(), "SET.ADF"));
    PlainWalkReader reader;
    TextOutput walked = TextOutput::InMemory();
    Generator g = Generator::Philox(1, 0);
    WalkPassCount count = WalkInputPoints(reader, walked, *walk, 0, 0, g);
    EXPECT_EQ(count.processed, 2);
    EXPECT_EQ(walked.contents(), "2,2\r\n1.5000,2.5000\r\n3.0000,4.0000\r\n");
  }
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
