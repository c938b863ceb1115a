#pragma once

// Makes what --list, --help and --version print reach the console the
// program was started from. A Windows GUI-subsystem program starts with no
// console and no standard output unless it was redirected; elsewhere there is
// nothing to do.
namespace ParentConsole {

void attach();

} // namespace ParentConsole
