// Prints one line that the scripts look for before they run the 32-bit
// tests: that this program really ran as 32-bit Windows code. Where no 32-bit
// loader can run, Wine may end a 32-bit program with exit code 0 without
// running it, so the exit code alone proves nothing.
#include <cstdio>

int main()
{
    std::printf("%d-bit Windows code runs here\n", static_cast<int>(sizeof(void*) * 8));
    return 0;
}
