// libFuzzer target for the number texts of the settings file: reading a value
// text, turning the number into a time field or the colour value, and writing
// numbers back. Each input is checked against expectations worked out here on
// their own, not only for crashes.
//
// The first byte of an input chooses what the rest of it means:
//   0 mod 4  a value text, read as it stands ("T" is such a byte);
//   1 mod 4  an int32 and a count of thousandths, written and read back;
//   2 mod 4  the bits of a double, printed in a decimal form and read back;
//   3 mod 4  a 64-bit value written as "&H", "&O", "&B" or "&" text, with or
//            without a leading zero and a suffix.
// Every text built in modes 1 to 3 also goes through the checks of mode 0.
#include "settings/number_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_fail.h"

namespace {

// ParseNumber reads no further than this.
constexpr std::size_t kLookedAt = 511;

// The text as a C literal, so that a failure shows blanks and control bytes.
std::string Quoted(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            quoted += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            quoted += escape;
        }
    }
    return quoted + "\"";
}

unsigned long long Bits(double number)
{
    uint64_t bits;
    std::memcpy(&bits, &number, sizeof bits);
    return bits;
}

bool SameBits(double a, double b) { return Bits(a) == Bits(b); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Rounds to the nearest integer, an exact half to the even neighbour, worked
// out from the fraction rather than with the rounding-mode functions.
double RoundHalfEven(double number)
{
    const double magnitude = std::fabs(number);
    // From 2^52 on every double is a whole number; infinity stays as it is.
    if (!(magnitude < 4503599627370496.0))
        return number;
    const double whole = std::floor(magnitude);
    const double fraction = magnitude - whole;  // exact for a positive number
    double rounded = whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0))
        rounded = whole + 1;
    return std::copysign(rounded, number);
}

int ExpectedTimeField(double number, int upper)
{
    const double rounded = RoundHalfEven(number);
    if (!(rounded > 0))
        return 0;
    return rounded >= upper ? upper : static_cast<int>(rounded);
}

int32_t ExpectedColorValue(double number)
{
    const double rounded = RoundHalfEven(number);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        return INT32_MIN;
    return static_cast<int32_t>(rounded);
}

// What holds for any value text: the number is never NaN, the fields made
// from it follow the rounding and the limits, only the first 511 characters
// count, blanks in front change nothing and a sign in front of a plain
// number gives that number or its negation.
void CheckValueText(std::string_view text)
{
    const double number = ParseNumber(text);
    if (std::isnan(number))
        Fail("ParseNumber(%s) is NaN", Quoted(text).c_str());

    for (const int upper : {99, 59}) {
        const int field = ToTimeField(number, static_cast<int16_t>(upper));
        const int expected = ExpectedTimeField(number, upper);
        if (field != expected || field < 0 || field > upper)
            Fail("ToTimeField(%.17g from %s, %d) gave %d, expected %d", number, Quoted(text).c_str(), upper,
                 field, expected);
    }
    const int32_t color = ToColorValue(number);
    const int32_t expectedColor = ExpectedColorValue(number);
    if (color != expectedColor)
        Fail("ToColorValue(%.17g from %s) gave %d, expected %d", number, Quoted(text).c_str(), color,
             expectedColor);

    if (text.size() > kLookedAt) {
        const double cut = ParseNumber(text.substr(0, kLookedAt));
        if (!SameBits(cut, number))
            Fail("%s gave %.17g, its first %zu characters %.17g", Quoted(text).c_str(), number, kLookedAt, cut);
        return;
    }
    if (text.size() + 4 <= kLookedAt) {
        const std::string padded = " \t\r\n" + std::string(text);
        const double withBlanks = ParseNumber(padded);
        if (!SameBits(withBlanks, number))
            Fail("%s gave %.17g, %s gave %.17g", Quoted(text).c_str(), number, Quoted(padded).c_str(),
                 withBlanks);
    }
    if (!text.empty() && (IsDigit(text[0]) || text[0] == '.') && text.size() + 1 <= kLookedAt) {
        const std::string negated = "-" + std::string(text);
        const std::string plus = "+" + std::string(text);
        const double negative = ParseNumber(negated);
        const double positive = ParseNumber(plus);
        // Compared with ==: "-." and "." both give 0, with no sign to keep.
        if (negative != -number || positive != number)
            Fail("%s gave %.17g, but %s gave %.17g and %s gave %.17g", Quoted(text).c_str(), number,
                 Quoted(negated).c_str(), negative, Quoted(plus).c_str(), positive);
    }
}

