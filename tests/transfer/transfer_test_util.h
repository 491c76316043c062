#pragma once
// Shared by the transfer tests: an instrument with a few scales on its own
// pseudo-terminal, the designer's side of the globals reset, and the wire
// as the instrument saw it.
#include "common/lang.h"
#include "common/numtext.h"
#include "tests/link/link_test_util.h"
#include "tests/support/recording_dialogs.h"
#include "transfer/gridcells.h"
#include "transfer/prx54.h"
#include "transfer/scalelist.h"

#include <chrono>
#include <optional>

// The default scale (address 1) and three user scales at 2, 3, 4.
inline emu::InstrumentData ThreeScales()
{
    emu::InstrumentData d = emu::DefaultData();
    d.version = {1, 2, 15};
    auto add = [&](const char *name, const char *units, int decimals, std::vector<std::pair<int, int>> points) {
        auto s = emu::MakeScale(QString::fromUtf8(name), QString::fromUtf8(units), decimals, points);
        s.address = static_cast<std::uint8_t>(d.scales.size() + 1);
        d.scales.push_back(s);
    };
    add("Temp", "°C", 1, {{0, 0}, {100, 250}, {4000, 1000}});
    add("Давление", "кПа", 2, {{10, 1234}, {20, 2345}});
    add("Third", "mV", 0, {{1, 2}, {3, 4}, {5, 6}});
    return d;
}

// What every transfer test starts from: Russian, ',' as the separator, the
// run's globals as at start-up, the port box remembering the stand's path.
struct TransferBench {
    explicit TransferBench(emu::InstrumentData data = ThreeScales()) : stand(std::move(data))
    {
        numtext::SetDecimalSeparator(',');
        English = false;
        ScaleBuffer = {};
        ScaleLoaded = false;
        ScaleList = {};
        PortIndex = 255;
        PortText = stand.Path();
    }
    ~TransferBench()
    {
        English = false;
        ScaleLoaded = false;
        PortText.clear();
        PortIndex = 0;
    }
    // One fault, or several separated by ','.
    void Fault(const char *text)
    {
        for (const QString &one : QString::fromUtf8(text).split(u',')) {
            std::uint8_t cmd = 0;
            emu::Fault f;
            std::string error;
            ASSERT_TRUE(emu::ParseFault(one.toStdString(), cmd, f, error)) << text << ": " << error;
            stand.instrument.InjectFault(cmd, f);
        }
    }
    // Waits until the instrument has seen the end command (or the time is up).
    bool WaitEnd(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000))
    {
        return stand.instrument.WaitReceived(
            [](const emu::Bytes &b) { return !b.empty() && b.back() == CmdDisconnect; }, timeout);
    }
    emu::Bytes FromPc() const { return stand.instrument.Received(); }
    emu::Bytes FromDevice() const
    {
        emu::Bytes r;
        for (const auto &e : stand.instrument.Events())
            if (!e.fromPc)
                r.push_back(e.byte);
        return r;
    }
    // For each byte from the program, the milliseconds since the last byte
    // the instrument sent before it (-1 when none): the program's pauses start
    // once it has read the reply, so a paused byte comes 100 ms after it.
    std::vector<std::pair<std::uint8_t, double>> PcGaps() const
    {
        std::vector<std::pair<std::uint8_t, double>> out;
        std::optional<emu::Clock::time_point> lastReply;
        for (const auto &e : stand.instrument.Events()) {
            if (!e.fromPc) {
                lastReply = e.time;
                continue;
            }
            out.emplace_back(e.byte, lastReply ? std::chrono::duration<double, std::milli>(e.time - *lastReply).count()
                                               : -1.0);
        }
        return out;
    }
    // When each byte from the program arrived.
    std::vector<emu::Clock::time_point> PcTimes() const
    {
        std::vector<emu::Clock::time_point> out;
        for (const auto &e : stand.instrument.Events()) {
            if (e.fromPc)
                out.push_back(e.time);
        }
        return out;
    }
    static double Ms(emu::Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
    QStringList Captions() const
    {
        QStringList c;
        for (const auto &m : dialogs.messages)
            c << m.caption;
        return c;
    }
    const RecordedMessage *Last() const { return dialogs.messages.empty() ? nullptr : &dialogs.messages.back(); }

    Stand stand;
    RecordingDialogs dialogs;
};

inline emu::Bytes Join(std::initializer_list<emu::Bytes> parts)
{
    emu::Bytes all;
    for (const emu::Bytes &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}
