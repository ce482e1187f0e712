#include "clock/time_record.h"

FieldText FormatTimeField(int16_t value)
{
    FieldText text{};
    std::size_t length = 0;
    int magnitude = value;
    if (magnitude < 0) {
        // No operation leaves a field negative; show the sign rather than
        // hiding the fault behind a plausible time.
        text[length++] = '-';
        magnitude = -magnitude;
    }
    char digits[6];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (count == 1 && length == 0)
        digits[count++] = '0';
    while (count > 0 && length < text.size() - 1)
        text[length++] = digits[--count];
    return text;
}

TimeText FormatTimeText(const TimeRecord& time)
{
    TimeText text{};
    std::size_t length = 0;
    const int16_t fields[] = {time.hours, time.minutes, time.seconds};
    for (int16_t field : fields) {
        if (length != 0)
            text[length++] = ':';
        for (char c : FormatTimeField(field)) {
            if (c == '\0')
                break;
            text[length++] = c;
        }
    }
    return text;
}

void NormaliseTime(TimeRecord& time)
{
    if (time.seconds > 59) {
        time.seconds = 0;
        ++time.minutes;
    }
    if (time.minutes > 59) {
        time.minutes = 0;
        ++time.hours;
    }
    if (time.hours > 99)
        time.hours = 0;
}

void StepTime(TimeRecord& time)
{
    // Without this a tick on zero would wrap to 00:59:59 and count on.
    if (IsTimeZero(time))
        return;
    --time.seconds;
    if (time.seconds < 0) {
        time.seconds = 59;
        --time.minutes;
    }
    if (time.minutes < 0) {
        time.minutes = 59;
        --time.hours;
    }
    if (time.hours < 0)
        time.hours = 0;
}

bool IsTimeZero(const TimeRecord& time)
{
    return time.hours == 0 && time.minutes == 0 && time.seconds == 0;
}
