// Texts that the window composes from the local time: the caption set on Play
// and the name of the hotkey's global atom. Plain text work, tested alone.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// "hh:mm:ss" on the 24-hour clock, each field two digits.
using ClockText = std::array<char, 9>;
ClockText FormatClockTime(unsigned hour, unsigned minute, unsigned second);

// "My Hotkey0cn" followed by the seconds since local midnight with up to three
// decimals, such as "My Hotkey0cn 45296.789". Each start gets its own name.
using AtomName = std::array<char, 32>;
AtomName MakeHotkeyAtomName(unsigned hour, unsigned minute, unsigned second, unsigned milliseconds);
