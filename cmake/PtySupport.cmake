# The simulated device, and with it the demo, the tests and the benchmarks,
# plays a Tarnwick device on a pseudo-terminal: openpty() from <pty.h> and
# libutil, with poll and termios. Systems without them (Windows) build the
# terminal alone.
include(CheckCXXSymbolExists)
set(CMAKE_REQUIRED_LIBRARIES util)
check_cxx_symbol_exists(openpty pty.h TARNTERM_HAVE_PTY)
unset(CMAKE_REQUIRED_LIBRARIES)
