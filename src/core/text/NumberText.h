#pragma once
// The number text of readouts, grids and files.

#include <string>

namespace ivra {

// N(v, d): fixed notation with d decimals after rounding to 8 significant
// digits; scientific notation when the integer part needs more than 8
// digits. decimalSeparator is the user's locale's ('.' in the batch tool).
std::string FloatToText(double value, int decimals, char decimalSeparator = '.');

} // namespace ivra
