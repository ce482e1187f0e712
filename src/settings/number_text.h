// Numbers as the settings file holds them: reading a value text into a number,
// turning that number into a time field or the colour value, and writing an
// integer back. No window or file is involved, so all of it is tested alone.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Reads the number at the start of a value text (see number_text.cpp for the
// forms accepted). Text that holds no number gives 0.
double ParseNumber(std::string_view text);

// Rounds half to even, then limits to 0..upper; anything negative gives 0.
int16_t ToTimeField(double number, int16_t upper);
// Rounds half to even; a value outside the 32-bit range gives INT32_MIN.
int32_t ToColorValue(double number);

// One blank before a value of zero or more, "-" before a negative one, then the
// digits: 0 gives " 0", 30 gives " 30", -5 gives "-5".
using NumberText = std::array<char, 12>;
NumberText FormatNumber(int32_t value);

// The same form for a count of thousandths, with up to three decimals and no
// trailing zeros: 45296789 gives " 45296.789", 250 gives " .25", 0 gives " 0".
using FractionText = std::array<char, 16>;
FractionText FormatThousandths(uint32_t thousandths);
