#pragma once

/// Registers the program's benchmarks with Google Benchmark; false stops the
/// program before anything runs (a baseline that does not do the same work).
/// Each benchmark program defines it; bench_main.cpp runs what it registered.
bool RegisterBenchmarks();
