// A DLL that does nothing. The tests place it beside the timer, as anything
// may lie beside a program in a downloads folder, and see whether the
// timer's process would load it.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
