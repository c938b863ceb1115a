#pragma once

#include "consoletext.h"

class QIODevice;

// The body of an HTML capture with device colours on: the text as drawn,
// each style a span and the colour sequences left out. Written a piece of a
// chunk at a time; each line starts with its prefix when one is given.
class ColouredHtml
{
public:
    static bool writeBody(const ConsoleText &text, QIODevice *device, const ConsoleText::LinePrefix &prefix = {});
};
