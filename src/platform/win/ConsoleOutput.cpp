// Pelorin is a windowed program: started from the Start menu it opens no console window. Started from a
// console with an option (--version, --help, --verify, --demo), its answers still belong in that console:
// before main() it joins its parent's console, where its output does not already go to a file or a pipe,
// and writes UTF-8 there (the console's code page is put back at exit).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool goesSomewhere(DWORD stream)
{
    const HANDLE handle = GetStdHandle(stream);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

UINT consoleCodePage = 0;

void restoreCodePage()
{
    if (consoleCodePage)
        SetConsoleOutputCP(consoleCodePage);
}

struct ParentConsole
{
    ParentConsole()
    {
        const bool out = goesSomewhere(STD_OUTPUT_HANDLE);
        const bool err = goesSomewhere(STD_ERROR_HANDLE);
        if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS))
            return;
        if (!out)
            std::freopen("CONOUT$", "w", stdout);
        if (!err)
            std::freopen("CONOUT$", "w", stderr);
        consoleCodePage = GetConsoleOutputCP();
        SetConsoleOutputCP(CP_UTF8);
        std::atexit(restoreCodePage);
    }
};

const ParentConsole parentConsole;

} // namespace
