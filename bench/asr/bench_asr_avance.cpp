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
#include "bench/comun/asrSintetico.h"
#include "bench/comun/huecosInforme.h"

using namespace huecos;

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
        const EEG b = ejecutarASR(eeg, OpcionesASR{}, avance, memoria);
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
