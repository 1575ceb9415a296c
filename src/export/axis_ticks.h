// Tick marks for a picture's axes: steps of 1, 2 or 5 times a power of ten,
// placed on the multiples of the step that fall within the range.
//
// NiceStep(raw) is the smallest such step not below raw:
//   NiceStep(3) == 5, NiceStep(0.2) == 0.2, NiceStep(7) == 10, NiceStep(0.013) == 0.02
// ChooseTicks(low, high, target) takes NiceStep((high - low) / target):
//   ChooseTicks(0.3, 19.6, 4)  gives step 5 and the ticks 5, 10, 15
//   ChooseTicks(-1.2, 1.2, 5)  gives step 0.5 and -1, -0.5, 0, 0.5, 1
// TickLabel shows a tick with as many decimals as its step needs, and never
// "-0": TickLabel(-0.5, 0.5) == "-0.5", TickLabel(15, 5) == "15",
// TickLabel(0.25, 0.05) == "0.25"; from 1e7 on, and for steps below 1e-6,
// in the exponent form with the digits the step needs: TickLabel(3e30,
// 1e30) == "3e+30", TickLabel(2.5e-7, 5e-8) == "2.5e-07".
// Requires low < high, both finite, and target >= 1.

#ifndef SPARSIM_EXPORT_AXIS_TICKS_H_
#define SPARSIM_EXPORT_AXIS_TICKS_H_

#include <string>
#include <vector>

namespace sparsim {

struct AxisTicks {
  double step = 1;
  std::vector<double> values;
};

double NiceStep(double raw);
AxisTicks ChooseTicks(double low, double high, int target);
std::string TickLabel(double value, double step);

}  // namespace sparsim

#endif  // SPARSIM_EXPORT_AXIS_TICKS_H_
