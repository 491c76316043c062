#pragma once
// Shared by the link tests: an instrument stand-in on its own pseudo-terminal
// and small helpers for raw exchanges.
#include "link/rx5lnk.h"
#include "link/serialnt.h"
#include "tools/emulator.h"

#include <gtest/gtest.h>

#include <QString>
#include <atomic>
#include <unistd.h>

inline QString UniqueLinkPath()
{
    static std::atomic<int> n{0};
    return QStringLiteral("/tmp/q5m8-linktest-%1-%2").arg(::getpid()).arg(n++);
}

struct Stand {
    explicit Stand(emu::InstrumentData data = emu::DefaultData(), emu::Options options = {})
        : instrument(std::move(data), std::move(options))
    {
        std::string error;
        started = instrument.Start(&error);
        EXPECT_TRUE(started) << error;
    }
    QString Path() const { return instrument.PortPath(); }
    emu::Instrument instrument;
    bool started = false;
};

// Reads up to n bytes, one Read for all, under the port's time-outs.
inline emu::Bytes ReadBytes(TSerialPort &port, int n)
{
    emu::Bytes b(static_cast<std::size_t>(n));
    int got = port.Read(b.data(), n);
    b.resize(static_cast<std::size_t>(got));
    return b;
}

inline void WriteBytes(TSerialPort &port, const emu::Bytes &b)
{
    ASSERT_EQ(port.Write(b.data(), static_cast<int>(b.size())), static_cast<int>(b.size()));
}

// A port opened on the stand, with short time-outs so that silence is cheap.
struct Line {
    explicit Line(Stand &stand) : port(nullptr)
    {
        EXPECT_TRUE(OpenLinkPort(port, stand.Path()));
        port.SetTimeouts(150, 1000, 0, 1000, 0);
    }
    emu::Bytes Ask(const emu::Bytes &send, int replyLength)
    {
        WriteBytes(port, send);
        return ReadBytes(port, replyLength);
    }
    // Nothing more comes within the interval.
    bool Quiet()
    {
        port.SetTimeouts(0, 200, 0, 1000, 0);
        unsigned char b;
        bool quiet = port.Read(&b, 1) == 0;
        port.SetTimeouts(150, 1000, 0, 1000, 0);
        return quiet;
    }
    TSerialPort port;
};

inline std::string Hex(const emu::Bytes &b)
{
    std::string s;
    char buf[4];
    for (auto x : b) {
        std::snprintf(buf, sizeof buf, "%02X ", x);
        s += buf;
    }
    return s;
}
