// The R package's calls into the library's studies (generate/pattern_study.h,
// walk/walk_study.h) and its coordinate reader and writers. R/sparsim.R is
// the interface users see; it checks the types and hands over numbers as
// doubles, which go to the library as text: whole numbers in full, others
// as the shortest decimal that reads back to them (OptionText), as a
// command-line user would type them.
//
// The points are made on the pool's threads, which touch no R object but
// the matrices allocated for them beforehand; R's thread looks for an
// interrupt (R_CheckUserInterrupt, inside R_ToplevelExec so that it cannot
// jump over the pool) while they work, and an interrupt stops and joins
// them before it reaches R.

#include <Rcpp.h>

#include <algorithm>
#include <cmath>
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

namespace sparsim {
namespace {

bool Given(SEXP value) { return !Rf_isNull(value); }

std::string NumberText(double value) {
  if (std::trunc(value) == value && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<long long>(value));
  }
  return OptionText(value);
}

// One number, or several joined by commas ("x,y").
std::optional<std::string> Text(SEXP value) {
  if (!Given(value)) return std::nullopt;
  if (TYPEOF(value) == STRSXP) return Rcpp::as<std::string>(value);
  Rcpp::NumericVector numbers(value);
  std::string text;
  for (R_xlen_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) text += ",";
    text += NumberText(numbers[i]);
  }
  return text;
}

SetOptions SetOptionsOf(const Rcpp::List& o) {
  auto text = [&o](std::string_view name) { return Text(o[std::string(name)]); };
  auto flag = [&o](std::string_view name) -> std::optional<bool> {
    SEXP value = o[std::string(name)];
    if (!Given(value)) return std::nullopt;
    return Rcpp::as<bool>(value);
  };
  return SetOptionsFromNames({text, flag});
}

void CheckInterrupt(void*) { R_CheckUserInterrupt(); }

PoolPoll Poll(SEXP progress, int32_t total) {
  auto last = std::make_shared<int32_t>(-1);
  return [progress, total, last](int32_t finished) {
    if (R_ToplevelExec(CheckInterrupt, nullptr) == FALSE) return false;
    if (Given(progress) && finished != *last) {
      *last = finished;
      Rcpp::Function callback(progress);
      callback(finished, total);
    }
    return true;
  };
}

// Runs body, turning the library's failures into R's: a refused option or
// a bad file is an R error with the program's message, an interrupt an R
// interrupt.
template <typename Body>
void AsR(Body body) {
  try {
    body();
  } catch (const CommandFailure& failure) {
    throw Rcpp::exception(failure.what(), false);
  } catch (const ProgramEnd& end) {
    if (IsInterruptStatus(end.exit_status())) throw Rcpp::internal::InterruptedException();
    throw Rcpp::exception(end.report(), false);
  }
}

Rcpp::List Site(const GenerationParameters& p) {
  Rcpp::List site;
  if (p.shape == kCircle) {
    site["shape"] = "circle";
    site["centre"] = Rcpp::NumericVector{p.centre_x, p.centre_y};
    site["radius"] = p.site_radius;
  } else {
    site["shape"] = "rect";
    site["rect"] = Rcpp::NumericVector{p.x_min, p.y_min, p.x_max, p.y_max};
  }
  site["area"] = p.area;
  site["density"] = p.density;
  site["model"] = std::string(1, p.model);
  return site;
}

PatternRequest RequestOf(const Rcpp::List& options, SEXP seed, SEXP generator, SEXP nsim,
                         SEXP replicate, SEXP jobs) {
  PatternRequest request;
  request.set = SetOptionsOf(options);
  request.run = {Text(seed), Text(generator), Text(nsim), Text(replicate), Text(jobs)};
  return request;
}

ConstPointSpan SpanOf(const Rcpp::NumericVector& x, const Rcpp::NumericVector& y) {
  return {x.begin(), y.begin(), 1, static_cast<int64_t>(x.size())};
}

}  // namespace
}  // namespace sparsim

using namespace sparsim;

// The long-run warning of these options, or "" (checks them first).
// [[Rcpp::export(name = ".sparsim_check")]]
std::string SparsimCheck(Rcpp::List options, SEXP seed, SEXP generator, SEXP nsim,
                         SEXP replicate, SEXP jobs, bool allow_shared_stream) {
  std::string warning;
  AsR([&] {
    PatternRequest request = RequestOf(options, seed, generator, nsim, replicate, jobs);
    request.allow_shared_stream = allow_shared_stream;
    warning = PlanPatterns(request).warning;
  });
  return warning;
}

