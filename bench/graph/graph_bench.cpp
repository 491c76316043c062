// The screen graph's full rebuild: frame, a dense curve and the point markers.
#include "common/numtext.h"
#include "graph/net.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

void EnsureApplication()
{
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "graph_bench";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv); // lives for the whole run
}

void BM_FramePolylineMarkers(benchmark::State &state)
{
    EnsureApplication();
    numtext::SetDecimalSeparator(',');
    const int n = 1000000;
    std::vector<double> xs(n), ys(n);
    for (int i = 0; i < n; ++i) {
        xs[i] = 1000.0 * i / n;
        ys[i] = 500 + 400 * std::sin(i * 0.00002) + 30 * std::sin(i * 0.37);
    }
    std::vector<double> px(50), py(50);
    for (int i = 0; i < 50; ++i) {
        px[i] = 20.0 * i;
        py[i] = 500 + 400 * std::sin(i * 0.4);
    }
    TNet net(nullptr, QStringLiteral("Scale"), 1000, 800, 0, 1000, 0, 1000, 0x00FFFF, 0x808080, 0, false, false);
    for (auto _ : state) {
        net.SetRange(0, 1000, 0, 1000);
        net.DrawPolyline(n, xs.data(), ys.data(), 0x00FF00, false, 3, 0x0000FF, false);
        net.DrawPoints(50, px.data(), py.data(), 3, 0x00FF00, true, 0xFF00FF);
        benchmark::DoNotOptimize(net.Bitmap.constBits());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FramePolylineMarkers)->Unit(benchmark::kMillisecond);

// The frame alone, for comparison.
void BM_Frame(benchmark::State &state)
{
    EnsureApplication();
    numtext::SetDecimalSeparator(',');
    TNet net(nullptr, QStringLiteral("Scale"), 1000, 800, 0, 1000, 0, 1000, 0x00FFFF, 0x808080, 0, false, false);
    for (auto _ : state) {
        net.SetRange(0, 1000, 0, 1000);
        benchmark::DoNotOptimize(net.Bitmap.constBits());
    }
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMillisecond);

} // namespace
