#pragma once
// The body of a benchmark program's main: an offscreen application, then every benchmark.

int run_offscreen_benchmarks(int argc, char** argv);
