#pragma once

#include <QString>
#include <QtGlobal>

// Ways to make this process's writes fail as they do on a full disk.

// Caps the size of any file this process writes while it lives. With SIGXFSZ
// ignored, a write past the cap fails with EFBIG instead of killing us.
// Inactive where the system has no file-size limit (Windows).
class FileSizeCap
{
public:
    explicit FileSizeCap(qint64 bytes);
    ~FileSizeCap();
    FileSizeCap(const FileSizeCap &) = delete;
    FileSizeCap &operator=(const FileSizeCap &) = delete;

    bool active() const { return m_active; }

private:
    quint64 m_previousLimit = 0;
    void (*m_previousHandler)(int) = nullptr;
    bool m_active = false;
};

// A device every write to fails with "no space left" (/dev/full); empty where
// there is none (Windows).
QString alwaysFullDevice();
