#include "walk/walk_step.h"

#include <cmath>
#include <cstring>

#include "numeric/extended_arithmetic.h"
#include "numeric/extended_constants.h"
#include "numeric/random.h"

namespace sparsim {
namespace {

#if defined(__x86_64__) || defined(__i386__)
constexpr bool kHasX87 = true;
#else
constexpr bool kHasX87 = false;
#endif

// The generator states whose step angles the start-up check tries: both
// ends of the range, the quarter turns where the sine or cosine passes 0,
// and a few from the generator's sequence.
constexpr uint32_t kCheckedStates[] = {
    0u,          1u,          0x3fffffffu, 0x40000000u, 0x40000001u, 0x7fffffffu, 0x80000000u,
    0x80000001u, 0xbfffffffu, 0xc0000000u, 0xc0000001u, 0xfffffffeu, 0xffffffffu, 134775814u,
    3698175007u, 870078620u,  1655067934u, 4160191484u, 0x12345678u, 0x9abcdef0u};

bool CheckFastSineCosine() {
  if (!kHasX87) return false;
  for (uint32_t state : kCheckedStates) {
    double angle = StepAngle(RandomValue(state));
    SineCosine fast = FastSineCosine(angle);
    // A quarter of the bound, so that an instruction that only just
    // passes here is not trusted with the full range.
    if (!(fabsl(fast.sine - sinl(angle)) <= kSineCosineBound / 4) ||
        !(fabsl(fast.cosine - cosl(angle)) <= kSineCosineBound / 4)) {
      return false;
    }
  }
  return true;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

double MovedByLibraryValue(double coordinate, long double value, double length) {
  // The library's value at the x87's precision, as an x87 computes it.
  return static_cast<double>(
      ExtendedAdd(coordinate, ExtendedMultiply(RoundToExtended(value, 0), length)));
}

inline int Step(double& x, double& y, double max_step, int32_t& rand_seed) {
  double length = static_cast<double>(ExtendedMultiply(Random(rand_seed), max_step));
  double angle = StepAngle(Random(rand_seed));
  if (!FastSineCosineAvailable()) {
    x = MovedByLibraryValue(x, sinl(angle), length);
    y = MovedByLibraryValue(y, cosl(angle), length);
    return 2;
  }
  SineCosine fast = FastSineCosine(angle);
  int calls = 0;
  double moved = 0;
  if (MoveSettled(x, fast.sine, length, moved)) {
    x = moved;
  } else {
    x = MovedByLibraryValue(x, sinl(angle), length);
    ++calls;
  }
  if (MoveSettled(y, fast.cosine, length, moved)) {
    y = moved;
  } else {
    y = MovedByLibraryValue(y, cosl(angle), length);
    ++calls;
  }
  return calls;
}

}  // namespace

double StepAngle(long double random) {
  return static_cast<double>(ExtendedMultiply(random * 2, kPi));
}

bool FastSineCosineAvailable() {
  static const bool available = CheckFastSineCosine();
  return available;
}

SineCosine FastSineCosine(double angle) {
  SineCosine result;
#if defined(__x86_64__) || defined(__i386__)
  long double sine = 0;
  long double cosine = 0;
  // fsincos replaces st(0) by the sine and pushes the cosine.
  asm("fsincos" : "=t"(cosine), "=u"(sine) : "0"(static_cast<long double>(angle)));
  result.sine = sine;
  result.cosine = cosine;
#else
  result.sine = sinl(angle);
  result.cosine = cosl(angle);
#endif
  return result;
}

bool MoveSettled(double coordinate, long double estimate, double length, double& moved) {
  // Both ends are exact but for a rounding of at most 2^-64 when a sum
  // crosses a power of 2, far inside the bound's margin.
  double low = MovedByLibraryValue(coordinate, estimate - kSineCosineBound, length);
  double high = MovedByLibraryValue(coordinate, estimate + kSineCosineBound, length);
  // NaN never settles, and neither does 0, whose sign the ends may not tell.
  if (!SameBits(low, high) || low == 0 || low != low) return false;
  moved = low;
  return true;
}

void RandomStep(double& x, double& y, double max_step, int32_t& rand_seed) {
  Step(x, y, max_step, rand_seed);
}

int RandomStepCountingCalls(double& x, double& y, double max_step, int32_t& rand_seed) {
  return Step(x, y, max_step, rand_seed);
}

namespace {

void ReferenceStep(double& x, double& y, double max_step, long double first, long double second) {
  double length = static_cast<double>(ExtendedMultiply(first, max_step));
  double angle = static_cast<double>(ExtendedMultiply(second * 2, kPi));
  x = MovedByLibraryValue(x, sinl(angle), length);
  y = MovedByLibraryValue(y, cosl(angle), length);
}

}  // namespace

void RandomStepReference(double& x, double& y, double max_step, int32_t& rand_seed) {
  long double first = Random(rand_seed);
  ReferenceStep(x, y, max_step, first, Random(rand_seed));
}

void RandomStep(double& x, double& y, double max_step, Generator& generator) {
  if (generator.is_lcg()) {
    int32_t state = generator.lcg_state();
    Step(x, y, max_step, state);
    generator.SkipLcg(2);
    return;
  }
  long double first = generator.Next();
  ReferenceStep(x, y, max_step, first, generator.Next());
}

}  // namespace sparsim
