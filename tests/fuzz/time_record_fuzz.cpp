// libFuzzer target for the countdown arithmetic and the time text. The first
// six bytes of an input are the three 16-bit fields (hours, minutes, seconds)
// of a record, any values at all. Bits 0, 1 and 2 of a seventh byte fold the
// hours, minutes or seconds into their range, so that times the program
// really shows, and times with one field out of range, come up as often as
// wild ones. The checks say what must hold for the text, the normalisation
// and the step, against expectations worked out here.
#include "clock/time_record.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_fail.h"

namespace {

// One hundred hours: the time text's hours wrap there.
constexpr long kFullCycle = 100L * 3600;

// The fields as plain numbers, for failure messages.
std::string Fields(const TimeRecord& time)
{
    char text[32];
    std::snprintf(text, sizeof text, "{%d, %d, %d}", time.hours, time.minutes, time.seconds);
    return text;
}

bool InRange(const TimeRecord& time)
{
    return time.hours >= 0 && time.hours <= 99 && time.minutes >= 0 && time.minutes <= 59 && time.seconds >= 0 &&
           time.seconds <= 59;
}

bool NotNegative(const TimeRecord& time)
{
    return time.hours >= 0 && time.minutes >= 0 && time.seconds >= 0;
}

bool Same(const TimeRecord& a, const TimeRecord& b)
{
    return a.hours == b.hours && a.minutes == b.minutes && a.seconds == b.seconds;
}

long TotalSeconds(const TimeRecord& time)
{
    return time.hours * 3600L + time.minutes * 60L + time.seconds;
}

TimeRecord FromTotalSeconds(long total)
{
    return {static_cast<int16_t>(total / 3600), static_cast<int16_t>(total / 60 % 60),
            static_cast<int16_t>(total % 60)};
}

// The text holds three parts joined by ":", at most 3+1+3+1+3 characters of
// digits, "-" and ":" only. A part of 0 or more is its two-digit (or longer)
// decimal text cut to three characters; a negative one starts with "-", so
// that it never passes for a time. Fields in range give exactly "hh:mm:ss".
void CheckTimeText(const TimeRecord& time)
{
    const TimeText text = FormatTimeText(time);
    const std::size_t length = std::strlen(text.data());
    if (length > 11)
        Fail("the text of %s is %zu characters long: \"%s\"", Fields(time).c_str(), length, text.data());
    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (!((c >= '0' && c <= '9') || c == '-' || c == ':'))
            Fail("the text of %s holds 0x%02X: \"%s\"", Fields(time).c_str(), static_cast<unsigned char>(c),
                 text.data());
    }

    const int16_t fields[] = {time.hours, time.minutes, time.seconds};
    std::string expected;
    for (int i = 0; i < 3; ++i) {
        const std::string part = FormatTimeField(fields[i]).data();
        if (fields[i] >= 0) {
            char digits[8];
            std::snprintf(digits, sizeof digits, "%02d", fields[i]);
            if (part != std::string(digits).substr(0, 3))
                Fail("FormatTimeField(%d) gave \"%s\", expected \"%.3s\"", fields[i], part.c_str(), digits);
        } else if (part.size() < 2 || part.size() > 3 || part[0] != '-' ||
                   part.find_first_not_of("0123456789", 1) != std::string::npos) {
            Fail("FormatTimeField(%d) gave \"%s\"", fields[i], part.c_str());
        }
        expected += (i == 0 ? "" : ":") + part;
    }
    if (expected != text.data())
        Fail("the text of %s is \"%s\", its field texts joined are \"%s\"", Fields(time).c_str(), text.data(),
             expected.c_str());

    if (InRange(time)) {
        char exact[16];
        std::snprintf(exact, sizeof exact, "%02d:%02d:%02d", time.hours, time.minutes, time.seconds);
        if (std::strcmp(exact, text.data()) != 0)
            Fail("the text of %s is \"%s\", expected \"%s\"", Fields(time).c_str(), text.data(), exact);
    }
}

