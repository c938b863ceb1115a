#include "parentconsole.h"

#include <cstdio>

#include <windows.h>

namespace ParentConsole {

namespace {

// A handle the parent gave us (a pipe or file from "> out.txt") is kept. A
// console handle counts only while we are attached to that console: a
// program started by "start" may inherit one it cannot write to.
bool usable(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD mode = 0;
    switch (GetFileType(handle)) {
    case FILE_TYPE_DISK:
    case FILE_TYPE_PIPE:
        return true;
    case FILE_TYPE_CHAR:
        return GetConsoleMode(handle, &mode) != 0;
    default:
        return false;
    }
}

} // namespace

void attach()
{
    const bool out = usable(STD_OUTPUT_HANDLE);
    const bool err = usable(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    // The C runtime bound stdout and stderr at start-up, to nothing.
    if (!out)
        std::freopen("CONOUT$", "w", stdout);
    if (!err)
        std::freopen("CONOUT$", "w", stderr);
}

} // namespace ParentConsole
