#pragma once
// The stretches between a step's progress reports: the longest one (wall and
// processor time of the calling thread) and where it ended, i.e. the worst wait
// before a cancellation is seen. Shared by the progress benchmarks.

#include <time.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace huecos {

using Reloj = std::chrono::steady_clock;

inline double segundos(Reloj::duration d) { return std::chrono::duration<double>(d).count(); }

// Processor time of the calling thread: on a shared machine the wall time
// between two reports also counts the time other programs held the processor.
inline double segundosCPU() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

struct Huecos {
    Reloj::time_point anterior = Reloj::now();
    double anteriorCPU = segundosCPU(), maximoCPU = 0.0;
    double maximo = 0.0, fraccion = 0.0;
    std::string etapa;
    long informes = 0;
    std::string largos;  // the stretches over 100 ms, "ms@fraction"
    void marcar(double f, const std::string& e) {
        const Reloj::time_point ahora = Reloj::now();
        const double h = segundos(ahora - anterior);
        const double cpu = segundosCPU();
        maximoCPU = std::max(maximoCPU, cpu - anteriorCPU);
        anteriorCPU = cpu;
        if (h > 0.1 && largos.size() < 400) largos += " " + std::to_string(static_cast<int>(1000 * h)) + "@" + std::to_string(f);
        if (h > maximo) {
            maximo = h;
            fraccion = f;
            etapa = e;
        }
        anterior = ahora;
        ++informes;
    }
};

}  // namespace huecos
