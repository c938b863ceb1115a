#include "terminalfixture.h"

#include "connectionwatch.h"
#include "hexview.h"
#include "tarnterm.h"
#include "zividview.h"

#include <QStatusBar>

TerminalFixture::TerminalFixture()
    : m_window(new TarnTerm)
{
    m_window->setDeviceSource(&source);
    m_window->show();
}

TerminalFixture::~TerminalFixture() = default;

bool TerminalFixture::plugAndConnect()
{
    source.plug(device.slavePath());
    tick();
    return m_window->currentPort() != nullptr;
}

void TerminalFixture::tick()
{
    m_window->connectionWatch()->checkConnection();
}

QString TerminalFixture::status() const
{
    return m_window->statusBar()->currentMessage();
}

ZIvidView *TerminalFixture::console() const
{
    return m_window->findChild<ZIvidView *>();
}

HexView *TerminalFixture::hexView() const
{
    return m_window->findChild<HexView *>();
}
