// The Python module sparsim._sparsim: the library's studies (generate/
// pattern_study.h, walk/walk_study.h) and its coordinate reader and writers,
// over NumPy arrays. sparsim/__init__.py is the interface users see; it
// checks the types and hands over each option as None, a str (whole
// numbers, names) or a float, which is given to the library as the shortest
// decimal that reads back to it (OptionText), as a command-line user would
// type it.
//
// The interpreter is released while points are made; the calling thread
// looks for Ctrl-C (PyErr_CheckSignals) while the pool works, and a
// KeyboardInterrupt stops and joins the pool before it is raised.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/command_line.h"
#include "common/interrupt.h"
#include "common/program_end.h"
#include "dialogue/option_values.h"
#include "export/atomic_output.h"
#include "export/coordinate_reader.h"
#include "generate/pattern_study.h"
#include "walk/walk_study.h"

namespace py = pybind11;

namespace sparsim {
namespace {

using Points = py::array_t<double, py::array::c_style | py::array::forcecast>;

std::optional<std::string> Text(const py::handle& value) {
  if (value.is_none()) return std::nullopt;
  if (py::isinstance<py::float_>(value)) return OptionText(value.cast<double>());
  return value.cast<std::string>();
}

// "x,y" and "xmin,ymin,xmax,ymax" from a sequence of numbers.
std::optional<std::string> Joined(const py::handle& value) {
  if (value.is_none()) return std::nullopt;
  std::string text;
  for (const py::handle item : value) {
    if (!text.empty()) text += ",";
    text += *Text(item);
  }
  return text;
}

SetOptions SetOptionsOf(const py::dict& o) {
  // Pairs and corners come as sequences of numbers, the rest one by one.
  auto text = [&o](std::string_view name) {
    const py::object value = o[py::str(std::string(name))];
    return name == "centre" || name == "rect" ? Joined(value) : Text(value);
  };
  auto flag = [&o](std::string_view name) -> std::optional<bool> {
    const py::object value = o[py::str(std::string(name))];
    if (value.is_none()) return std::nullopt;
    return value.cast<bool>();
  };
  return SetOptionsFromNames({text, flag});
}

// The poll of the pool: Ctrl-C or an exception in progress stops the run,
// leaving the Python error set for Raise.
PoolPoll Poll(const py::object& progress, int32_t total) {
  auto last = std::make_shared<int32_t>(-1);
  return [progress, total, last](int32_t finished) {
    py::gil_scoped_acquire hold;
    if (PyErr_CheckSignals() != 0) return false;
    if (!progress.is_none() && finished != *last) {
      *last = finished;
      try {
        progress(finished, total);
      } catch (py::error_already_set& error) {
        error.restore();
        return false;
      }
    }
    return true;
  };
}

// Runs body with the interpreter released; an interrupt of the pool becomes
// the Python error that stopped it, or KeyboardInterrupt.
template <typename Body>
void Released(Body body) {
  try {
    py::gil_scoped_release release;
    body();
  } catch (const ProgramEnd& end) {
    if (!IsInterruptStatus(end.exit_status())) throw std::runtime_error(end.report());
    if (!PyErr_Occurred()) PyErr_SetNone(PyExc_KeyboardInterrupt);
    throw py::error_already_set();
  }
}

// The site and the set's density and model, as the file's header has them.
py::dict Site(const GenerationParameters& p) {
  py::dict site;
  if (p.shape == kCircle) {
    site["shape"] = "circle";
    site["centre"] = py::make_tuple(p.centre_x, p.centre_y);
    site["radius"] = p.site_radius;
  } else {
    site["shape"] = "rect";
    site["rect"] = py::make_tuple(p.x_min, p.y_min, p.x_max, p.y_max);
  }
  site["area"] = p.area;
  site["density"] = p.density;
  site["model"] = std::string(1, p.model);
  return site;
}

// The sets as one (replicates, n, 2) array; with poisson, whose counts
// differ, as a list of (n_k, 2) arrays.
py::tuple Generate(const py::dict& options, const py::object& seed, const py::object& generator,
                   const py::object& replicates, const py::object& replicate,
                   const py::object& jobs, bool allow_shared_stream, const py::object& progress) {
  PatternRequest request;
  request.allow_shared_stream = allow_shared_stream;
  request.set = SetOptionsOf(options);
  request.run = {Text(seed), Text(generator), Text(replicates), Text(replicate), Text(jobs)};
  const PatternPlan plan = PlanPatterns(request);
  if (!plan.warning.empty() && PyErr_WarnEx(PyExc_RuntimeWarning, plan.warning.c_str(), 2) != 0) {
    throw py::error_already_set();
  }
  const int32_t sets = plan.run.replicates;
  const bool poisson = plan.options.poisson;
  const py::ssize_t count = poisson ? 0 : plan.set.point_count;
  Points xy({static_cast<py::ssize_t>(poisson ? 0 : sets), count, py::ssize_t{2}});
  double* data = xy.mutable_data();
  // With poisson, each replicate's points until their arrays are made.
  std::vector<std::vector<double>> drawn(poisson ? static_cast<std::size_t>(sets) : 0);
  std::vector<SetOutcome> made;
  Released([&] {
    made = GeneratePatterns(
        plan,
        [data, count, &drawn](int32_t k, int32_t points) {
          if (drawn.empty()) {
            double* at = data + (k - 1) * count * 2;
            return PointSpan{at, at + 1, 2, points};
          }
          std::vector<double>& room = drawn[static_cast<std::size_t>(k - 1)];
          room.resize(2 * static_cast<std::size_t>(points) + 2);
          return PointSpan{room.data(), room.data() + 1, 2, points};
        },
        Poll(progress, sets));
  });
  std::vector<int64_t> candidates;
  std::vector<int32_t> numbers;
  for (std::size_t k = 0; k < made.size(); ++k) {
    // The command line writes such a set and fails; here it is an error.
    if (made[k].exhausted) {
      throw std::runtime_error(
          ExhaustedMessage(plan.run.Number(static_cast<int32_t>(k + 1)), made[k]));
    }
    candidates.push_back(made[k].candidates);
    numbers.push_back(plan.run.Number(static_cast<int32_t>(k + 1)));
  }
  py::object points = xy;
  if (poisson) {
    py::list each;
    for (std::size_t k = 0; k < made.size(); ++k) {
      Points one({static_cast<py::ssize_t>(made[k].points), py::ssize_t{2}});
      std::copy(drawn[k].begin(), drawn[k].begin() + 2 * made[k].points, one.mutable_data());
      each.append(one);
    }
    points = each;
  }
  return py::make_tuple(points, plan.run.seeds, candidates, Site(plan.set.parameters),
                        plan.run.seed, numbers);
}

ConstPointSpan SpanOf(const Points& points) {
  if (points.ndim() != 2 || points.shape(1) != 2) {
    throw py::value_error("points: must be an array of shape (n, 2), not " +
                          py::str(py::tuple(py::cast(std::vector<py::ssize_t>(
                                      points.shape(), points.shape() + points.ndim()))))
                              .cast<std::string>());
  }
  return {points.data(), points.data() + 1, 2, points.shape(0)};
}

py::tuple Walk(const Points& points, const py::object& max_step, const py::object& steps,
               const py::object& seed, const py::object& passes, const py::object& generator,
               const py::object& replicate, const py::object& progress) {
  ConstPointSpan input = SpanOf(points);
  WalkRequest request;
  request.walk = {Text(max_step), Text(steps), Text(passes)};
  request.seed = Text(seed);
  request.generator = Text(generator);
  request.replicate = Text(replicate);
  const WalkPlan plan = PlanWalk(request);
  CheckWalkInput(input);
  const py::ssize_t count = input.count;
  Points walked({static_cast<py::ssize_t>(plan.walk.passes), count, py::ssize_t{2}});
  double* data = walked.mutable_data();
  Released([&] {
    WalkInMemory(
        plan, input,
        [data, count](int32_t pass) {
          double* at = data + (pass - 1) * count * 2;
          return PointSpan{at, at + 1, 2, count};
        },
        Poll(progress, 1));
  });
  return py::make_tuple(walked, plan.seed);
}

py::tuple ReadAdf(const std::string& path) {
  CoordinateSet set;
  {
    py::gil_scoped_release release;
    set = ReadCoordinateFile(path);
  }
  Points xy({static_cast<py::ssize_t>(set.points.size()), py::ssize_t{2}});
  auto view = xy.mutable_unchecked<2>();
  for (std::size_t i = 0; i < set.points.size(); ++i) {
    view(static_cast<py::ssize_t>(i), 0) = set.points[i].x;
    view(static_cast<py::ssize_t>(i), 1) = set.points[i].y;
  }
  return py::make_tuple(xy, set.notes);
}

void WriteText(const std::string& path, const std::string& text) {
  py::gil_scoped_release release;
  WriteFileAtomically(path, text);
}

// The file of replicate `replicate` of a run of seed `seed`.
void WriteAdf(const std::string& path, const py::dict& options, const py::object& seed,
              const py::object& generator, const py::object& replicate, const Points& points) {
  ConstPointSpan span = SpanOf(points);
  PatternRequest request;
  request.set = SetOptionsOf(options);
  request.run = {Text(seed), Text(generator), std::nullopt, Text(replicate), std::nullopt};
  const PatternPlan plan = PlanPatterns(request);
  if (plan.run.seed_from_clock) RefuseOption("seed: give the seed the points were made from");
  CheckPatternCount(plan, span.count);
  WriteText(path, CoordinateText(plan, 1, span));
}

void WriteOut(const std::string& path, const Points& points) {
  ConstPointSpan span = SpanOf(points);
  CheckWalkInput(span);
  WriteText(path, WalkedText(span));
}

}  // namespace
}  // namespace sparsim

PYBIND11_MODULE(_sparsim, module) {
  module.doc() = "The sparsim library; use the sparsim package.";
  // A refused option is the command line's message; a file that cannot be
  // read or written, or holds a bad number, is an OSError with its message.
  py::register_exception_translator([](std::exception_ptr failure) {
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const sparsim::CommandFailure& error) {
      PyErr_SetString(error.exit_status() == sparsim::kExitUsage ? PyExc_ValueError
                                                                 : PyExc_OSError,
                      error.what());
    }
  });
  module.def("generate", &sparsim::Generate);
  module.def("walk", &sparsim::Walk);
  module.def("read_adf", &sparsim::ReadAdf);
  module.def("write_adf", &sparsim::WriteAdf);
  module.def("write_out", &sparsim::WriteOut);
}
