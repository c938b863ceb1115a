#include "parentconsole.h"

namespace ParentConsole {

void attach()
{
}

} // namespace ParentConsole
