// Writing a generated set to its coordinate file (default extension .ADF).
//
// The header lines are comments between '#' characters, so that the data
// reader sees only the count, 2, and the X and Y of each point:
//   3 #Points# 2 #Coordinates#
//   # Site Diameter  20.00;  Area   314.16 #
//   #Density:   0.0095;  Model C;  Random Seed: 12345 #
//   # Radius or S.D.  2.5000;  Cluster Seeds 2 #        (contagious sets)
//       3.1416   12.5000
// A rectangle's second line reads
//   # Site Corners   0.0000  0.0000,  10.0000  4.0000;  Area    40.00 #
// Each point line is X and Y right-aligned in 10 characters with 4
// decimals; a Y text of 10 characters or more gets a blank in front, so that
// it never runs into X and the file always reads back. Lines end in CR LF.
//
// Sets made with other than the defaults record so in extra lines after
// those, one line each and only when it applies (ExtraHeaderLines):
//   # Generator Philox4x64-10;  Replicate 3 #     (or "Generator LCG")
//   # Points Uniform over the Whole Site (CSR) #
//   # Point Count Poisson;  Mean 100 #
// A set of the dialogue, or any set with the default SetRecord, writes
// none of them; the data reader skips them as it skips every comment.
//
// The writer does not look for interrupts: its at most 10004 short lines
// take no time, so a file is either written whole or, when Ctrl-C comes
// before it is created, not at all; the next question ends the program.

#ifndef SPARSIM_GENERATE_COORDINATE_FILE_H_
#define SPARSIM_GENERATE_COORDINATE_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "common/program_state.h"
#include "dialogue/console.h"
#include "generate/generation_parameters.h"

namespace sparsim {

// What the extra header lines record. The generator line appears for
// Philox, and for the LCG when the caller gives a replicate number.
struct SetRecord {
  bool philox = false;
  int64_t replicate = -1;  // -1: none recorded
  bool csr = false;
  int32_t poisson_mean = -1;  // -1: the count was asked, not drawn
};

// The extra lines for record, each without its line end; none for {}.
std::vector<std::string> ExtraHeaderLines(const SetRecord& record);

// Asks "Output File" (default extension .ADF), writes the set into it and
// closes it.
void WriteCoordinateFile(Console& console, ProgramState& state,
                         const GenerationParameters& parameters, int32_t run_seed);

// The lines of the file, header and points, written to file (which is
// neither opened nor closed here); the command line writes its replicates
// with it.
void WriteCoordinateLines(TextOutput& file, const ProgramState& state,
                          const GenerationParameters& parameters, int32_t run_seed,
                          const SetRecord& record = {});

// The header lines of the file, each without its line end.
std::string SiteLine(const GenerationParameters& parameters);
std::string DensityLine(const GenerationParameters& parameters, int32_t run_seed);
// One point line without its line end.
std::string PointLine(double x, double y);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_COORDINATE_FILE_H_
