#include "window/event_texts.h"

#include <string_view>

#include "settings/number_text.h"

ClockText FormatClockTime(unsigned hour, unsigned minute, unsigned second)
{
    ClockText text{};
    const unsigned fields[] = {hour, minute, second};
    std::size_t length = 0;
    for (unsigned field : fields) {
        if (length != 0)
            text[length++] = ':';
        text[length++] = static_cast<char>('0' + field / 10 % 10);
        text[length++] = static_cast<char>('0' + field % 10);
    }
    return text;
}

AtomName MakeHotkeyAtomName(unsigned hour, unsigned minute, unsigned second, unsigned milliseconds)
{
    constexpr std::string_view prefix = "My Hotkey0cn";
    const uint32_t sinceMidnight = hour * 3600000u + minute * 60000u + second * 1000u + milliseconds;
    AtomName name{};
    std::size_t length = 0;
    for (char c : prefix)
        name[length++] = c;
    for (char c : FormatThousandths(sinceMidnight)) {
        if (c == '\0')
            break;
        name[length++] = c;
    }
    return name;
}