// A value and a count of thousandths, written the way the program writes
// them, come back as the same numbers.
void CheckWrittenNumbers(FuzzedDataProvider& input)
{
    const int32_t value = input.ConsumeIntegral<int32_t>();
    const std::string text = FormatNumber(value).data();
    char expected[16];
    // "% d": a blank before a value of zero or more, "-" before a negative one.
    std::snprintf(expected, sizeof expected, "% d", value);
    if (text != expected)
        Fail("FormatNumber(%d) gave %s, expected %s", value, Quoted(text).c_str(), Quoted(expected).c_str());
    const double read = ParseNumber(text);
    if (read != value || ToColorValue(read) != value)
        Fail("%s read back as %.17g, colour value %d, expected %d", Quoted(text).c_str(), read,
             ToColorValue(read), value);
    CheckValueText(text);

    const uint32_t thousandths = input.ConsumeIntegral<uint32_t>();
    const std::string fraction = FormatThousandths(thousandths).data();
    const std::size_t point = fraction.find('.');
    const bool wellFormed = fraction.size() >= 2 && fraction[0] == ' ' &&
                            (point == std::string::npos ||
                             (point + 1 < fraction.size() && fraction.back() != '0')) &&
                            !(fraction.size() > 2 && fraction[1] == '0');
    if (!wellFormed)
        Fail("FormatThousandths(%u) gave %s", thousandths, Quoted(fraction).c_str());
    // Both sides are the double nearest to the same fraction.
    const double readFraction = ParseNumber(fraction);
    if (readFraction != thousandths / 1000.0)
        Fail("FormatThousandths(%u) gave %s, read back as %.17g", thousandths, Quoted(fraction).c_str(),
             readFraction);
    CheckValueText(fraction);
}

// Texts that the grammar reads to its end or stops in front of, whatever
// number comes before them.
const char* const kHarmlessTails[] = {"", " ", ";", "x", "e", "D+", "."};
const char* const kBlanks = " \t\r\n";

std::string Printed(const char* format, double value)
{
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The 17 significant decimal digits of a double and its decimal exponent:
// the magnitude is d.dddddddddddddddd * 10^exponent.
void SignificantDigits(double value, std::string& digits, int& exponent)
{
    const std::string printed = Printed("%.16e", std::fabs(value));
    const std::size_t e = printed.find('e');
    digits = printed.substr(0, 1) + printed.substr(2, e - 2);
    exponent = std::atoi(printed.c_str() + e + 1);
}

// A double printed in one of several decimal forms reads back as the same
// double, to the bit.
void CheckPrintedDouble(FuzzedDataProvider& input)
{
    const uint64_t bits = input.ConsumeIntegral<uint64_t>();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value))
        return;
    const std::string sign = std::signbit(value) ? "-" : "";
    std::string digits;
    int exponent = 0;
    SignificantDigits(value, digits, exponent);

    const std::string blanks(kBlanks, input.ConsumeIntegralInRange<std::size_t>(0, 4));
    std::string text;
    switch (input.ConsumeIntegralInRange(0, 8)) {
    case 0: text = Printed("%.17g", value); break;
    case 1: text = Printed("%.17E", value); break;
    case 2:  // the exponent letter may also be "D" or "d"
        text = Printed("%.17e", value);
        text[text.find('e')] = 'D';
        break;
    case 3:
        text = Printed("%.17e", value);
        text[text.find('e')] = 'd';
        break;
    case 4: text = Printed("%+.17g", value); break;
    case 5:  // all digits before the exponent, no point
        text = sign + digits + "e" + std::to_string(exponent - 16);
        break;
    case 6: {
        // Leading zeros, up to a text that fills all the characters read.
        const std::string rest = Printed("%.17g", std::fabs(value));
        const std::size_t room = kLookedAt - blanks.size() - sign.size() - rest.size();
        const std::size_t zeros = std::min(input.ConsumeIntegralInRange<std::size_t>(0, kLookedAt), room);
        text = sign + std::string(zeros, '0') + rest;
        break;
    }
    case 7:  // the point first
        text = sign + "." + digits + "E" + std::to_string(exponent + 1);
        break;
    case 8:  // long texts: every digit of a whole number, else more digits than needed
        text = value == std::trunc(value) ? Printed("%.0f", value) : Printed("%.40e", value);
        break;
    }
    text = blanks + text + input.PickValueInArray(kHarmlessTails);

    const double read = ParseNumber(text);
    if (!SameBits(read, value))
        Fail("%s read back as %.17g (bits %016llX), expected %.17g (bits %016llX)", Quoted(text).c_str(), read,
             Bits(read), value, Bits(value));
    CheckValueText(text);
}

