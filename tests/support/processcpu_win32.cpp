#include "testenvironment.h"

#include <windows.h>

double processCpuSeconds()
{
    FILETIME created {};
    FILETIME exited {};
    FILETIME kernel {};
    FILETIME user {};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    // FILETIME counts 100 ns steps.
    const auto seconds = [](const FILETIME &time) {
        return ((quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}
