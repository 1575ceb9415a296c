// The header of a coordinate file as the generation mode writes it: a circle
// of diameter 20, 3 points, contagious around 2 seeds of radius 2.5, conic
// model, seed 12345.

#ifndef SPARSIM_TESTS_SUPPORT_SAMPLE_FILES_H_
#define SPARSIM_TESTS_SUPPORT_SAMPLE_FILES_H_

#include <string>

namespace sparsim {

inline const std::string kExampleAdfHeader =
    "3 #Points# 2 #Coordinates#\r\n"
    "# Site Diameter  20.00;  Area   314.16 #\r\n"
    "#Density:   0.0095;  Model C;  Random Seed: 12345 #\r\n"
    "# Radius or S.D.  2.5000;  Cluster Seeds 2 #\r\n";

}  // namespace sparsim

#endif  // SPARSIM_TESTS_SUPPORT_SAMPLE_FILES_H_
