// Recalculation of a million-row table and the reduction of long segments.
#include "common/numtext.h"
#include "scale/progpoints.h"
#include "scale/scaledocument.h"
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

ScaleDocument MillionRowScale(int typeIndex)
{
    numtext::SetDecimalSeparator(',');
    ScaleDocument doc;
    // Twenty points over 0 .. 1000 on a gentle curve from 0 to 1000; with
    // the bounds 0 and 1000 and step 0,001 the table has 1,000,001 rows.
    doc.PointCount = 20;
    for (int i = 0; i < 20; ++i) {
        double x = 1000.0 * i / 19.0;
        doc.PointX[i] = x;
        doc.PointY[i] = x * (1.0 + 0.0001 * (1000.0 - x));
    }
    doc.PointX[19] = doc.PointY[19] = 1000.0;
    doc.ATypeIndex = typeIndex;
    doc.PowerIndex = 8;
    doc.ScalePwrIndex = 2;
    doc.Intervals = true;
    doc.MinText = "0";
    doc.MaxText = "1000";
    doc.StepText = "0,001";
    doc.MaxErrText = "0,5";
    return doc;
}

void Recalculate(benchmark::State &state, int typeIndex)
{
    ScaleDocument doc = MillionRowScale(typeIndex);
    for (auto _ : state) {
        RecalcReport r = doc.Recalculate();
        benchmark::DoNotOptimize(r);
        if (r.Failed() || doc.TableCount < 1000000) {
            state.SkipWithError("unexpected table");
            break;
        }
    }
    state.counters["rows"] = doc.TableCount;
    state.counters["progpoints"] = doc.ProgCount;
}

void BM_RecalculatePiecewiseMillionRows(benchmark::State &state) { Recalculate(state, 0); }
void BM_RecalculateDegree9MillionRows(benchmark::State &state) { Recalculate(state, 1); }
BENCHMARK(BM_RecalculatePiecewiseMillionRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecalculateDegree9MillionRows)->Unit(benchmark::kMillisecond);

// A straight table is one segment: the direct scan would take 5e11 steps.
void BM_ReduceStraightTable(benchmark::State &state)
{
    const std::int64_t n = state.range(0);
    std::vector<double> x(n), y(n);
    double w = -500.0;
    for (std::int64_t i = 0; i < n; ++i, w += 0.001) {
        x[i] = w;
        y[i] = 3.0 * w + 1.0;
    }
    for (auto _ : state) {
        auto rows = ReduceToProgPoints(x.data(), y.data(), n, 0.01, MaxProgPoints);
        benchmark::DoNotOptimize(rows);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ReduceStraightTable)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
