#include "generate/scan_kernels.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "numeric/random.h"

namespace sparsim {
namespace {

// Tables with random bits, each set with probability about density.
RefusalTables RandomTables(std::mt19937& pick, double density) {
  std::bernoulli_distribution bit(density);
  auto fill = [&](uint32_t* words, size_t count) {
    for (size_t w = 0; w < count; ++w) {
      uint32_t word = 0;
      for (int b = 0; b < 32; ++b) word |= static_cast<uint32_t>(bit(pick)) << b;
      words[w] = word;
    }
  };
  RefusalTables t;
  fill(t.columns.data(), t.columns.size());
  fill(t.rows.data(), t.rows.size());
  fill(t.blocks.data(), t.blocks.size());
  fill(t.cells.data(), t.cells.size());
  return t;
}

// Every kernel sets exactly the bits the header defines, computed here one
// candidate (or attempt) at a time from single jumps.
TEST(ScanKernels, SetTheBitsOfTheirDefinition) {
  std::mt19937 pick(2024);
  constexpr int64_t kWords = 6;
  int passed = 0;
  int near_rim = 0;
  for (int trial = 0; trial < 24; ++trial) {
    RefusalTables t = RandomTables(pick, trial % 3 == 0 ? 0.97 : trial % 3 == 1 ? 0.7 : 0.3);
    auto start = static_cast<uint32_t>(pick());
    DiscLimits disc = DiscLimits::ForBand(trial % 2 == 0 ? 3 : 0x1p29);
    for (ScanKernel kernel : {ScanKernel::kPortable, ScanKernel::kAvx512, ScanKernel::kAvx2}) {
      if (!ScanKernelAvailable(kernel)) continue;
      SCOPED_TRACE(::testing::Message()
                   << "trial " << trial << " kernel " << static_cast<int>(kernel));
      std::array<uint64_t, kWords> passes{};
      ScanRectangle(kernel, t, start, kWords, passes.data());
      for (int64_t k = 0; k < 64 * kWords; ++k) {
        uint32_t state = RandomJump::Steps(3 * k).Apply(start);
        bool expected =
            t.Passes(RandomJump::Steps(1).Apply(state), RandomJump::Steps(2).Apply(state));
        passed += expected;
        ASSERT_EQ(((passes[static_cast<size_t>(k / 64)] >> (k % 64)) & 1) != 0, expected) << k;
      }
      std::array<uint64_t, kWords> inside{};
      std::array<uint64_t, kWords> looks{};
      ScanCircle(kernel, t, disc, start, kWords, inside.data(), looks.data());
      for (int64_t p = 0; p < 64 * kWords; ++p) {
        uint32_t state = RandomJump::Steps(p).Apply(start);
        uint32_t x = RandomJump::Steps(1).Apply(state);
        uint32_t y = RandomJump::Steps(2).Apply(state);
        int place = disc.Classify(x, y);
        near_rim += place == 0;
        bool look = place == 0 || (place < 0 && t.Passes(x, y));
        auto word = static_cast<size_t>(p / 64);
        ASSERT_EQ(((inside[word] >> (p % 64)) & 1) != 0, place < 0) << p;
        ASSERT_EQ(((looks[word] >> (p % 64)) & 1) != 0, look) << p;
      }
    }
  }
  EXPECT_GT(passed, 1000);
  EXPECT_GT(near_rim, 100);
}

// SPARSIM_KERNEL forces a kernel the machine has; any other text, or a
// kernel it lacks, is an error, and kAuto then takes the fastest.
TEST(ScanKernels, ForcedByTheEnvironment) {
  struct Case {
    const char* value;  // nullptr: unset
    ScanKernel kernel;
  };
  const Case cases[] = {{nullptr, ScanKernel::kAuto},      {"", ScanKernel::kAuto},
                        {"auto", ScanKernel::kAuto},       {"portable", ScanKernel::kPortable},
                        {"avx2", ScanKernel::kAvx2},       {"avx512", ScanKernel::kAvx512},
                        {"AVX2", ScanKernel::kAuto},       {"sse2", ScanKernel::kAuto},
                        {"portable ", ScanKernel::kAuto}};
  const char* saved = std::getenv("SPARSIM_KERNEL");
  std::string saved_value = saved != nullptr ? saved : "";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value != nullptr ? c.value : "(unset)");
    if (c.value == nullptr) {
      unsetenv("SPARSIM_KERNEL");
    } else {
      setenv("SPARSIM_KERNEL", c.value, 1);
    }
    bool known = c.value == nullptr || ScanKernelNamed(c.value).has_value() || *c.value == '\0';
    bool usable = known && ScanKernelAvailable(c.kernel);
    std::string error;
    ScanKernel forced = KernelFromEnvironment(&error);
    EXPECT_EQ(error.empty(), usable) << error;
    EXPECT_EQ(forced, usable ? c.kernel : ScanKernel::kAuto);
    EXPECT_EQ(DefaultScanKernel(), forced == ScanKernel::kAuto ? BestScanKernel() : forced);
    if (known && c.value != nullptr && *c.value != '\0') {
      EXPECT_STREQ(ScanKernelName(c.kernel), c.value);
    }
  }
  if (saved != nullptr) {
    setenv("SPARSIM_KERNEL", saved_value.c_str(), 1);
  } else {
    unsetenv("SPARSIM_KERNEL");
  }
}

