// The window's side of a large table: recalculation with the memo's model
// reset, the first screen of the memo, and the memory the table takes.
#include "bench/support/peakmemory.h"
#include "common/numtext.h"
#include "designer/main_form.h"
#include "designer/main_views.h"
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

// Twenty points on a gentle curve over 0 .. last, the bounds at its ends:
// the table runs from 0 to last in steps of step.
void LoadScale(TMainForm &form, double last, const char *step)
{
    ScaleDocument &d = form.Document;
    d.PointCount = 20;
    for (int i = 0; i < 20; ++i) {
        const double x = last * i / 19.0;
        d.PointX[i] = x;
        d.PointY[i] = x * (1.0 + 0.0001 * (last - x));
    }
    d.PointX[19] = d.PointY[19] = last;
    form.MinEdit->setText("0");
    form.MaxEdit->setText(numtext::FloatToStr(last));
    form.StepEdit->setText(QString::fromLatin1(step));
    form.MaxErrEdit->setText("0,5");
}

struct Window {
    Window(bool shown)
    {
        form.resize(874, 802);
        if (shown) {
            form.show();
            QApplication::processEvents();
            QApplication::processEvents();
        }
    }
    TMainForm form;
};

// Recalculation and the memo model's reset (the window not shown, no graph).
void BM_RecalculateAndResetMemo(benchmark::State &state)
{
    Window w(false);
    LoadScale(w.form, 1000, "0,001");
    for (auto _ : state) {
        w.form.CalcButtonClick();
        benchmark::DoNotOptimize(w.form.TableMemoModel->rowCount());
    }
    state.counters["rows"] = w.form.Document.TableCount;
}
BENCHMARK(BM_RecalculateAndResetMemo)->Unit(benchmark::kMillisecond);

// From the start of the recalculation to the memo's first screen painted, in
// the shown window (the graph of the new table drawn too).
void BM_RecalculateToFirstScreen(benchmark::State &state)
{
    Window w(true);
    LoadScale(w.form, 1000, "0,001");
    for (auto _ : state) {
        w.form.CalcButtonClick();
        w.form.TableMemo->viewport()->repaint();
    }
    state.counters["rows"] = w.form.Document.TableCount;
    state.counters["first_row_y"] =
        w.form.TableMemo->visualRect(w.form.TableMemoModel->index(0)).y(); // laid out at the top
}
BENCHMARK(BM_RecalculateToFirstScreen)->Unit(benchmark::kMillisecond);

// Peak resident memory of a recalculation and its first screen above the
// window with an empty document. The allocator keeps what earlier benchmarks
// freed, so run each of these alone for its figure
// (--benchmark_filter=BM_MillionRowsMemory).
void Memory(benchmark::State &state, double last, const char *step)
{
    Window w(true);
    for (auto _ : state) {
        state.PauseTiming();
        w.form.ClearItemClick();
        QApplication::processEvents();
        LoadScale(w.form, last, step);
        ResetPeak();
        const long base = StatusKb("VmRSS:");
        state.ResumeTiming();
        w.form.CalcButtonClick();
        w.form.TableMemo->viewport()->repaint();
        state.PauseTiming();
        const long peak = StatusKb("VmHWM:");
        state.counters["peak_MB_above_empty"] = double(peak - base) / 1024.0;
        state.counters["base_MB"] = double(base) / 1024.0;
        state.ResumeTiming();
    }
    state.counters["rows"] = w.form.Document.TableCount;
}
void BM_MillionRowsMemory(benchmark::State &state) { Memory(state, 1000, "0,001"); }
void BM_TenMillionRowsMemory(benchmark::State &state) { Memory(state, 9999, "0,001"); }
BENCHMARK(BM_MillionRowsMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TenMillionRowsMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scale"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
