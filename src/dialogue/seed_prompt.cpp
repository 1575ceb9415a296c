#include "dialogue/seed_prompt.h"

#include "dialogue/numeric_prompts.h"
#include "numeric/number_format.h"
#include "numeric/random.h"

namespace sparsim {

void AskSeed(Console& console, int32_t& rand_seed) {
  rand_seed = AskInteger(console, "Random Generator Seed (0 to set from clock)", -2147483647,
                         2147483647, "0");
  if (rand_seed == 0) Randomize(rand_seed);
}

void ShowSeed(Console& console, int32_t rand_seed) {
  console.out.WriteLine("Random Seed: " + FormatInteger(rand_seed, 0));
}

}  // namespace sparsim
