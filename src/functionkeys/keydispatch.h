#pragma once

#include <QByteArray>
#include <QString>

// The rules that turn the console's key reports into bytes for the device.
namespace KeyDispatch {

// Keys that send nothing: Escape, Tab, Backtab, the editing and navigation
// keys and the modifiers.
bool isIgnoredKey(int key);

// What an xterm sends for the keys above that the plain table ignores:
// the arrows, Home, End, Delete, Page Up/Down, Tab, Escape and Shift+Tab.
// Empty for every other key.
QByteArray terminalKeySequence(int key);

// F1..F12 give their index 0..11, every other key -1.
int functionKeyIndex(int key);

// The command of a function key: its text, then CR and LF when asked for and
// the text holds none of that character anywhere.
QString functionCommand(const QString &text, bool appendCr, bool appendLf);

// How text the user sends becomes bytes: Latin-1 by default, UTF-8 when the
// device reads it.
enum class Encoding { Latin1, Utf8 };

// Latin-1: one byte per UTF-16 unit; units above U+00FF become '?'.
// UTF-8: every character as its UTF-8 bytes.
QByteArray toLineBytes(const QString &text, Encoding encoding = Encoding::Latin1);
// The same for a paste or a function-key command, sent byte by byte: in
// Latin-1, units above U+00FF become 0x00 there.
QByteArray toPacedBytes(const QString &text, Encoding encoding = Encoding::Latin1);

} // namespace KeyDispatch
