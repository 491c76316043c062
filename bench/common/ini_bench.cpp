// INI files of results size: 30,000 keys written in one batch and read back;
// the reader's memory on large degenerate files.
#include "bench/support/peakmemory.h"
#include "common/ini.h"
#include "common/numtext.h"
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int Sections = 100;
constexpr int KeysPerSection = 300; // 30,000 keys

QString Key(int k) { return QStringLiteral("Value%1").arg(k); }
QString Section(int s) { return QStringLiteral("File%1").arg(s); }

void WriteAll(IniFile &ini)
{
    for (int s = 0; s < Sections; ++s)
        for (int k = 0; k < KeysPerSection; ++k)
            ini.WriteFloat(Section(s), Key(k), s * 1000.0 + k + 0.125);
}

void BM_Save30000Keys(benchmark::State &state)
{
    numtext::SetDecimalSeparator('.');
    QTemporaryDir dir;
    const QString path = dir.filePath("results.osl3");
    for (auto _ : state) {
        IniFile ini(path);
        ini.BeginUpdate();
        WriteAll(ini);
        ini.UpdateFile();
    }
    state.counters["keys"] = Sections * KeysPerSection;
}
BENCHMARK(BM_Save30000Keys)->Unit(benchmark::kMillisecond);

void BM_Read30000Keys(benchmark::State &state)
{
    numtext::SetDecimalSeparator('.');
    QTemporaryDir dir;
    const QString path = dir.filePath("results.osl3");
    {
        IniFile ini(path);
        ini.BeginUpdate();
        WriteAll(ini);
        ini.UpdateFile();
    }
    for (auto _ : state) {
        IniFile ini(path);
        double sum = 0;
        for (int s = 0; s < Sections; ++s)
            for (int k = 0; k < KeysPerSection; ++k)
                sum += ini.ReadFloat(Section(s), Key(k), 0);
        benchmark::DoNotOptimize(sum);
        if (sum == 0)
            state.SkipWithError("nothing read");
    }
    state.counters["keys"] = Sections * KeysPerSection;
}
BENCHMARK(BM_Read30000Keys)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// A file of IniFile::MaxFileSize bytes: head once, then line over and over
// (its number, if it holds "%1", counting up), written in small pieces so
// that no large buffer is left to the allocator before the measurement.
qint64 MakeFile(const QString &path, const QByteArray &head, const QByteArray &line)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return 0;
    f.write(head);
    qint64 size = head.size();
    QByteArray chunk;
    for (int n = 0;; ++n) {
        QByteArray l = line;
        if (l.contains("%1"))
            l.replace("%1", QByteArray::number(n));
        if (size + l.size() > IniFile::MaxFileSize)
            break;
        chunk += l;
        size += l.size();
        if (chunk.size() >= 1 << 16) {
            f.write(chunk);
            chunk.clear();
        }
    }
    f.write(chunk);
    return size;
}

// Peak resident memory of reading a degenerate file of the largest size
// the reader takes, and of the look-ups a loader makes in it (a key of the
// section that the file is full of, so that section is parsed), above the
// process before the read. Target: at most 4 times the file size. The
// allocator keeps what earlier benchmarks freed, so run each of these alone
// for its figure (--benchmark_filter=BM_ReadMemory/blank_crlf).
void ReadMemory(benchmark::State &state, const QByteArray &head, const QByteArray &line)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("degenerate.scl3"));
    const qint64 size = MakeFile(path, head, line);
    for (auto _ : state) {
        state.PauseTiming();
        ResetPeak();
        const long base = StatusKb("VmRSS:");
        state.ResumeTiming();
        {
            const IniFile ini(path);
            benchmark::DoNotOptimize(ini.ReadString(QStringLiteral("File"), QStringLiteral("Handle"), QString()));
            benchmark::DoNotOptimize(ini.ReadString(QStringLiteral("A"), QStringLiteral("K"), QString()));
            benchmark::DoNotOptimize(ini.ReadString(QStringLiteral("A"), QStringLiteral("Missing"), QString()));
            state.PauseTiming();
            const long peak = StatusKb("VmHWM:");
            state.counters["peak_MB_above_base"] = double(peak - base) / 1024.0;
            state.counters["times_file_size"] = double(peak - base) * 1024.0 / double(size);
            state.ResumeTiming();
        }
    }
    state.counters["file_MB"] = double(size) / (1024.0 * 1024.0);
}

BENCHMARK_CAPTURE(ReadMemory, blank_crlf, QByteArray(), QByteArray("\r\n"))->Name("BM_ReadMemory/blank_crlf")
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(ReadMemory, blank_lf, QByteArray(), QByteArray("\n"))->Name("BM_ReadMemory/blank_lf")
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(ReadMemory, same_section, QByteArray(), QByteArray("[A]\r\n"))->Name("BM_ReadMemory/same_section")
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(ReadMemory, new_sections, QByteArray(), QByteArray("[%1]\r\n"))->Name("BM_ReadMemory/new_sections")
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(ReadMemory, same_key, QByteArray("[A]\r\n"), QByteArray("K=1\r\n"))->Name("BM_ReadMemory/same_key")
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(ReadMemory, new_keys, QByteArray("[A]\r\n"), QByteArray("%1=\r\n"))->Name("BM_ReadMemory/new_keys")
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(ReadMemory, comments, QByteArray("[A]\r\n"), QByteArray(";\r\n"))->Name("BM_ReadMemory/comments")
    ->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
