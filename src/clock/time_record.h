// Countdown arithmetic and the time text, free of any window so that it can be
// tested on its own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The time that remains of a countdown. Between operations hours lie in 0..99
// and minutes and seconds in 0..59.
struct TimeRecord {
    int16_t hours;
    int16_t minutes;
    int16_t seconds;
};

// A field's text: at most three characters and the terminating zero.
using FieldText = std::array<char, 4>;
// Three field texts joined by ":", and the terminating zero.
using TimeText = std::array<char, 12>;

// "00".."09" for 0..9, the plain digits from 10 on, cut to three characters.
FieldText FormatTimeField(int16_t value);
// "hh:mm:ss", as the time label shows it.
TimeText FormatTimeText(const TimeRecord& time);

// One pass of carries: 60 seconds or more make a minute, 60 minutes or more
// make an hour, and more than 99 hours wrap to 0. A field that overflows
// becomes 0 rather than being reduced by 60.
void NormaliseTime(TimeRecord& time);
// Takes one second off, borrowing from minutes and hours. A time that is
// already zero stays zero.
void StepTime(TimeRecord& time);
bool IsTimeZero(const TimeRecord& time);
