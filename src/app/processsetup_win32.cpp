#include "processsetup.h"

// Windows has no SIGPIPE: a write to a closed pipe fails with an error.
void ProcessSetup::ignoreBrokenPipes()
{
}
