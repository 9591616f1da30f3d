// ASR on 64 channels of synthetic data at 256 Hz (30 min by default, or the
// minutes given as first argument): the step's time with no reporter and with
// a never-cancelling reporter attached (best of the runs given as second
// argument, 3 by default), their difference, and the longest stretch between
// two reports, i.e. the worst wait before a cancellation is seen.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <time.h>

#include <armadillo>

#include "asr/ejecutarASR.h"
#include "io/progreso.h"

namespace {

using Reloj = std::chrono::steady_clock;

double segundos(Reloj::duration d) { return std::chrono::duration<double>(d).count(); }

arma::mat sintetico(arma::uword C, arma::uword S, int32_t srate) {
    arma::arma_rng::set_seed(2026);
    arma::mat d(C, S, arma::fill::randn);
    d *= 10.0;
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, S - 1) / srate;
    for (arma::uword c = 0; c < C; ++c) d.row(c) += 50.0 * arma::sin(2 * M_PI * 0.05 * t + c) + 0.01 * c * t;
    for (arma::uword k = 0; k < 40; ++k) {
        const arma::uword s0 = (k * 7919 * srate) % (S - srate);
        d.cols(s0, s0 + srate / 2) *= 20.0;
    }
    return d;
}

// The longest gap between two reports (or the start, or the end) and where it ended.
// Processor time of the calling thread: on a shared machine the wall time
// between two reports also counts the time other programs held the processor.
double segundosCPU() {
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

}  // namespace

int main(int argc, char** argv) {
    const double minutos = argc > 1 ? std::atof(argv[1]) : 30.0;
    const int corridas = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const int32_t srate = 256;
    const arma::uword S = static_cast<arma::uword>(minutos * 60 * srate);
    EEG eeg(srate, 64, static_cast<int64_t>(S));
    eeg.matrices[0] = sintetico(64, S, srate);
    std::printf("ASR, 64 canales x %llu muestras a %d Hz (%.1f min), mejor de %d corridas\n",
                static_cast<unsigned long long>(S), srate, minutos, corridas);

    const double memoria = 8e9;
    double sin = 1e300, con = 1e300;
    Huecos peor;
    for (int i = 0; i < corridas; ++i) {
        Reloj::time_point t0 = Reloj::now();
        // A fixed memory figure: the chunk count, and so the result, depends on it.
        const EEG a = ejecutarASR(eeg, OpcionesASR{}, {}, memoria);
        sin = std::min(sin, segundos(Reloj::now() - t0));
        Huecos h;
        const Avance avance([&h](double f, const std::string& e) { h.marcar(f, e); });
        t0 = h.anterior = Reloj::now();
        h.anteriorCPU = segundosCPU();
        const EEG b = ejecutarASR(eeg, OpcionesASR{}, [&avance](double f) { avance(f); }, memoria);
        h.marcar(1.0, "fin");
        con = std::min(con, segundos(Reloj::now() - t0));
        if (h.maximo > peor.maximo || i == 0) peor = h;
        if (!arma::approx_equal(a.datos(), b.datos(), "absdiff", 0.0)) std::printf("  ¡resultados distintos!\n");
    }
    std::printf("  sin informe: %.3f s\n  con informe: %.3f s (%+.2f %%)\n", sin, con, 100.0 * (con - sin) / sin);
    std::printf("  %ld informes; mayor intervalo entre dos: %.1f ms de reloj (hasta %.4f, %s), %.1f ms de CPU\n",
                peor.informes, 1000.0 * peor.maximo, peor.fraccion, peor.etapa.c_str(), 1000.0 * peor.maximoCPU);
    std::printf("  intervalos de más de 100 ms (ms@fracción):%s\n", peor.largos.empty() ? " ninguno" : peor.largos.c_str());
    return 0;
}
