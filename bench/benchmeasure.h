#pragma once

#include <QString>

// What every benchmark program reads and prints, with nothing but QtCore:
// the store's benchmark links no more than the console library.
namespace Bench {

double residentMegabytes();  // current resident set size
double peakResidentMegabytes();  // the largest it has been
// One "name<TAB>value<TAB>unit" line, flushed at once.
void report(const QString &name, double value, const QString &unit);

} // namespace Bench
