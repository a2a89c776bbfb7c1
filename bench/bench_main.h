#pragma once

#include <benchmark/benchmark.h>

// The body of a benchmark program's main(): the Qt application object the benchmarks need
// (QCoreApplication, or QApplication for windows), then Google Benchmark's usual run.
template <class Application>
int runBenchmarks(int argc, char** argv)
{
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
