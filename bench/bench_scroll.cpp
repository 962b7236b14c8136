#include "bench/scrolljob.h"

#include "scroll/writeanimation.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

// Writes the whole cycle of the scroll job in one format: 0 GIF, 1 WebP, 2 APNG, 3 PBM, 4 C header.
void writeScroll(benchmark::State& run) {
    static const scroll::Sign sign = bench::scrollSign();
    const scroll::AnimationSettings settings = bench::scrollSettings();
    static const char* const names[] = {"scroll.gif", "scroll.webp", "scroll.png", "scroll.pbm", "scroll.h"};
    QTemporaryDir folder;
    const QString name = folder.filePath(QString::fromLatin1(names[run.range(0)]));
    const scroll::AnimationFormat format = *scroll::animationFormatOf(name);
    for (auto _ : run) {
        if (!scroll::writeAnimation(sign, settings, name, format).ok())
            run.SkipWithError("the animation could not be written");
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    run.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024.0;
    run.counters["file_KiB"] = double(QFileInfo(name).size()) / 1024.0;
}
// CPU time counts every thread: the WebP frames are compressed on all cores.
BENCHMARK(writeScroll)
    ->ArgName("gif_0_webp_1_apng_2_pbm_3_h_4")
    ->DenseRange(0, 4)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
