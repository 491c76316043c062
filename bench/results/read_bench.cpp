// A whole read of a full instrument (99 files of 100 records) against the
// emulator: from the start of the connection to the results with their
// statistics and the tree content. At the line's real speed the physical limit
// is 158,708 bytes at 3,840 bytes/s = 41.33 s.
#include "common/dialogs.h"
#include "results/progress.h"
#include "results/readinstrument.h"
#include "results/restree.h"
#include "tools/emulator.h"

#include <QApplication>
#include <QDialog>
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Shows the progress dialog modally and answers every box with OK, so the
// read runs as it does for a user who only watches.
class WatchingUser : public ui::Dialogs {
public:
    WatchingUser() { previous_ = ui::Install(this); }
    ~WatchingUser() override { ui::Install(previous_); }
    int Message(QObject *, const QString &text, const QString &, unsigned) override
    {
        messages << text;
        return ui::IdOk;
    }
    bool InputQuery(QObject *, const QString &, const QString &, QString &) override { return false; }
    bool OpenFileName(QObject *, const ui::FileRequest &, QString &) override { return false; }
    bool SaveFileName(QObject *, const ui::FileRequest &, QString &) override { return false; }
    bool PrintSetup(QObject *, QPrinter &, const ui::PageCounter &) override { return false; }
    int ExecForm(QDialog &form) override { return form.exec(); }
    QStringList messages;

private:
    ui::Dialogs *previous_;
};

// The full instrument on a pseudo-terminal; null (the benchmark skipped) when
// it cannot start.
std::unique_ptr<emu::Instrument> FullInstrument(benchmark::State &state, bool paced)
{
    emu::Options options;
    options.paced = paced;
    options.record = false;
    auto instrument =
        std::make_unique<emu::Instrument>(emu::LoadFixture(QStringLiteral(Q5M8_FULL_FIXTURE)), options);
    std::string error;
    if (!instrument->Start(&error)) {
        state.SkipWithError(error.c_str());
        return nullptr;
    }
    return instrument;
}

void WholeRead(benchmark::State &state, bool paced)
{
    auto instrument = FullInstrument(state, paced);
    if (!instrument)
        return;
    WatchingUser user;
    TProgressForm form;
    for (auto _ : state) {
        InstrumentRead read = ReadInstrument(nullptr, instrument->PortPath(), form);
        if (!read.completed) {
            state.SkipWithError(("read failed: " + user.messages.join(u'|').toStdString()).c_str());
            return;
        }
        ResultsData results;
        results.TakeRead(ReadValues(read));
        auto tree = TreeContent(results);
        benchmark::DoNotOptimize(tree);
    }
    state.counters["limit_s"] = 158708.0 / 3840.0;
}

void BM_UnpacedRead(benchmark::State &state) { WholeRead(state, false); }
void BM_PacedRead(benchmark::State &state) { WholeRead(state, true); }

// The receive side alone, unpaced: the exchange and the parse of 99 files.
void BM_UnpacedReceive(benchmark::State &state)
{
    auto instrument = FullInstrument(state, false);
    if (!instrument)
        return;
    TSerialPort port(nullptr);
    if (!OpenLinkPort(port, instrument->PortPath())) {
        state.SkipWithError("cannot open the emulator");
        return;
    }
    SetLinkTimeouts(port, ConnectionTimeouts);
    std::uint8_t connect = CmdConnect, reply[3];
    port.Write(&connect, 1);
    port.Read(reply, 3);
    for (auto _ : state) {
        ResultReceiver receiver;
        while (!receiver.Done())
            if (!receiver.ReceiveNext(port)) {
                state.SkipWithError("receive failed");
                return;
            }
        benchmark::DoNotOptimize(receiver.Files());
    }
}

} // namespace

BENCHMARK(BM_UnpacedReceive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpacedRead)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_PacedRead)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The paced read takes over 41 s: only on request.
    std::vector<char *> args(argv, argv + argc);
    bool filtered = false;
    for (int i = 1; i < argc; ++i)
        filtered = filtered || std::strncmp(argv[i], "--benchmark_filter", 18) == 0;
    static char unpacedOnly[] = "--benchmark_filter=Unpaced";
    if (!filtered)
        args.push_back(unpacedOnly);
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
