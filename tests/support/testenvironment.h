#pragma once

#include <QSettings>

// Start-up shared by the GUI tests: the image resources, and a settings store
// in a fresh temporary folder so no test touches the user's real settings.
void initTestEnvironment();

// The terminal's own settings store (in that temporary folder).
QSettings settingsStore();

// User and system time this process has used, in seconds.
double processCpuSeconds();

// Writes `bytes` as the whole of the file at `path`; false when it cannot.
bool writeFile(const QString &path, const QByteArray &bytes);
