// Reading a coordinate file for export, through the program's data-file
// number reader (numeric/data_reader.h) and its rules: the point count, the
// number of coordinates (which must be 2), then X and Y of each point, with
// blanks, commas and '#' comments between them. ".ADF" files, ".OUT" files
// and hand-made lists all read alike; the ".ADF" header facts are read from
// the same text (export/header_facts.h).
//
// The reader asks questions on a bad number; here nobody answers them, so it
// is given answers that end the reading, and the failure is reported with the
// file, the line and the token instead, as an ExportFailure with status 2:
//   "SITE.ADF:7: \"12a4\" is not a number (bad character \"a\"); it should be the X of point 4"
//   "SITE.OUT:3: the file ends where the Y of point 2 should be"
//   "LIST.TXT:1: the points have \"3\" coordinates; only 2 can be exported"
// A negative count and a count or dimension that is not a whole number fail
// the same way. Every character of a number counts, however long it is
// (the walk's reading keeps 32).
//
// The tables the program writes are read too: a first line "x,y" (sparsim
// export --csv, generate --format csv), or "replicate,seed,x,y" (several
// replicates in one file, of which one can be read: a second replicate
// fails), then one line of fields a point. Their numbers are read as the
// nearest double, so that a table's numbers come back exactly:
//   "x,y\n0.30000000000000004,-2\n"  gives the point (0.30000000000000004, -2)
//   "T.CSV:3: \"1.5.2\" is not a number; it should be the X of point 2"
//   "T.CSV:4: replicate 2 follows replicate 1; one replicate can be read at a time"
//
// As in the walk mode, reading stops after the announced number of points or
// at the end of the data. What the walk would carry on with becomes a note
// (for standard error) and the export goes on:
//   "SITE.ADF: the file announces 5 points and holds 3"
//   "SITE.ADF:9: more numbers follow the 3 announced points; they are not exported"
//   "SITE.ADF:6: point 2 has a missing coordinate (\"?\") and is left out"

#ifndef SPARSIM_EXPORT_COORDINATE_READER_H_
#define SPARSIM_EXPORT_COORDINATE_READER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "export/header_facts.h"
#include "export/point_text.h"

namespace sparsim {

struct CoordinateSet {
  std::string name;  // as shown in messages
  std::vector<Point> points;
  HeaderFacts facts;
  int32_t announced = 0;
  std::vector<std::string> notes;
};

// content is the whole file; name is used in messages.
CoordinateSet ReadCoordinates(const std::string& content, const std::string& name);

// True when content begins with the header line of a table ("x,y" or
// "replicate,seed,x,y", in any case, CR LF or LF).
bool IsPointTable(const std::string& content);

// Reads the file at path ("-" for standard input) whole, then as above. A
// file that cannot be read fails with status 2: "NAME: No such file or directory".
CoordinateSet ReadCoordinateFile(const std::string& path);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_COORDINATE_READER_H_
