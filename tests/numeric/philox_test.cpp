#include "numeric/philox.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "numeric/generator.h"

namespace sparsim {
namespace {

TEST(PhiloxBlock, PublishedKnownAnswers) {
  // The philox4x64-10 lines of Random123's kat_vectors.
  struct Case {
    PhiloxCounter counter;
    PhiloxKey key;
    PhiloxCounter words;
  };
  const uint64_t ones = ~uint64_t{0};
  const Case cases[] = {
      {{0, 0, 0, 0},
       {0, 0},
       {0x16554d9eca36314c, 0xdb20fe9d672d0fdc, 0xd7e772cee186176b, 0x7e68b68aec7ba23b}},
      {{ones, ones, ones, ones},
       {ones, ones},
       {0x87b092c3013fe90b, 0x438c3c67be8d0224, 0x9cc7d7c69cd777b6, 0xa09caebf594f0ba0}},
      {{0x243f6a8885a308d3, 0x13198a2e03707344, 0xa4093822299f31d0, 0x082efa98ec4e6c89},
       {0x452821e638d01377, 0xbe5466cf34e90c6c},
       {0xa528f45403e61d95, 0x38c72dbd566e9788, 0xa5a1610e72fd18b5, 0x57bd43b5e52b7fe6}},
  };
  for (const Case& c : cases) EXPECT_EQ(PhiloxBlock(c.counter, c.key), c.words);
}

TEST(PhiloxStream, CountsFromOneAndCarriesThroughTheWholeCounter) {
  // NumPy's order: the counter is raised before each block, words 0..3 in
  // turn, and the next block follows.
  PhiloxStream stream(5, 7);
  for (uint64_t block = 1; block <= 3; ++block) {
    PhiloxCounter expected = PhiloxBlock({block, 0, 0, 0}, {5, 7});
    for (uint64_t word : expected) EXPECT_EQ(stream.NextWord(), word) << block;
  }
  // The first word, 0x02f4ba6408e4d89b under the key 0, is NumPy's
  // Philox(key=0).random_raw(); its top 53 bits give the real.
  PhiloxStream zero(0, 0);
  EXPECT_EQ(zero.NextReal(), static_cast<double>(0x02f4ba6408e4d89bu >> 11) * 0x1p-53);
}

TEST(PhiloxStream, SeekGoesBackOrOnToAnyWord) {
  // The words from 0 on, drawn in turn; then seeks from several places to
  // positions inside a block, at block and pair edges, and far ahead.
  PhiloxStream straight(11, 2);
  std::vector<uint64_t> words(1100);
  for (uint64_t& word : words) word = straight.NextWord();
  struct Case {
    uint64_t from;
    uint64_t to;
  };
  const Case cases[] = {{0, 0},   {5, 0},  {5, 3},  {9, 8},    {8, 1},   {16, 7},
                        {3, 12},  {3, 16}, {17, 9}, {40, 1000}, {1000, 1}, {0, 999}};
  for (const Case& c : cases) {
    PhiloxStream stream(11, 2);
    for (uint64_t i = 0; i < c.from; ++i) stream.NextWord();
    stream.Seek(c.to);
    for (uint64_t i = c.to; i < c.to + 20; ++i) {
      ASSERT_EQ(stream.NextWord(), words[i]) << "from " << c.from << " to " << c.to << ": " << i;
    }
  }
}

// Reals from numpy.random.Generator(numpy.random.Philox(key=...)).random(),
// read back from their exact hexadecimal form.
std::string NumpyReals(const std::string& keys, int count) {
  const char* python = "/usr/bin/python3";
  if (access(python, X_OK) != 0) return "";
  std::string command = std::string(python) +
                        " -c 'import numpy as np\n"
                        "for s, k in [" +
                        keys +
                        "]:\n"
                        "  g = np.random.Generator(np.random.Philox(key=(s % 2**64) + (k << 64)))\n"
                        "  print(\" \".join(float(v).hex() for v in g.random(" +
                        std::to_string(count) + ")))' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string out;
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  return pclose(pipe) == 0 ? out : "";
}

TEST(Generator, PhiloxDrawsAreNumpysForEveryReplicateKey) {
  struct Key {
    int64_t seed;
    uint64_t replicate;
  };
  const Key keys[] = {{0, 0}, {1, 0}, {1, 1}, {-1, 98}, {2147483647, 12345}, {-2147483647, 3}};
  constexpr int kDraws = 9;  // crosses two block boundaries
  std::string list;
  for (const Key& k : keys) {
    list += "(" + std::to_string(k.seed) + ", " + std::to_string(k.replicate) + "),";
  }
  std::string reals = NumpyReals(list, kDraws);
  if (reals.empty()) GTEST_SKIP() << "/usr/bin/python3 with numpy is missing: NumPy not compared";
  std::istringstream lines(reals);
  for (const Key& k : keys) {
    std::string line;
    ASSERT_TRUE(std::getline(lines, line)) << reals;
    std::istringstream words(line);
    Generator g = Generator::Philox(k.seed, k.replicate);
    for (int i = 0; i < kDraws; ++i) {
      std::string hex;
      ASSERT_TRUE(words >> hex) << line;
      EXPECT_EQ(g.Next(), static_cast<long double>(std::strtod(hex.c_str(), nullptr)))
          << "key (" << k.seed << ", " << k.replicate << ") draw " << i;
    }
    EXPECT_EQ(g.draws(), kDraws);
  }
}

}  // namespace
}  // namespace sparsim
