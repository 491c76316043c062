#pragma once
// Shared by the read tests: the instrument on a pseudo-terminal with result
// files, and a run of the whole read as the main window runs it.
#include "common/lang.h"
#include "results/progress.h"
#include "results/readinstrument.h"
#include "tests/link/link_test_util.h"
#include "tests/support/recording_dialogs.h"

#include <QFileInfo>
#include <QDir>
#include <QTimer>
#include <chrono>
#include <functional>

struct LangGuard {
    explicit LangGuard(bool english) : saved(English) { English = english; }
    ~LangGuard() { English = saved; }
    bool saved;
};

inline QString FullFixturePath()
{
    return QFileInfo(QStringLiteral(__FILE__)).dir().absoluteFilePath(QStringLiteral("../../tools/fixtures/full.fixture"));
}

// Version 1.2.15 and n records in each file (values "1.5", "-2" ... over two
// scales), file i with (i % 3) + extra records when n < 0.
inline emu::InstrumentData SmallData(int perFile = 3)
{
    emu::InstrumentData d = emu::DefaultData();
    d.version = {1, 2, 15};
    for (int f = 0; f < emu::ResultFileCount; ++f)
        for (int r = 0; r < perFile; ++r)
            d.files[static_cast<std::size_t>(f)].push_back(
                emu::MakeMeasurement(QString::number(f + r / 10.0), r % 2 ? QStringLiteral("Temp") : QStringLiteral("Press")));
    return d;
}

inline emu::Fault FaultOf(emu::Fault::Kind kind, int argument = -1)
{
    emu::Fault f;
    f.kind = kind;
    f.argument = argument;
    return f;
}

// The bytes a full read puts on the wire.
inline emu::Bytes FullReadBytes()
{
    emu::Bytes b{0x81, 0x8B};
    for (int i = 0; i < 99; ++i) {
        b.push_back(0x8C);
        b.push_back(static_cast<std::uint8_t>(i));
    }
    b.push_back(0x84);
    return b;
}

// Runs the read with the progress dialog shown modally; during it, act (when
// given) is called on the dialog from its event loop after delay.
inline InstrumentRead RunRead(RecordingDialogs &dialogs, TProgressForm &form, const QString &port,
                              std::function<void(TProgressForm &)> act = {},
                              std::chrono::milliseconds delay = std::chrono::milliseconds(120))
{
    dialogs.forms.push_back([&form, act, delay](QDialog &d) {
        EXPECT_EQ(&d, &form);
        if (act)
            QTimer::singleShot(delay, &d, [&form, act] { act(form); });
        return d.exec();
    });
    return ReadInstrument(nullptr, port, form);
}

// Waits until the emulator has seen the end command (or gives up).
inline emu::Bytes SentUntilEnd(const Stand &stand)
{
    stand.instrument.WaitReceived([](const emu::Bytes &r) { return !r.empty() && r.back() == 0x84; },
                                  std::chrono::milliseconds(3000));
    return stand.instrument.Received();
}
