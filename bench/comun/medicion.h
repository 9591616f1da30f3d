#pragma once
// Timing of one piece of work for the side-by-side benchmarks: wall and CPU
// seconds, and the median of several rounds.

#include <algorithm>
#include <chrono>
#include <cstdio>
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

// `rondas` rounds of our work and the outside tool's, one after the other,
// each round printed, then the medians and the outside / ours ratios.
// `ajeno` measures one round of the outside tool (false: not available).
inline void rondasLadoALado(int rondas, const char* nombreAjeno, const std::function<void()>& propio,
                            const std::function<bool(double& pared, double& cpu)>& ajeno) {
    std::vector<double> propias, propiasCpu, ajenas, ajenasCpu;
    for (int r = 0; r < rondas; ++r) {
        const Tiempo t = medir(propio);
        propias.push_back(t.pared);
        propiasCpu.push_back(t.cpu);
        std::printf("  ronda %d: Ondelar %s (CPU %s)", r + 1, segundos(t.pared).c_str(), segundos(t.cpu).c_str());
        double pared = 0.0, cpu = 0.0;
        if (ajeno(pared, cpu)) {
            ajenas.push_back(pared);
            ajenasCpu.push_back(cpu);
            std::printf(", %s %s (CPU %s)", nombreAjeno, segundos(pared).c_str(), segundos(cpu).c_str());
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    std::printf("  mediana de %d rondas: Ondelar %s (CPU %s)", rondas, segundos(mediana(propias)).c_str(),
                segundos(mediana(propiasCpu)).c_str());
    if (ajenas.empty()) {
        std::printf("\n");
        return;
    }
    std::printf(", %s %s (CPU %s)\n", nombreAjeno, segundos(mediana(ajenas)).c_str(),
                segundos(mediana(ajenasCpu)).c_str());
    std::printf("  %s / Ondelar: pared %sx, CPU %sx (objetivo: 3x o más)\n", nombreAjeno,
                textoFijo(mediana(ajenas) / mediana(propias), 2).c_str(),
                textoFijo(mediana(ajenasCpu) / mediana(propiasCpu), 2).c_str());
}

}  // namespace banco
