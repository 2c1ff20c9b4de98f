#pragma once

#include <string>
#include <string_view>

// The conversions between the user's text and the experiment's numbers. They ignore the locale:
// the decimal separator is always '.', the minus sign always '-', and digits are never grouped.
// None of them keeps state; parseNumber and floorValue never throw.
namespace experiment {

// Reads the number at the start of `text` (UTF-8, or any bytes at all), or 0 when there is none.
//
// Contract:
// - Every blank, tab and line feed is dropped first, wherever it stands; any other byte that does
//   not fit the number's form ends the reading (a carriage return, U+3000, a full-width digit).
// - "&H" or "&O" (either case) reads the longest run of hexadecimal or octal digits after it.
//   A run worth at most FFFF is a signed 16-bit value ("&HFFFF" is -1, "&H8000" is -32768); one
//   worth at most FFFFFFFF a signed 32-bit value ("&HFFFFFFFF" is -1, "&H10000" is 65536); a
//   larger run its unsigned value, rounded to the nearest double (an infinity past the double
//   range). Leading zeros change nothing. A sign before the ampersand is not part of the form and
//   reads as 0; "&H" with no digit after it reads as 0.
// - Otherwise: optional sign, digits with at most one '.', optional exponent ('E' or 'D', either
//   case, optional sign, digits). The digits read are rounded to the nearest double, ties to even;
//   a value beyond the double range reads as an infinity, one below the smallest subnormal as 0.
//   An exponent letter with no digits after it is ignored.
// - No digit read: 0. The result is never NaN.
// Linear in the length of `text`; never reads outside it; throws nothing but std::bad_alloc.
double parseNumber(std::string_view text);

// The largest integral value not greater than `value`; infinities and NaN are returned unchanged.
double floorValue(double value) noexcept;

// `value` in sign-space form: '-' for a negative value, otherwise one blank, then
// - for an integral magnitude below 10^15, its decimal digits;
// - for a magnitude of 10^15 or more, 15 significant digits in exponent form ("1E+15",
//   "1.23456789012346E+20"), trailing zeros dropped;
// - for a value with a fraction below 10^15, up to 15 significant digits with a '.', no trailing
//   zeros and no leading zero before the '.' (" .5", "-2.25"); magnitudes below 10^-4 use the
//   exponent form ("1E-05");
// - for infinities " Infinity" and "-Infinity", for NaN " NaN".
std::string formatNumber(double value);

}  // namespace experiment