// Each set a matrix of x and y, allocated before the pool starts; with
// poisson, whose counts are drawn, in a buffer of its replicate's until R's
// thread makes its matrix.
// [[Rcpp::export(name = ".sparsim_generate")]]
Rcpp::List SparsimGenerate(Rcpp::List options, SEXP seed, SEXP generator, SEXP nsim,
                           SEXP replicate, SEXP jobs, bool allow_shared_stream, SEXP progress) {
  Rcpp::List result;
  AsR([&] {
    PatternRequest request = RequestOf(options, seed, generator, nsim, replicate, jobs);
    request.allow_shared_stream = allow_shared_stream;
    const PatternPlan plan = PlanPatterns(request);
    const bool poisson = plan.options.poisson;
    const int32_t count = plan.set.point_count;
    Rcpp::List sets(plan.run.replicates);
    std::vector<double*> data;
    std::vector<std::vector<double>> drawn(poisson ? static_cast<std::size_t>(plan.run.replicates)
                                                   : 0);
    for (int32_t k = 0; k < plan.run.replicates && !poisson; ++k) {
      Rcpp::NumericMatrix points(count, 2);
      Rcpp::colnames(points) = Rcpp::CharacterVector{"x", "y"};
      data.push_back(points.begin());
      sets[k] = points;
    }
    std::vector<SetOutcome> made = GeneratePatterns(
        plan,
        [&data, &drawn, count](int32_t k, int32_t points) {
          if (drawn.empty()) {
            double* at = data[static_cast<std::size_t>(k - 1)];
            return PointSpan{at, at + count, 1, points};
          }
          std::vector<double>& room = drawn[static_cast<std::size_t>(k - 1)];
          room.resize(2 * static_cast<std::size_t>(points) + 2);
          return PointSpan{room.data(), room.data() + points, 1, points};
        },
        Poll(progress, plan.run.replicates));
    for (std::size_t k = 0; k < drawn.size(); ++k) {
      Rcpp::NumericMatrix points(made[k].points, 2);
      Rcpp::colnames(points) = Rcpp::CharacterVector{"x", "y"};
      std::copy(drawn[k].begin(), drawn[k].begin() + 2 * made[k].points, points.begin());
      sets[k] = points;
    }
    std::vector<double> candidates;
    std::vector<int32_t> numbers;
    for (std::size_t k = 0; k < made.size(); ++k) {
      // The command line writes such a set and fails; here it is an error.
      if (made[k].exhausted) {
        throw Rcpp::exception(
            ExhaustedMessage(plan.run.Number(static_cast<int32_t>(k + 1)), made[k]).c_str(),
            false);
      }
      candidates.push_back(static_cast<double>(made[k].candidates));
      numbers.push_back(plan.run.Number(static_cast<int32_t>(k + 1)));
    }
    result = Rcpp::List::create(
        Rcpp::Named("points") = sets, Rcpp::Named("seeds") = Rcpp::wrap(plan.run.seeds),
        Rcpp::Named("candidates") = Rcpp::wrap(candidates),
        Rcpp::Named("site") = Site(plan.set.parameters), Rcpp::Named("run_seed") = plan.run.seed,
        Rcpp::Named("replicates") = Rcpp::wrap(numbers));
  });
  return result;
}

// [[Rcpp::export(name = ".sparsim_walk")]]
Rcpp::List SparsimWalk(Rcpp::NumericVector x, Rcpp::NumericVector y, SEXP max_step, SEXP steps,
                       SEXP seed, SEXP passes, SEXP generator, SEXP replicate, SEXP progress) {
  Rcpp::List result;
  AsR([&] {
    WalkRequest request;
    request.walk = {Text(max_step), Text(steps), Text(passes)};
    request.seed = Text(seed);
    request.generator = Text(generator);
    request.replicate = Text(replicate);
    const WalkPlan plan = PlanWalk(request);
    ConstPointSpan input = SpanOf(x, y);
    CheckWalkInput(input);
    const int32_t count = static_cast<int32_t>(input.count);
    Rcpp::List walked(plan.walk.passes);
    std::vector<double*> data;
    for (int32_t pass = 0; pass < plan.walk.passes; ++pass) {
      Rcpp::NumericMatrix points(count, 2);
      Rcpp::colnames(points) = Rcpp::CharacterVector{"x", "y"};
      data.push_back(points.begin());
      walked[pass] = points;
    }
    WalkInMemory(
        plan, input,
        [&data, count](int32_t pass) {
          double* at = data[static_cast<std::size_t>(pass - 1)];
          return PointSpan{at, at + count, 1, count};
        },
        Poll(progress, 1));
    result = Rcpp::List::create(Rcpp::Named("points") = walked, Rcpp::Named("seed") = plan.seed);
  });
  return result;
}

// [[Rcpp::export(name = ".sparsim_read_adf")]]
Rcpp::List SparsimReadAdf(std::string path) {
  Rcpp::List result;
  AsR([&] {
    CoordinateSet set = ReadCoordinateFile(path);
    Rcpp::NumericVector x(set.points.size());
    Rcpp::NumericVector y(set.points.size());
    for (std::size_t i = 0; i < set.points.size(); ++i) {
      x[i] = set.points[i].x;
      y[i] = set.points[i].y;
    }
    result = Rcpp::List::create(Rcpp::Named("x") = x, Rcpp::Named("y") = y,
                                Rcpp::Named("notes") = Rcpp::wrap(set.notes));
  });
  return result;
}

// The file of replicate `replicate` of a run of seed `seed`.
// [[Rcpp::export(name = ".sparsim_write_adf")]]
void SparsimWriteAdf(std::string path, Rcpp::List options, SEXP seed, SEXP generator,
                     SEXP replicate, Rcpp::NumericVector x, Rcpp::NumericVector y) {
  AsR([&] {
    const PatternPlan plan =
        PlanPatterns(RequestOf(options, seed, generator, R_NilValue, replicate, R_NilValue));
    if (plan.run.seed_from_clock) RefuseOption("seed: give the seed the points were made from");
    CheckPatternCount(plan, x.size());
    WriteFileAtomically(path, CoordinateText(plan, 1, SpanOf(x, y)));
  });
}

// [[Rcpp::export(name = ".sparsim_write_out")]]
void SparsimWriteOut(std::string path, Rcpp::NumericVector x, Rcpp::NumericVector y) {
  AsR([&] {
    ConstPointSpan span = SpanOf(x, y);
    CheckWalkInput(span);
    WriteFileAtomically(path, WalkedText(span));
  });
}
