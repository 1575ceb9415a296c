#include "generate/coordinate_file.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

#include "dialogue/data_items.h"
#include "dialogue/file_system.h"
#include "support/sample_files.h"
#include "support/temp_dir.h"
#include "support/test_console.h"

namespace sparsim {
namespace {

// 100 pi in extended precision, stored: the area of the default circle.
constexpr double kCircleArea = 314.15926535897933;

// The layout example: a circle of diameter 20 centred on (10, 10), three
// points in number mode, contagious around two seeds used as points,
// radius 2.5, conic model.
GenerationParameters ExampleCircle() {
  GenerationParameters p;
  p.shape = kCircle;
  p.centre_x = p.centre_y = 10;
  p.site_radius = 10;
  p.area = kCircleArea;
  p.density = 0.0095492965855137196;  // 3 / area
  p.contagious = true;
  p.seed_count = 2;
  p.seeds_as_points = true;
  p.cluster_radius = 2.5;
  p.model = 'C';
  return p;
}

GenerationParameters Rectangle(double x_min, double y_min, double x_max, double y_max) {
  GenerationParameters p;
  p.shape = kRectangle;
  p.x_min = x_min;
  p.y_min = y_min;
  p.x_max = x_max;
  p.y_max = y_max;
  p.area = (x_max - x_min) * (y_max - y_min);
  p.model = 'U';
  return p;
}

struct Writer {
  TempDir dir;
  std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
  TestConsole t;
  explicit Writer(std::string answers) : t(std::move(answers)) {
    state->working_directory = dir.path();
  }
  void Point(int i, double x, double y) {
    state->store.x[i] = x;
    state->store.y[i] = y;
  }
};

TEST(WriteCoordinateFile, WritesTheLayoutExampleByteForByte) {
  Writer w("example\r\n");
  w.state->point_count = 3;
  w.Point(1, 3.1416, 12.5);
  w.Point(2, 14.25, 6.75);
  w.Point(3, 13.1, 8.05);
  WriteCoordinateFile(w.t.console, *w.state, ExampleCircle(), 12345);
  EXPECT_EQ(w.t.output(), "Output File {.ADF} ? ");
  EXPECT_EQ(w.state->output_name, "EXAMPLE.ADF");
  EXPECT_FALSE(w.state->output_file.IsOpen());
  EXPECT_EQ(w.dir.Read("EXAMPLE.ADF"), kExampleAdfHeader +
                                           "    3.1416   12.5000\r\n"
                                           "   14.2500    6.7500\r\n"
                                           "   13.1000    8.0500\r\n");
}

TEST(WriteCoordinateFile, CentredSetWithoutPointsIsHeaderOnly) {
  Writer w("empty\r\n");
  w.state->point_count = 0;
  w.Point(1, 1, 1);  // left over from an earlier set; not written
  GenerationParameters p = Rectangle(0, 0, 10, 4);
  WriteCoordinateFile(w.t.console, *w.state, p, -7);
  EXPECT_EQ(w.dir.Read("EMPTY.ADF"),
            "0 #Points# 2 #Coordinates#\r\n"
            "# Site Corners   0.0000  0.0000,  10.0000  4.0000;  Area    40.00 #\r\n"
            "#Density:   0.0000;  Model U;  Random Seed: -7 #\r\n");
}

TEST(WriteCoordinateFile, ContagiousSetHasTheRadiusLineAlsoWithNoSeeds) {
  Writer w("none\r\n");
  GenerationParameters p = ExampleCircle();
  p.seed_count = 0;
  p.seeds_as_points = false;
  p.density = 0;
  w.state->point_count = 0;
  WriteCoordinateFile(w.t.console, *w.state, p, 1);
  EXPECT_EQ(w.dir.Read("NONE.ADF"),
            "0 #Points# 2 #Coordinates#\r\n"
            "# Site Diameter  20.00;  Area   314.16 #\r\n"
            "#Density:   0.0000;  Model C;  Random Seed: 1 #\r\n"
            "# Radius or S.D.  2.5000;  Cluster Seeds 0 #\r\n");
}

TEST(WriteCoordinateFile, ToTheConsoleShowsTheFileAndTheConsoleStaysOpen) {
  Writer w("con\r\n");
  w.state->point_count = 1;
  w.Point(1, -1.5, 2);
  GenerationParameters p = Rectangle(-2, 0, 2, 4);
  p.density = 0.0625;
  p.model = 'N';
  WriteCoordinateFile(w.t.console, *w.state, p, 99);
  w.t.out.WriteLine("next");
  EXPECT_EQ(w.t.output(),
            "Output File {.ADF} ? "
            "1 #Points# 2 #Coordinates#\r\n"
            "# Site Corners  -2.0000  0.0000,   2.0000  4.0000;  Area    16.00 #\r\n"
            "#Density:   0.0625;  Model N;  Random Seed: 99 #\r\n"
            "   -1.5000    2.0000\r\n"
            "next\r\n");
  EXPECT_EQ(w.state->output_name, "CON");
}

TEST(CoordinateFileHeader, SiteLines) {
  GenerationParameters circle = ExampleCircle();
  EXPECT_EQ(SiteLine(circle), "# Site Diameter  20.00;  Area   314.16 #");
  circle.site_radius = 617.25;  // diameter 1234.5: the field grows
  circle.area = 1196972.8;
  EXPECT_EQ(SiteLine(circle), "# Site Diameter 1234.50;  Area 1196972.80 #");

  EXPECT_EQ(SiteLine(Rectangle(0, 0, 10, 4)),
            "# Site Corners   0.0000  0.0000,  10.0000  4.0000;  Area    40.00 #");
  // Values of 8 characters or more follow the value before them directly.
  EXPECT_EQ(SiteLine(Rectangle(-20, -30, 200, 150)),
            "# Site Corners -20.0000-30.0000, 200.0000150.0000;  Area 39600.00 #");
}

TEST(CoordinateFileHeader, DensityLines) {
  EXPECT_EQ(DensityLine(ExampleCircle(), 12345),
            "#Density:   0.0095;  Model C;  Random Seed: 12345 #");
  GenerationParameters p = Rectangle(0, 0, 0, 4);
  p.density = std::numeric_limits<double>::infinity();  // points on no area
  EXPECT_EQ(DensityLine(p, 1), "#Density:      INF;  Model U;  Random Seed: 1 #");
  p.density = 1234.56789;
  p.model = 'S';
  EXPECT_EQ(DensityLine(p, -2147483647),
            "#Density: 1234.5679;  Model S;  Random Seed: -2147483647 #");
}

TEST(CoordinateFileHeader, PointLinesKeepXAndYApart) {
  struct Case {
    double x, y;
    const char* line;
  } cases[] = {
      {3.1416, 12.5, "    3.1416   12.5000"},
      {0, 9999.9999, "    0.0000 9999.9999"},
      {-999.9999, -999.9999, " -999.9999 -999.9999"},
      // A Y text of 10 characters or more gets one blank in front.
      {12.3456, -1234.5678, "   12.3456 -1234.5678"},
      {1, 10000, "    1.0000 10000.0000"},
      {-5000.25, 123456.5, "-5000.2500 123456.5000"},
      {123456.5, 0.5, "123456.5000    0.5000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PointLine(c.x, c.y), c.line);
  }
}

TEST(WriteCoordinateFile, WideYValuesReadBackAsTheRightNumbers) {
  Writer w("wide\r\n");
  w.state->point_count = 3;
  w.Point(1, 12.3456, -1234.5678);
  w.Point(2, -5000.25, 10000);
  w.Point(3, 7, -99999.5);
  WriteCoordinateFile(w.t.console, *w.state, Rectangle(-6000, -100000, 100, 10000), 5);

  TestConsole reader("");
  InputFile file;
  file.Open(OpenTextFile(w.dir.File("WIDE.ADF"), "WIDE.ADF"));
  EXPECT_EQ(ReadIntegerItem(reader.console, file), 3);
  EXPECT_EQ(ReadIntegerItem(reader.console, file), 2);
  const double expected[] = {12.3456, -1234.5678, -5000.25, 10000, 7, -99999.5};
  for (double value : expected) {
    EXPECT_DOUBLE_EQ(ReadRealItem(reader.console, file), value);
  }
  EXPECT_EQ(reader.output(), "");  // no message: every item was a number
  file.Close();
}

}  // namespace
}  // namespace sparsim
