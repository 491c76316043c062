// INI files of results size: 30,000 keys written in one batch and read back.
#include "common/ini.h"
#include "common/numtext.h"
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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
