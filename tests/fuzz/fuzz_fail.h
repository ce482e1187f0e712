// How a fuzz target reports a broken property: the message with the actual
// values on standard error, then abort(), which libFuzzer takes as a finding
// and answers with the input that caused it.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline __attribute__((format(printf, 1, 2))) void Fail(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::abort();
}
