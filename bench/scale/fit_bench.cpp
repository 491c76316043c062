// The fit on the hard calibrations: the time of a recalculation and, as
// counters, the correct significant digits of the table rows from the first
// to the last point against the exact least-squares polynomial ("digits"),
// what a Householder QR in doubles gets on the same rows ("qr_double", 0 when
// it finds the problem rank-deficient) and the digits required ("target").
#include "scale/scaledocument.h"
#include "tests/scale/fit_reference.h"
#include <benchmark/benchmark.h>

namespace {

void FitTable(benchmark::State &state, const FitCase &c)
{
    ScaleDocument doc;
    LoadCase(doc, c);
    for (auto _ : state) {
        RecalcReport r = doc.Recalculate();
        benchmark::DoNotOptimize(r);
        if (r.Failed()) {
            state.SkipWithError("the fit was refused");
            return;
        }
    }
    std::vector<double> xs, ys;
    RowsWithinPoints(doc, c, xs, ys);
    ExactFit exact(c.degree, c.xs, c.ys);
    size_t row = 0;
    state.counters["digits"] = CorrectDigits(exact, xs, [&](double) { return ys[row++]; });
    auto qr = QrInDoubles(c.degree, c.xs, c.ys);
    state.counters["qr_double"] = qr ? CorrectDigits(exact, xs, qr) : 0.0;
    state.counters["target"] = c.digits;
    state.counters["rows"] = static_cast<double>(xs.size());
}

const bool Registered = [] {
    for (const FitCase &c : FitCases())
        benchmark::RegisterBenchmark(("BM_FitTable/" + CaseId(c)).c_str(), FitTable, c)->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