void CheckNormalise(const TimeRecord& before)
{
    TimeRecord after = before;
    NormaliseTime(after);

    // Fields within their upper bounds, negative ones included, are left alone.
    if (before.hours <= 99 && before.minutes <= 59 && before.seconds <= 59 && !Same(after, before))
        Fail("NormaliseTime changed %s into %s", Fields(before).c_str(), Fields(after).c_str());

    // From fields of 0 or more everything ends in range. (At 32767 the carry
    // of a 16-bit field itself wraps to -32768, so that value stays out.)
    const bool belowLimit = before.hours < 32767 && before.minutes < 32767 && before.seconds < 32767;
    if (NotNegative(before) && belowLimit && !InRange(after))
        Fail("NormaliseTime turned %s into %s, out of range", Fields(before).c_str(), Fields(after).c_str());

    // One field past its bound, the others in range: the field becomes 0 and
    // the next one takes the carry, so the time is the start of the next
    // minute, or hour, or 00:00:00 after 99 hours.
    const bool hoursIn = before.hours >= 0 && before.hours <= 99;
    const bool minutesIn = before.minutes >= 0 && before.minutes <= 59;
    const bool secondsIn = before.seconds >= 0 && before.seconds <= 59;
    bool known = true;
    TimeRecord expected{};
    if (hoursIn && minutesIn && before.seconds > 59)
        expected = FromTotalSeconds((before.hours * 3600L + before.minutes * 60L + 60) % kFullCycle);
    else if (hoursIn && before.minutes > 59 && secondsIn)
        expected = FromTotalSeconds((before.hours * 3600L + 3600 + before.seconds) % kFullCycle);
    else if (before.hours > 99 && minutesIn && secondsIn)
        expected = TimeRecord{0, before.minutes, before.seconds};
    else
        known = false;
    if (known && !Same(after, expected))
        Fail("NormaliseTime turned %s into %s, expected %s", Fields(before).c_str(), Fields(after).c_str(),
             Fields(expected).c_str());
    CheckTimeText(after);
}

// From fields of 0 or more, a step takes exactly one second off the total and
// leaves no field negative; at zero it stays at zero. A time in range stays
// in range.
void CheckStep(const TimeRecord& before)
{
    TimeRecord after = before;
    StepTime(after);
    if (NotNegative(before)) {
        const long total = TotalSeconds(before);
        if (IsTimeZero(before) != (total == 0))
            Fail("IsTimeZero(%s) is %d", Fields(before).c_str(), IsTimeZero(before));
        const long expectedTotal = total == 0 ? 0 : total - 1;
        if (TotalSeconds(after) != expectedTotal || !NotNegative(after))
            Fail("StepTime turned %s (%ld s) into %s (%ld s), expected %ld s", Fields(before).c_str(), total,
                 Fields(after).c_str(), TotalSeconds(after), expectedTotal);
        if (total == 0 && !IsTimeZero(after))
            Fail("StepTime turned zero into %s", Fields(after).c_str());
        if (InRange(before) && !InRange(after))
            Fail("StepTime turned %s into %s, out of range", Fields(before).c_str(), Fields(after).c_str());
    }
    CheckTimeText(after);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 6)
        return 0;
    TimeRecord time;
    std::memcpy(&time.hours, data, 2);
    std::memcpy(&time.minutes, data + 2, 2);
    std::memcpy(&time.seconds, data + 4, 2);
    const unsigned fold = size > 6 ? data[6] : 0;
    const auto folded = [](int16_t value, int upper) {
        return static_cast<int16_t>(static_cast<uint16_t>(value) % (upper + 1));
    };
    if (fold & 1)
        time.hours = folded(time.hours, 99);
    if (fold & 2)
        time.minutes = folded(time.minutes, 59);
    if (fold & 4)
        time.seconds = folded(time.seconds, 59);
    CheckTimeText(time);
    CheckNormalise(time);
    CheckStep(time);
    return 0;
}
