#pragma once

class ReceiveLog;

// Appends more than ReceiveLog::bufferLimit bytes, as a reader or a disk that
// takes nothing meets them.
void appendPastTheBound(ReceiveLog &log);
