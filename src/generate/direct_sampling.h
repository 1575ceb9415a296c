// Direct sampling of a set around its seeds, for the Philox generator: the
// same distribution as the dialogue's rejection from the whole site, at a
// cost that follows the number of points instead of the site's area.
//
// The dialogue keeps a candidate uniform over the site with probability
// min(1, S(x)), S(x) the sum over the seeds of the model value at the
// candidate's distance (generate/sampling.h, ModelValue): its points have
// the density min(1, S(x)) over the site. Here a proposal picks a seed
// uniformly and an offset from the seed's kernel: the seed's model value
// capped at 1, as a density over the plane (only the normal model's values
// pass 1, for a standard deviation below 0.399). The proposals then have
// the density T(x) (up to a constant), T the sum of the capped values, and
// one kept with probability min(1, S(x)) / T(x) has the density
// min(1, S(x)). S(x) is the full sum over every seed, each value as
// ModelValue gives it; the dialogue stops adding once its sum reaches 1,
// which changes neither min(1, S) nor its decisions. Where no value passes
// 1, T is S and the ratio is min(1, S) / S.
//
// Each proposal takes its Philox draws in this order:
//   1. the seed, i = 1 + floor(u x seed_count), only when seed_count > 1;
//   2. the offset from the seed, by the kernel of the model (R the cluster
//      radius or standard deviation). A disc point is a pair a = 2u1 - 1,
//      b = 2u2 - 1, drawn again until 0 < s = a^2 + b^2 < 1:
//        uniform     R (a, b)
//        hemisphere  R (a, b), the triple (a, b, c = 2u3 - 1) drawn again
//                    until a^2 + b^2 + c^2 < 1 (the ball's projection)
//        conic       R t (a, b) / sqrt(s), t the median of three more draws
//                    (the law 6t(1 - t) of the cone's distance)
//        normal      R sqrt(-2 ln s / s) (a, b), the disc point drawn again
//                    while s < e^-10 (the polar method, cut where the model
//                    is: d^2 / 2R^2 > 10). Where the peak P = 1 / (R
//                    sqrt(2 pi)) passes 1, the capped kernel is flat out to
//                    E0 = ln P (E = d^2 / 2R^2): a draw u picks the flat
//                    disc when u (E0 + 1 - P e^-10) < E0, giving
//                    R sqrt(2 E0) (a, b), else the tail,
//                    R sqrt(2 (E0 - ln s) / s) (a, b) with s >= P e^-10;
//                    from E0 >= 10 on, the kernel is the disc
//                    R sqrt(20) (a, b);
//        sinusoid    R (a, b), the disc point and one more draw u taken
//                    again until u < (cos(pi R sqrt(s) / site radius) + 1) / 2
//      a radius of 0 (or a sinusoid's site radius of 0) is the seed itself
//      and takes no draw. The offset and the point (seed + offset) are
//      computed in double arithmetic alone, the logarithm and cosine by
//      numeric/portable_math.h, so that the points are the same bits on
//      every machine;
//   3. nothing for a proposal outside the site (it is dropped: back to 1);
//   4. the acceptance draw, only when min(1, S(x)) < T(x): kept when
//      u x T(x) < min(1, S(x)) (a double product). Where the two are
//      certainly equal (the point well inside its kernel, and no other seed
//      near, or too few for a sum to pass 1), they are not computed.
// The uncapped normal kernel's proposals are drawn ahead in small batches,
// so that their logarithms overlap; the generator goes back to where a
// proposal's own draws ended when it needs the acceptance draw, and at the
// set's last point, so the draws and points are the ones described above.
// Sets without area (a point or a line for a site) and sets whose kernel is
// a point mass while the site has area are sampled by the dialogue's
// rejection from the site, with Philox draws. With whole_site (the csr
// option) every point is uniform over the site: the site sampler's draws
// (two for a rectangle; attempts of two for a circle) and no acceptance draw.
//
// Example:
//   Generator g = Generator::Philox(2024, 0);
//   PlaceClusterSeeds(p, seeds, state, g);   // with Philox draws
//   int64_t proposals = FillPointStoreDirect(console, p, seeds, state, g, false);
//   // state.store holds state.point_count points; proposals counts every
//   // proposal, dropped or kept.

#ifndef SPARSIM_GENERATE_DIRECT_SAMPLING_H_
#define SPARSIM_GENERATE_DIRECT_SAMPLING_H_

#include <cstdint>

#include "common/program_state.h"
#include "dialogue/console.h"
#include "generate/generation_parameters.h"
#include "generate/sampling.h"
#include "numeric/generator.h"

namespace sparsim {

// Fills the store from the seeds' points (when used as points) up to
// state.point_count, showing every tenth count as FillPointStore does.
// Returns the number of proposals drawn.
int64_t FillPointStoreDirect(Console& console, const GenerationParameters& parameters,
                             const ClusterSeeds& seeds, ProgramState& state, Generator& generator,
                             bool whole_site);

}  // namespace sparsim

#endif  // SPARSIM_GENERATE_DIRECT_SAMPLING_H_
