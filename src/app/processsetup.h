#pragma once

// What the process needs before anything else runs.
namespace ProcessSetup {

// A log or a pipe whose reader went away is an error to report, not the
// end of the process: SIGPIPE is ignored where the system sends it.
void ignoreBrokenPipes();

} // namespace ProcessSetup
