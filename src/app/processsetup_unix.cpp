#include "processsetup.h"

#include <csignal>

void ProcessSetup::ignoreBrokenPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}
