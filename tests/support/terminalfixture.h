#pragma once

#include "fakedevicesource.h"
#include "pseudoterminal.h"

#include <QString>

#include <memory>

class HexView;
class TarnTerm;
class ZIvidView;

// The real main window with a fake device source, and a pseudo-terminal
// whose master side plays the device.
class TerminalFixture
{
public:
    TerminalFixture();
    ~TerminalFixture();

    // Lists the device and runs one tick of the watch; true when connected.
    bool plugAndConnect();
    // One tick of the connection watch, as the window's timer would run it.
    void tick();
    QString status() const;

    TarnTerm *window() const { return m_window.get(); }
    ZIvidView *console() const;
    HexView *hexView() const;

    FakeDeviceSource source;
    PseudoTerminal device;

private:
    std::unique_ptr<TarnTerm> m_window;
};
