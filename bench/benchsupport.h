#pragma once

#include <QString>

class HexView;
class TarnTerm;
class ZIvidView;

// Shared by the benchmark programs: quiet debug output, a settings store of
// their own, and the clocks they read.
namespace Bench {

void init();                 // call right after the QApplication exists
double cpuSeconds();         // user + system time of this process
double residentMegabytes();  // current resident set size
void report(const QString &name, double value, const QString &unit);

ZIvidView *console(TarnTerm *window);
HexView *hexView(TarnTerm *window);

} // namespace Bench