std::string InBase(uint64_t value, unsigned base, bool lowerCase, std::size_t minimumDigits)
{
    const char* const letters = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string digits;
    do {
        digits.insert(digits.begin(), letters[value % base]);
        value /= base;
    } while (value != 0);
    if (digits.size() < minimumDigits)
        digits.insert(0, minimumDigits - digits.size(), '0');
    return digits;
}

// The number a based text stands for, from the digits' value v, whether the
// first digit is "0", and the suffix, by the table the program follows.
double ExpectedBasedValue(uint64_t v, bool firstDigitZero, std::string_view suffix)
{
    const uint64_t twoTo32 = uint64_t{1} << 32;
    if (!suffix.empty() && suffix[0] == '?')
        return v < (uint64_t{1} << 63) ? static_cast<double>(v) : 0;
    if (firstDigitZero || v >= twoTo32)
        return static_cast<double>(static_cast<int64_t>(v));
    if (suffix == "&&")
        return static_cast<double>(v);
    if (v >= 65536)
        return (v >> 31) & 1 ? static_cast<double>(static_cast<int64_t>(v) - static_cast<int64_t>(twoTo32))
                             : static_cast<double>(v);
    if (suffix == "&")
        return static_cast<double>(v);
    return (v >> 15) & 1 ? static_cast<double>(static_cast<int64_t>(v) - 65536) : static_cast<double>(v);
}

// "&H", "&O", "&Q", "&B" and bare "&" texts of a 64-bit value follow the
// suffix table; a value that needs more than 64 bits gives 0.
void CheckBasedText(FuzzedDataProvider& input)
{
    struct Base { const char* prefix; unsigned radix; unsigned bitsPerDigit; };
    static const Base kBases[] = {
        {"&H", 16, 4}, {"&h", 16, 4}, {"&O", 8, 3}, {"&o", 8, 3}, {"&Q", 8, 3},
        {"&q", 8, 3}, {"&B", 2, 1}, {"&b", 2, 1}, {"&", 8, 3},
    };
    static const char* const kSuffixes[] = {"", "%", "&", "&&", "?", "??", "???"};
    static const char* const kEnds[] = {"", " ", ";", "x"};

    const uint64_t value = input.ConsumeIntegral<uint64_t>();
    const Base base = input.PickValueInArray(kBases);
    const std::string suffix = input.PickValueInArray(kSuffixes);
    const bool leadingZero = input.ConsumeBool();
    const bool lowerCase = input.ConsumeBool();
    const bool tooLarge = input.ConsumeBool();

    std::string digits;
    double expected;
    if (tooLarge) {
        // A "1" in front of the full width of 64 bits: at least 2^64.
        digits = "1" + InBase(value, base.radix, lowerCase, (64 + base.bitsPerDigit - 1) / base.bitsPerDigit);
        expected = 0;
    } else {
        digits = InBase(value, base.radix, lowerCase, 0);
    }
    if (leadingZero)
        digits.insert(0, "0");
    if (!tooLarge)
        expected = ExpectedBasedValue(value, digits[0] == '0', suffix);

    const std::string text = std::string(kBlanks, input.ConsumeIntegralInRange<std::size_t>(0, 4)) +
                             base.prefix + digits + suffix + input.PickValueInArray(kEnds);
    const double read = ParseNumber(text);
    if (!SameBits(read, expected))
        Fail("%s (value %llu) read as %.17g, expected %.17g", Quoted(text).c_str(),
             static_cast<unsigned long long>(value), read, expected);
    CheckValueText(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    FuzzedDataProvider input(data + 1, size - 1);
    switch (data[0] % 4) {
    case 0: CheckValueText(rest); break;
    case 1: CheckWrittenNumbers(input); break;
    case 2: CheckPrintedDouble(input); break;
    case 3: CheckBasedText(input); break;
    }
    return 0;
}
