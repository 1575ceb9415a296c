// The files of sparsim generate and sparsim walk: the program's own text
// turned into the format asked for, and written whole or not at all.

#ifndef SPARSIM_SHELL_OUTPUT_FILES_H_
#define SPARSIM_SHELL_OUTPUT_FILES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/point_text.h"
#include "shell/output_plan.h"

namespace sparsim {

// The content of a file in format, from the program's own text of the set
// (".ADF" or ".OUT" bytes), through the exporter's writers; name is the
// file's name for the SVG caption and centre the centre of a circular site
// (which the .ADF header does not record) for the SVG outline and the
// GeoJSON site polygon.
std::string RenderOutput(OutputFormat format, const std::string& native_text,
                         const std::string& name, std::optional<Point> centre);

// A replicate's share of a file of all replicates (OutputPlan::combined),
// from the program's own text of its set or pass: its lines of the table
// "replicate,seed,x,y", or its GeoJSON Point features.
std::string RenderReplicatePart(OutputFormat format, const std::string& native_text,
                                const std::string& name, int32_t replicate, int32_t seed);

// The file of all replicates from their parts, in replicate order; the
// GeoJSON collection ends with the site that site_text (the program's own
// text of a set) records, and centre places a circle.
std::string JoinReplicateParts(OutputFormat format, const std::vector<std::string>& parts,
                               const std::string& site_text, std::optional<Point> centre);

// Writes a finished file: to a temporary name, then renamed. An existing
// file is replaced only when force is set.
void WriteOutputFile(const std::string& name, const std::string& content, bool force);

}  // namespace sparsim

#endif  // SPARSIM_SHELL_OUTPUT_FILES_H_
