#pragma once

// Timing helpers shared by the benchmarks: each figure of the program is taken right next to its
// floor, pair by pair, so that a busy machine slows both alike; the medians of several pairs are
// printed with the median of the ratios.

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

inline double seconds(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e9;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Pair {
    double program = 0;
    double floor = 0;
    double ratio = 0;
};

// Runs program and floor alternately `repeats` times; prepare runs before each of them, untimed.
inline Pair measurePairs(int repeats, const std::function<void()>& program,
                         const std::function<void()>& floor, const std::function<void()>& prepare = {}) {
    std::vector<double> p;
    std::vector<double> f;
    std::vector<double> r;
    for (int i = 0; i < repeats; ++i) {
        if (prepare)
            prepare();
        const double a = seconds(program);
        if (prepare)
            prepare();
        const double b = seconds(floor);
        p.push_back(a);
        f.push_back(b);
        r.push_back(b > 0 ? a / b : 0);
    }
    return {median(p), median(f), median(r)};
}

inline void printHeader(const char* title) {
    std::printf("\n%s\n%-44s %12s %12s %8s\n", title, "figure", "program", "floor", "ratio");
}

// Times below a second are shown in milliseconds.
inline void printRow(const QString& figure, const Pair& pair) {
    const bool ms = pair.program < 1 && pair.floor < 1;
    const double k = ms ? 1000 : 1;
    const char* unit = ms ? "ms" : "s";
    std::printf("%-44s %9.2f %-2s %9.2f %-2s %7.2fx\n", qPrintable(figure), pair.program * k, unit,
                pair.floor * k, unit, pair.ratio);
    std::fflush(stdout);
}

} // namespace bench
