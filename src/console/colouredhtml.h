#pragma once

class ConsoleText;
class QIODevice;

// The body of an HTML capture with device colours on: the text as drawn,
// each style a span and the colour sequences left out. Written a piece of a
// chunk at a time.
class ColouredHtml
{
public:
    static bool writeBody(const ConsoleText &text, QIODevice *device);
};
