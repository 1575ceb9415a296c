// Option values of the command lines and the bindings, converted as the
// dialogue converts the same answer, so that a value means the same thing
// whichever way it is given.
//
// A value outside its range is refused with the option, the value and the
// rule; text that is no number says why:
//   RealOption("--circle", "-3", 0, 1e30, "from 0 to 1e30")
//     throws CommandFailure(1, "--circle -3: must be from 0 to 1e30")
//   IntegerOption("--points", "20000", 1, 10000)
//     throws CommandFailure(1, "--points 20000: must be from 1 to 10000")
//   IntegerOption("--seed", "3000000000", -2147483647, 2147483647)
//     throws CommandFailure(1, "--seed 3000000000: must be from -2147483647 to 2147483647")
//   IntegerOption("--points", "2.5", 1, 10000)
//     throws CommandFailure(1, "--points 2.5: must be a whole number from 1 to 10000")
//   IntegerOption("--points", "3OO", 1, 10000)
//     throws CommandFailure(1, "--points 3OO: not a number (bad character \"O\")")
//
// The packages hand their numbers over as text too, each double as the
// shortest decimal that reads back to it (OptionText), so that a value given
// to sparsim.generate or sparsim_generate is converted from the very text a
// command-line user types for it, and gives the same set:
//   OptionText(20) == "20", OptionText(0.1) == "0.1",
//   OptionText(1e30) == "1e+30", OptionText(-2.5e-07) == "-2.5e-07"

#ifndef SPARSIM_DIALOGUE_OPTION_VALUES_H_
#define SPARSIM_DIALOGUE_OPTION_VALUES_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace sparsim {

// A real option required to lie from low to high (rule says so in words).
double RealOption(const std::string& option, const std::string& text, double low, double high,
                  const std::string& rule);

// An integer option from low to high.
int32_t IntegerOption(const std::string& option, const std::string& text, int32_t low,
                      int32_t high);

// Why a text is not a number, from the error position of its conversion:
// "not a number (bad character "O")" for 3OO, "not a number (it stops
// short)" for 1e.
std::string NotANumberReason(std::size_t error_position, const std::string& converted);

// The shortest decimal text of value that reads back to it (std::to_chars);
// "nan", "inf" and "-inf" for the values that are no number, which every
// option refuses.
std::string OptionText(double value);

// Refuses an option's value: throws CommandFailure with status 1 (usage).
[[noreturn]] void RefuseOption(const std::string& message);

}  // namespace sparsim

#endif  // SPARSIM_DIALOGUE_OPTION_VALUES_H_
