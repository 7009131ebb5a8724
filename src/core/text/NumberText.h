#pragma once
// The number text of readouts, grids and files.

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace ivra {

// The most decimals FloatToText writes; more are clamped to it.
constexpr int MaxTextDecimals = 18;

// N(v, d): fixed notation with d decimals after rounding to 8 significant
// digits; scientific notation when the integer part needs more than 8
// digits. decimalSeparator is the user's locale's ('.' in the batch tool).
//
// - The value is first rounded to 8 significant digits (correctly, from its
//   exact binary value, ties to even); digits beyond those 8 are zeros.
// - Fixed notation then rounds those digits to d decimals, a half going away
//   from zero: 0.125 with 2 decimals gives 0.13, -0.125 gives -0.13.
// - d is clamped to 0 .. MaxTextDecimals.
// - A result whose shown digits are all zero carries no minus sign.
// - Scientific notation (|v| rounds to 1E+08 or more) shows the 8 digits as
//   one digit, the separator, seven digits, "E", the exponent's sign and at
//   least two exponent digits: 1234567890123 gives 1.2345679E+12, 99999999.5
//   gives 1.0000000E+08. d does not apply to it.
// - NaN gives "NAN", infinities "INF" and "-INF".
std::string FloatToText(double value, int decimals, char decimalSeparator = '.');

// The general format: v rounded to `precision` significant digits (1 to 17,
// default 15) without trailing zeros; fixed notation when 0.00001 <= |v| and
// the integer part has at most `precision` digits, otherwise scientific as
// d.dddE+x (no exponent padding): 0.25 gives 0.25, 1 gives 1, 0.1f gives
// 0.100000001490116, 1.5e-6 gives 1.5E-6. NaN and infinities as FloatToText.
std::string FloatToGeneralText(double value, int precision = 15, char decimalSeparator = '.');

// The value as printf writes it with "%.*f", "%.*e" or "%.*g" in the "C"
// locale ('.' as the separator), whatever locale the process runs in: the
// text of messages and the digits the other routines here start from.
std::string CLocaleText(double value, std::chars_format format, int precision);

// Reads a number typed by a user or written in a file: optional blanks, an
// optional sign, digits with either "." or "," as the decimal separator (at
// least one digit), an optional exponent (E or e, optional sign, digits),
// optional blanks. Anything else (empty text, a lone separator, letters,
// "nan", "inf", thousands separators) is not a number: returns false and
// leaves value alone. Out-of-range exponents give +-inf or 0 as the nearest
// double, true.
bool TextToFloat(std::string_view text, double& value);

// Reads a whole number: optional blanks, optional sign, decimal digits,
// optional blanks, within 64 bits. Returns false otherwise.
bool TextToInteger(std::string_view text, std::int64_t& value);

} // namespace ivra
