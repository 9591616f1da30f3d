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
struct Huecos {
    Reloj::time_point anterior = Reloj::now();
    double maximo = 0.0, fraccion = 0.0;
    std::string etapa;
    long informes = 0;
    void marcar(double f, const std::string& e) {
        const Reloj::time_point ahora = Reloj::now();
        const double h = segundos(ahora - anterior);
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

    double sin = 1e300, con = 1e300;
    Huecos peor;
    for (int i = 0; i < corridas; ++i) {
        Reloj::time_point t0 = Reloj::now();
        const EEG a = ejecutarASR(eeg, OpcionesASR{});
        sin = std::min(sin, segundos(Reloj::now() - t0));
        Huecos h;
        const Avance avance([&h](double f, const std::string& e) { h.marcar(f, e); });
        t0 = h.anterior = Reloj::now();
        const EEG b = ejecutarASR(eeg, OpcionesASR{}, [&avance](double f) { avance(f); });
        h.marcar(1.0, "fin");
        con = std::min(con, segundos(Reloj::now() - t0));
        if (h.maximo > peor.maximo || i == 0) peor = h;
        if (!arma::approx_equal(a.datos(), b.datos(), "absdiff", 0.0)) std::printf("  ¡resultados distintos!\n");
    }
    std::printf("  sin informe: %.3f s\n  con informe: %.3f s (%+.2f %%)\n", sin, con, 100.0 * (con - sin) / sin);
    std::printf("  %ld informes; mayor intervalo entre dos: %.1f ms (hasta %.4f, %s)\n", peor.informes,
                1000.0 * peor.maximo, peor.fraccion, peor.etapa.c_str());
    return 0;
}