// The disc of radius 2^31 around (2^31, 2^31) in states: an attempt called
// inside or outside is so, by more than the band, in exact integers; and
// the uncertain ring stays narrow.
TEST(DiscLimits, ClassifyOnlyWhatIsSureAndLittleElse) {
  struct Case {
    double band;
    double narrow;  // attempts farther than this from the rim are classified
  };
  const Case cases[] = {{3, 4096}, {1000, 8192}, {0x1p24, 0x1p24 + 8192}};
  std::mt19937_64 pick(5);
  for (const Case& c : cases) {
    DiscLimits disc = DiscLimits::ForBand(c.band);
    for (int k = 0; k < 200000; ++k) {
      // Half the points near the rim, the others anywhere.
      uint32_t x_state = static_cast<uint32_t>(pick());
      uint32_t y_state = static_cast<uint32_t>(pick());
      if (k % 2 == 0) {
        double angle = std::uniform_real_distribution<double>(0, 6.283185307179586)(pick);
        double r = 0x1p31 + std::uniform_real_distribution<double>(-2, 2)(pick) * c.narrow;
        x_state = static_cast<uint32_t>(std::clamp(0x1p31 + r * std::cos(angle), 0.0, 0x1p32 - 1));
        y_state = static_cast<uint32_t>(std::clamp(0x1p31 + r * std::sin(angle), 0.0, 0x1p32 - 1));
      }
      int64_t dx = static_cast<int64_t>(x_state) - (int64_t{1} << 31);
      int64_t dy = static_cast<int64_t>(y_state) - (int64_t{1} << 31);
      auto square = static_cast<uint64_t>(dx * dx) + static_cast<uint64_t>(dy * dy);
      double distance = std::sqrt(static_cast<double>(square));
      int place = disc.Classify(x_state, y_state);
      auto inner = static_cast<uint64_t>(0x1p31 - c.band);
      auto outer = static_cast<uint64_t>(0x1p31 + c.band);
      int exact_place = square < inner * inner ? -1 : square > outer * outer ? 1 : 0;
      ASSERT_EQ(disc.ClassifyExactly(x_state, y_state), exact_place);
      if (place < 0) {
        ASSERT_LT(square, inner * inner) << x_state << " " << y_state;
      }
      if (place > 0) {
        ASSERT_GT(square, outer * outer) << x_state << " " << y_state;
      }
      if (std::fabs(distance - 0x1p31) > c.narrow) {
        ASSERT_NE(place, 0) << x_state << " " << y_state;
      }
    }
  }
  // A band as wide as the disc leaves every attempt to the exact test.
  EXPECT_EQ(DiscLimits::ForBand(0x1p31).Classify(1u << 31, 1u << 31), 0);
  EXPECT_EQ(DiscLimits::ForBand(0x1p31).Classify(0, 0), 0);
}

}  // namespace
}  // namespace sparsim
