#include "shell/generate_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/command_run.h"
#include "support/temp_dir.h"

namespace sparsim {
namespace {

using Args = std::vector<std::string>;

// A small clustered set; its replicates differ in every point.
Args Set(const std::string& generator) {
  return {"generate", "--rect",      "0,0,300,200", "--points", "150",   "--clusters",
          "6",        "--radius",    "4",           "--model",  "conic", "--seed",
          "-4242",    "--generator", generator,     "--quiet"};
}

Args With(Args args, const Args& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// The manifest's lines without the seconds, the last field.
std::vector<std::string> Rows(const std::string& manifest) {
  std::vector<std::string> rows;
  for (std::size_t start = 0; start < manifest.size();) {
    std::size_t end = manifest.find('\n', start);
    std::string line = manifest.substr(start, end - start);
    rows.push_back(line.substr(0, line.rfind(',')));
    start = end + 1;
  }
  return rows;
}

// A manifest line's fields (file names here hold no comma).
std::vector<std::string> Fields(const std::string& row) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t comma = row.find(','); comma != std::string::npos;
       start = comma + 1, comma = row.find(',', start)) {
    fields.push_back(row.substr(start, comma - start));
  }
  fields.push_back(row.substr(start));
  return fields;
}

std::string Name(int k) { return (k < 10 ? "r0" : "r") + std::to_string(k) + ".adf"; }

// Replicate K made alone is byte for byte the file of the full run, under
// the same name, with the same manifest line; and a run stopped part way
// (files removed, one cut short, one of another run in its place) and
// resumed with --skip-existing ends with the files of the full run.
TEST(GenerateCommand, ReplicatesAloneAndResumedAreThoseOfTheFullRun) {
  for (const std::string generator : {"lcg", "philox"}) {
    SCOPED_TRACE(generator);
    TempDir full;
    CommandRun run;
    ASSERT_EQ(run(With(Set(generator), {"--replicates", "12", "-o", full.File("r{n}.adf"),
                                        "--manifest", full.File("list.csv")})),
              0)
        << run.err;
    const std::vector<std::string> full_rows = Rows(full.Read("list.csv"));
    ASSERT_EQ(full_rows.size(), 13u);
    for (int k = 1; k <= 12; ++k) {
      for (int j = 1; j < k; ++j) ASSERT_NE(full.Read(Name(j)), full.Read(Name(k)));
    }

    TempDir alone;
    for (int k : {1, 7, 12}) {
      ASSERT_EQ(run(With(Set(generator),
                         {"--replicate", std::to_string(k), "--replicates", "12", "-o",
                          alone.File("r{n}.adf"), "--manifest", alone.File("one.csv"), "--force"})),
                0)
          << run.err;
      EXPECT_EQ(alone.Read(Name(k)), full.Read(Name(k))) << k;
      std::vector<std::string> rows = Rows(alone.Read("one.csv"));
      ASSERT_EQ(rows.size(), 2u);
      EXPECT_EQ(rows[0], full_rows[0]);
      std::string row = rows[1];
      row.replace(row.find(alone.path()), alone.path().size(), full.path());
      EXPECT_EQ(row, full_rows[static_cast<std::size_t>(k)]);
    }
    // Without --replicates, {n} is not padded.
    ASSERT_EQ(run(With(Set(generator), {"--replicate", "7", "-o", alone.File("x{n}.adf")})), 0)
        << run.err;
    EXPECT_EQ(alone.Read("x7.adf"), full.Read("r07.adf"));

    TempDir resumed;
    for (int k = 1; k <= 12; ++k) resumed.Write(Name(k), full.Read(Name(k)));
    for (int k : {3, 8, 12}) std::filesystem::remove(resumed.File(Name(k)));
    const std::string whole = full.Read("r05.adf");
    resumed.Write("r05.adf", whole.substr(0, whole.size() - 30));
    // A whole file, but of replicate 1, stands where replicate 9 belongs.
    resumed.Write("r09.adf", full.Read("r01.adf"));
    const Args resume =
        With(Set(generator), {"--replicates", "12", "-o", resumed.File("r{n}.adf"), "--manifest",
                              resumed.File("list.csv"), "--skip-existing"});
    EXPECT_EQ(run(resume), 1);
    EXPECT_NE(run.err.find(resumed.File("r05.adf") + " and 1 more of the files exist but are not "
                                                     "whole files of this run's set, seed and "
                                                     "generator; give --force to replace them"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(resumed.Exists("r03.adf"));
    ASSERT_EQ(run(With(resume, {"--force"})), 0) << run.err;
    for (int k = 1; k <= 12; ++k) EXPECT_EQ(resumed.Read(Name(k)), full.Read(Name(k))) << k;
    std::vector<std::string> rows = Rows(resumed.Read("list.csv"));
    ASSERT_EQ(rows.size(), 13u);
    for (int k = 1; k <= 12; ++k) {
      std::string row = rows[static_cast<std::size_t>(k)];
      row.replace(row.find(resumed.path()), resumed.path().size(), full.path());
      const bool made = k == 3 || k == 5 || k == 8 || k == 9 || k == 12;
      if (made) {
        EXPECT_EQ(row, full_rows[static_cast<std::size_t>(k)]) << k;
      } else {
        // Kept: what it took is not known; the rest is the full run's.
        std::vector<std::string> fields = Fields(row);
        std::vector<std::string> was = Fields(full_rows[static_cast<std::size_t>(k)]);
        ASSERT_EQ(fields.size(), was.size()) << row;
        // candidates, and with the LCG draws (stream_start is known).
        std::vector<std::size_t> unknown = {4};
        if (generator == "lcg") unknown.push_back(6);
        for (std::size_t taken : unknown) {
          EXPECT_EQ(fields[taken], "") << row;
          fields[taken] = was[taken];
        }
        EXPECT_EQ(fields, was) << k;
      }
    }
  }
}

// --csr and --poisson with either generator: the header records both, the
// count line the number drawn, which differs from replicate to replicate.
TEST(GenerateCommand, RecordsCsrAndThePoissonMeanAndCountsWhatItDrew) {
  for (const std::string generator : {"lcg", "philox"}) {
    TempDir dir;
    CommandRun run;
    ASSERT_EQ(run({"generate", "--rect", "0,0,50,80", "--points", "300", "--csr", "--poisson",
                   "--seed", "21", "--generator", generator, "--replicates", "5", "-o",
                   dir.File("p{n}.adf"), "--quiet"}),
              0)
        << run.err;
    std::vector<int> counts;
    for (int k = 1; k <= 5; ++k) {
      std::string file = dir.Read("p" + std::to_string(k) + ".adf");
      EXPECT_NE(file.find("\r\n# Points Uniform over the Whole Site (CSR) #\r\n"
                          "# Point Count Poisson;  Mean 300 #\r\n"),
                std::string::npos)
          << file.substr(0, 300);
      int lines = 0;
      for (char c : file) lines += c == '\n';
      int headers = 0;
      for (std::size_t at = file.find("\n#"); at != std::string::npos;
           at = file.find("\n#", at + 1)) {
        ++headers;
      }
      counts.push_back(std::stoi(file));
      EXPECT_EQ(lines - 1 - headers, counts.back()) << generator << " " << k;
    }
    EXPECT_GT(*std::max_element(counts.begin(), counts.end()),
              *std::min_element(counts.begin(), counts.end()))
        << generator;
  }
}

// The walk's replicates too: one made alone is that of the full run.
TEST(GenerateCommand, AWalksReplicateAloneIsThatOfTheFullRun) {
  TempDir dir;
  CommandRun run;
  ASSERT_EQ(run(With(Set("lcg"), {"-o", dir.File("in.adf")})), 0) << run.err;
  for (const std::string generator : {"lcg", "philox"}) {
    const Args walk = {"walk",        dir.File("in.adf"), "--max-step", "2",      "--steps",
                       "5",           "--passes",         "2",          "--seed", "9",
                       "--generator", generator,          "--quiet"};
    ASSERT_EQ(run(With(walk, {"--replicates", "4", "-o", dir.File(generator + "{n}-{pass}.out")})),
              0)
        << run.err;
    ASSERT_EQ(
        run(With(walk, {"--replicate", "3", "-o", dir.File("alone{n}-{pass}.out"), "--force"})), 0)
        << run.err;
    for (const char* pass : {"1", "2"}) {
      EXPECT_EQ(dir.Read("alone3-" + std::string(pass) + ".out"),
                dir.Read(generator + "3-" + pass + ".out"))
          << generator;
      EXPECT_NE(dir.Read(generator + "3-" + pass + ".out"),
                dir.Read(generator + "2-" + pass + ".out"));
    }
  }
}

}  // namespace
}  // namespace sparsim
