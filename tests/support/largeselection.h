#pragma once

#include <QByteArray>

class ZIvidView;

// Shows a text just past what the clipboard takes and selects all of it,
// with "before" left on the clipboard; returns the text.
QByteArray selectMoreThanTheClipboardTakes(ZIvidView &view);
