#include "settings/number_text.h"

#include <cmath>
#include <cstdlib>

namespace {

// A value in the file never holds more than 259 bytes; anything beyond this
// many is not looked at.
constexpr std::size_t kMaxNumberText = 511;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text from position on; unlike substr it never throws.
std::string_view Tail(std::string_view text, std::size_t position)
{
    return position < text.size() ? std::string_view(text.data() + position, text.size() - position)
                                   : std::string_view();
}

// The value of a digit in any base up to 36, or 99 for a character that is no digit.
unsigned DigitValue(char c)
{
    if (IsDigit(c))
        return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned>(c - 'A' + 10);
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned>(c - 'a' + 10);
    return 99;
}

// "&H1E", "&B101", "&O17" or "&17": a whole number in base 16, 2 or 8. The
// suffixes "%", "&", "&&" and "?" and the digit count decide whether the
// value is read as a signed 16-, 32- or 64-bit number.
double ParseBasedNumber(std::string_view text)
{
    unsigned base = 8;
    std::size_t position = 0;
    if (!text.empty()) {
        switch (text[0]) {
        case 'H': case 'h': base = 16; position = 1; break;
        case 'B': case 'b': base = 2; position = 1; break;
        case 'O': case 'o': case 'Q': case 'q': base = 8; position = 1; break;
        default: break;
        }
    }
    const std::size_t firstDigit = position;
    uint64_t value = 0;
    bool tooLarge = false;
    for (; position < text.size(); ++position) {
        const unsigned digit = DigitValue(text[position]);
        if (digit >= base)
            break;
        if (value > (UINT64_MAX - digit) / base)
            tooLarge = true;
        else
            value = value * base + digit;
    }
    if (position == firstDigit || tooLarge)
        return 0;

    const std::string_view suffix = Tail(text, position);
    const bool leadingZero = text[firstDigit] == '0';
    const auto asSigned64 = [](uint64_t v) {
        return static_cast<double>(static_cast<int64_t>(v));
    };
    if (!suffix.empty() && suffix[0] == '?')
        return value < (uint64_t{1} << 63) ? static_cast<double>(value) : 0;
    if (leadingZero || value > UINT32_MAX)
        return asSigned64(value);
    if (suffix.size() >= 2 && suffix[0] == '&' && suffix[1] == '&')
        return static_cast<double>(value);
    if (value > 0xFFFF)
        return (value & 0x80000000u) ? asSigned64(value - 0x100000000u) : static_cast<double>(value);
    if (!suffix.empty() && suffix[0] == '&')
        return static_cast<double>(value);
    return (value & 0x8000u) ? asSigned64(value - 0x10000u) : static_cast<double>(value);
}

// A decimal number: optional sign, digits with at most one ".", and an
// optional exponent introduced by E, e, D or d. Reading stops at the first
// character that does not fit; the rest of the text is ignored.
double ParseDecimalNumber(std::string_view text)
{
    char number[kMaxNumberText + 1];
    std::size_t length = 0;
    std::size_t position = 0;
    if (position < text.size() && (text[position] == '+' || text[position] == '-'))
        number[length++] = text[position++];
    bool sawPoint = false;
    bool sawDigit = false;
    for (; position < text.size(); ++position) {
        const char c = text[position];
        if (IsDigit(c)) {
            sawDigit = true;
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
        number[length++] = c;
    }
    if (!sawDigit)
        return 0;
    if (position < text.size() && (text[position] == 'E' || text[position] == 'e' ||
                                   text[position] == 'D' || text[position] == 'd')) {
        // An exponent letter without digits counts as exponent 0: the mantissa alone.
        number[length++] = 'e';
        ++position;
        if (position < text.size() && (text[position] == '+' || text[position] == '-'))
            number[length++] = text[position++];
        while (position < text.size() && IsDigit(text[position]))
            number[length++] = text[position++];
    }
    number[length] = '\0';
    // The C runtime converts the checked text; an exponent too large gives
    // infinity, which the limits then handle.
    return std::atof(number);
}

} // namespace

double ParseNumber(std::string_view text)
{
    if (text.size() > kMaxNumberText)
        text = std::string_view(text.data(), kMaxNumberText);
    std::size_t start = 0;
    while (start < text.size() &&
           (text[start] == ' ' || text[start] == '\t' || text[start] == '\r' || text[start] == '\n'))
        ++start;
    text = Tail(text, start);
    if (text.empty())
        return 0;
    if (text[0] == '&')
        return ParseBasedNumber(Tail(text, 1));
    return ParseDecimalNumber(text);
}

int16_t ToTimeField(double number, int16_t upper)
{
    const double rounded = std::nearbyint(number);
    if (!(rounded > 0))
        return 0;
    if (rounded > upper)
        return upper;
    return static_cast<int16_t>(rounded);
}

int32_t ToColorValue(double number)
{
    const double rounded = std::nearbyint(number);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        return INT32_MIN;
    return static_cast<int32_t>(rounded);
}

namespace {

// Writes the decimal digits of value, without leading zeros, at text[length].
template <std::size_t N>
void AppendDigits(std::array<char, N>& text, std::size_t& length, uint32_t value)
{
    char digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        text[length++] = digits[--count];
}

} // namespace

NumberText FormatNumber(int32_t value)
{
    NumberText text{};
    std::size_t length = 0;
    text[length++] = value < 0 ? '-' : ' ';
    const uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    AppendDigits(text, length, magnitude);
    return text;
}

FractionText FormatThousandths(uint32_t thousandths)
{
    FractionText text{};
    std::size_t length = 0;
    text[length++] = ' ';
    const uint32_t whole = thousandths / 1000;
    uint32_t fraction = thousandths % 1000;
    if (whole != 0 || fraction == 0)
        AppendDigits(text, length, whole);
    if (fraction != 0) {
        text[length++] = '.';
        int digits = 3;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        char fractionDigits[3];
        for (int i = digits - 1; i >= 0; --i) {
            fractionDigits[i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        for (int i = 0; i < digits; ++i)
            text[length++] = fractionDigits[i];
    }
    return text;
}
