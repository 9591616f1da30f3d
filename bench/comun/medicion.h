#pragma once
// Timing of one piece of work for the side-by-side benchmarks: wall and CPU
// seconds, and the median of several rounds.

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "io/textoNumero.h"

namespace banco {

struct Tiempo {
    double pared = 0.0;
    double cpu = 0.0;  // of the whole process, every thread
};

inline Tiempo medir(const std::function<void()>& trabajo) {
    const auto pared = std::chrono::steady_clock::now();
    const std::clock_t cpu = std::clock();
    trabajo();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - pared).count(),
            static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC};
}

inline double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    if (n == 0) return 0.0;
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

inline std::string segundos(double x) { return textoFijo(x, 3) + " s"; }

}  // namespace banco
