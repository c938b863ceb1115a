#pragma once

#include <QByteArray>

// A prompt that edits its line as linenoise does, for the demo: it asks the
// terminal where the cursor is (ESC [ 6 n) and how wide the screen is (the
// ESC [ 999 C probe), redraws the line on every key with CR, the text,
// ESC [ 0 K and a cursor move, and sets a status title with OSC 0, as
// CircuitPython does. Fed the bytes the terminal sends; gives back what to
// send to it.
class LinePrompt
{
public:
    // The prompt and the width queries.
    QByteArray start();
    QByteArray receive(const QByteArray &bytes);
    int columns() const { return m_columns; }

private:
    enum class Probe { StartColumn, Width, Done };

    QByteArray key(char c);
    QByteArray sequence(const QByteArray &sequence);
    QByteArray refresh() const;
    QByteArray run();
    QByteArray title() const;

    Probe m_probe = Probe::Done;
    int m_startColumn = 1;
    int m_columns = 80;
    QByteArray m_escape; // a key's escape sequence, part way
    QByteArray m_typeahead; // keys typed while the width is asked
    QByteArray m_line;
    int m_cursor = 0;
    int m_commands = 0;
};
