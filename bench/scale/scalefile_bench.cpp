// Saving a 50-point scale over an existing file: one batch, one replacement.
#include "common/numtext.h"
#include "scale/scalefile.h"
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_SaveScale50Points(benchmark::State &state)
{
    numtext::SetDecimalSeparator(',');
    QTemporaryDir dir;
    const QString path = dir.filePath("scale.scl3");
    ScaleDocument doc;
    doc.AboutText = QString::fromUtf8("Шкала давления");
    doc.XNameText = QStringLiteral("Pressure");
    doc.PointCount = MaxPoints;
    for (int i = 0; i < MaxPoints; ++i) {
        doc.PointX[i] = i * 1.25;
        doc.PointY[i] = i * i * 0.3333333333333;
    }
    SaveScaleFile(path, doc);
    for (auto _ : state)
        SaveScaleFile(path, doc);
    state.counters["keys"] = 14 + 2 * MaxPoints;
}
BENCHMARK(BM_SaveScale50Points)->Unit(benchmark::kMicrosecond);

void BM_LoadScale50Points(benchmark::State &state)
{
    numtext::SetDecimalSeparator(',');
    QTemporaryDir dir;
    const QString path = dir.filePath("scale.scl3");
    ScaleDocument doc;
    doc.PointCount = MaxPoints;
    for (int i = 0; i < MaxPoints; ++i) {
        doc.PointX[i] = MaxPoints - i;
        doc.PointY[i] = i;
    }
    SaveScaleFile(path, doc);
    for (auto _ : state) {
        ScaleDocument loaded;
        benchmark::DoNotOptimize(LoadScaleFile(path, loaded));
    }
}
BENCHMARK(BM_LoadScale50Points)->Unit(benchmark::kMicrosecond);

} // namespace
