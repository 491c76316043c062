// A full instrument's results: 99 files of 100 values, saved, loaded and
// shown as a tree.
#include "results/mainform.h"
#include "results/resfile.h"
#include "results/restree.h"
#include "common/numtext.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

namespace {

ResultsData FullResults()
{
    ResultsData d;
    d.DeviceText = QStringLiteral("Q5-M8 v.1.2.15");
    d.CommonRemark = QString::fromUtf8("Результаты измерений");
    std::vector<std::vector<TValue>> files(ResultFileCount);
    for (int i = 0; i < ResultFileCount; ++i)
        for (int k = 0; k < MaxValues; ++k)
            files[size_t(i)].push_back(TValue{QString::number(double((i * 37 + k * 11) % 997) / 10, 'f', 1),
                                              QStringLiteral("scale%1 ").arg(k % 25), 0, {}});
    d.TakeRead(files);
    for (int i = 0; i < ResultFileCount; ++i)
        d.Files[size_t(i)].Remark = QStringLiteral("file %1").arg(i + 1);
    return d;
}

QTemporaryDir &Dir()
{
    static QTemporaryDir dir;
    return dir;
}

void BM_SaveFull(benchmark::State &state)
{
    const ResultsData d = FullResults();
    const QString path = Dir().filePath(QStringLiteral("save.osl3"));
    for (auto _ : state) {
        QFile::remove(path);
        SaveResultsFile(d, path);
    }
}
BENCHMARK(BM_SaveFull)->Unit(benchmark::kMillisecond);

void BM_SaveOverFull(benchmark::State &state)
{
    const ResultsData d = FullResults();
    const QString path = Dir().filePath(QStringLiteral("over.osl3"));
    SaveResultsFile(d, path);
    for (auto _ : state)
        SaveResultsFile(d, path);
}
BENCHMARK(BM_SaveOverFull)->Unit(benchmark::kMillisecond);

void BM_LoadFull(benchmark::State &state)
{
    const QString path = Dir().filePath(QStringLiteral("load.osl3"));
    SaveResultsFile(FullResults(), path);
    ResultsData d;
    for (auto _ : state) {
        LoadResultsFile(d, path);
        benchmark::DoNotOptimize(d.FileCount);
    }
}
BENCHMARK(BM_LoadFull)->Unit(benchmark::kMillisecond);

void BM_TreeContentFull(benchmark::State &state)
{
    const ResultsData d = FullResults();
    for (auto _ : state) {
        auto roots = TreeContent(d);
        benchmark::DoNotOptimize(roots.data());
    }
}
BENCHMARK(BM_TreeContentFull)->Unit(benchmark::kMillisecond);

// The window's tree: content and items, as a read or a load builds it.
void BM_BuildTreeFull(benchmark::State &state)
{
    TMainForm form({QStringLiteral("Ostrel")});
    form.Results = FullResults();
    for (auto _ : state)
        form.BuildTree();
    form.Modified = false;
}
BENCHMARK(BM_BuildTreeFull)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Dir().filePath(QStringLiteral("cfg")));
    numtext::SetDecimalSeparator('.');
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
