#pragma once
// The body of a benchmark program's main: an offscreen application, then every benchmark.

#include <functional>

int run_offscreen_benchmarks(int argc, char** argv);

// Runs `release` once the benchmarks are over, while the application still exists: windows a
// benchmark keeps between runs must go before it.
void release_before_exit(std::function<void()> release);
