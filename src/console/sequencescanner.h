#pragma once

#include <QByteArray>
#include <QtGlobal>

// Splits received bytes into text, C0 controls and complete ECMA-48
// sequences, byte by byte, so a sequence cut across batches is completed by
// the next one. A sequence is capped, as colour sequences are: a CSI at
// maxCsi bytes, an OSC, DCS, SOS, PM or APC string at maxString. Past the
// cap, or when a byte breaks the grammar, what was gathered comes back as
// literal text and the byte is read again, so a stray ESC never eats text.
class SequenceScanner
{
public:
    static constexpr int maxCsi = 32;
    static constexpr int maxString = 512;

    enum class Kind {
        Text,    // one printable byte (or a C1, DEL or other byte drawn as is)
        Control, // one C0 byte other than ESC
        Escape,  // ESC, intermediates, final
        Csi,     // ESC [ parameters, intermediates, final
        String,  // ESC ] / P / X / ^ / _ ... ending in BEL or ESC '\'
        Literal, // gathered bytes of a broken or over-long sequence, to draw
    };

    // Takes one byte; returns true when a token is complete, then kind() and
    // bytes() tell which. A broken sequence completes as a Literal and
    // the byte that broke it must be fed again (reread() says so).
    bool feed(char byte);
    Kind kind() const { return m_kind; }
    // The token's bytes; for Text and Control the one byte.
    const QByteArray &bytes() const { return m_bytes; }
    bool reread() const { return m_reread; }
    // Whether a sequence is part way through.
    bool inSequence() const { return m_state != State::Ground || m_restartEscape; }
    void reset();

private:
    enum class State { Ground, Escape, EscapeIntermediate, Csi, String, StringEscape };

    bool complete(Kind kind);
    bool breakOff();

    State m_state = State::Ground;
    Kind m_kind = Kind::Text;
    QByteArray m_bytes;
    bool m_reread = false;
    // A string broken by an ESC: that ESC opens the next sequence.
    bool m_restartEscape = false;
};
