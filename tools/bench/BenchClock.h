#pragma once
// The benchmarks' clock: seconds from the performance counter, and the timing loop they share.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

inline double BenchSeconds() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct TBenchFigure {
    double best;    // microseconds per call
    double median;
};

// Prints the best and median microseconds per call of work over rounds of repeats calls (after
// one warm-up call: fonts, caches, first paints) and returns them.
template <class Work>
TBenchFigure BenchMeasure(const char* label, int rounds, int repeats, Work work) {
    std::vector<double> perCall;
    work();
    for (int r = 0; r < rounds; ++r) {
        const double start = BenchSeconds();
        for (int i = 0; i < repeats; ++i) work();
        ::GdiFlush();
        perCall.push_back((BenchSeconds() - start) * 1e6 / repeats);
    }
    std::sort(perCall.begin(), perCall.end());
    std::printf("%-50s best %9.1f us   median %9.1f us\n", label, perCall.front(),
                perCall[perCall.size() / 2]);
    return TBenchFigure{perCall.front(), perCall[perCall.size() / 2]};
}

// Prints what a figure is as a multiple of its reference, best to best and median to median,
// beside the goal it is held to (judged on the bests, which other work on the machine disturbs
// least).
inline void BenchRatio(const char* label, const TBenchFigure& figure,
                       const TBenchFigure& reference, double goal) {
    const double best = figure.best / reference.best;
    std::printf("%-50s best %6.2fx  median %6.2fx  (goal <= %.0fx: %s)\n", label, best,
                figure.median / reference.median, goal, best <= goal ? "met" : "not met");
}
