#pragma once
// Text forms of the numbers and booleans stored in pref.ini. The decimal separator is ",".
// Every failed conversion raises EConvertError whose text names the offending value.

#include <cstdint>
#include <string>

// A decimal integer with an optional "+" or "-", inside the 32-bit signed range. Nothing else is
// accepted: no blanks, no hexadecimal forms, no separators.
int32_t pref_str_to_int(const std::string& text);

// A decimal number with "," as decimal separator: optional blanks around it, an optional sign,
// digits with at most one "," (at least one digit in all), then an optional exponent ("E" or "e",
// an optional sign, digits). Only finite values are accepted; "." is not a separator here.
double pref_str_to_float(const std::string& text);

// "True" or "False" in any letter case, or a number as pref_str_to_float reads it (0 is false,
// any other number true).
bool pref_str_to_bool(const std::string& text);

// General format: at most 15 significant digits, "," as separator, no trailing zeros; the
// exponent form ("1,5E20", "1E-6") when the integer part would need more than 15 digits or the
// magnitude is below 0,00001. A value that is not finite is written as "0".
std::string pref_float_to_str(double value);

// "True" or "False".
std::string pref_bool_to_str(bool value);
