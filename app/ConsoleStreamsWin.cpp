#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "app/ConsoleStreams.h"

void PrepareConsoleStreams() {
    // The windowed program given a command from a console: it writes to that console. Streams a
    // caller redirected are kept as they are.
    if (!::GetStdHandle(STD_OUTPUT_HANDLE) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        (void)!std::freopen("CONOUT$", "w", stdout);
        (void)!std::freopen("CONOUT$", "w", stderr);
    }
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    // The texts are UTF-8, Chinese included: a console shows them as such.
    ::SetConsoleOutputCP(CP_UTF8);
}
