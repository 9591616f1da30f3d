// MARA (ICA, features, classifier) on 64 channels x 17 s at 256 Hz, the size of
// an averaged branch: the step's time with no reporter and with a
// never-cancelling reporter attached (best of the runs given as first
// argument, 3 by default), their difference, and the longest stretch between
// two reports. The model is random, sized like the shipped one.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <time.h>

#include <unistd.h>

#include <armadillo>

#include "io/progreso.h"
#include "mara/aplicarMara.h"
#include "mara/etiquetasMara.h"
#include "mara/modeloMara.h"
#include "bench/comun/huecosInforme.h"

namespace {

using namespace huecos;

EEG registro(arma::uword C, int32_t fs, arma::uword T) {
    arma::arma_rng::set_seed(C);
    EEG eeg(fs, static_cast<uint32_t>(C), static_cast<int64_t>(T));
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, T - 1) / fs;
    arma::mat fuentes(C, T);
    for (arma::uword c = 0; c < C; ++c) {
        fuentes.row(c) = arma::sin(2.0 * M_PI * (2.0 + 0.9 * c) * t) + arma::randu<arma::rowvec>(T) - 0.5;
        (*eeg.canales)[c].etiqueta = etiquetasMara()[c];
    }
    eeg.matrices[0] = arma::randn(C, C) * fuentes;
    return eeg;
}

}  // namespace

int main(int argc, char** argv) {
    const int corridas = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const auto dir = std::filesystem::temp_directory_path() / ("ondelar_bench_mara_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    arma::arma_rng::set_seed(2024);
    ModeloMara m;
    m.leadfield = 100.0 * arma::randn<arma::cube>(118, 2500, 3);
    m.patronesEntrenamiento = arma::randn(104, 1000);
    m.caracteristicasEntrenamiento = arma::randn(6, 1000);
    m.etiquetasEntrenamiento = arma::rowvec(1000);
    for (arma::uword j = 0; j < 1000; ++j) m.etiquetasEntrenamiento(0, j) = j % 3 == 0 ? 1.0 : 2.0;
    guardarModeloMara(m, dir);

    const int32_t fs = 256;
    const EEG eeg = registro(64, fs, 17 * fs);
    std::printf("MARA, 64 canales x %d muestras a %d Hz, mejor de %d corridas\n", 17 * fs, fs, corridas);
    double sin = 1e300, con = 1e300;
    Huecos peor;
    for (int i = 0; i < corridas; ++i) {
        OpcionesMara o;
        o.directorioModelos = dir;
        o.semilla = 1;
        Reloj::time_point t0 = Reloj::now();
        const EEG a = aplicarMara(eeg, o);
        sin = std::min(sin, segundos(Reloj::now() - t0));
        Huecos h;
        o.avance = Avance([&h](double f, const std::string& e) { h.marcar(f, e); });
        t0 = h.anterior = Reloj::now();
        h.anteriorCPU = segundosCPU();
        const EEG b = aplicarMara(eeg, o);
        h.marcar(1.0, "fin");
        con = std::min(con, segundos(Reloj::now() - t0));
        if (h.maximo > peor.maximo || i == 0) peor = h;
        if (!arma::approx_equal(a.datos(), b.datos(), "absdiff", 0.0)) std::printf("  ¡resultados distintos!\n");
    }
    std::filesystem::remove_all(dir);
    std::printf("  sin informe: %.3f s\n  con informe: %.3f s (%+.2f %%)\n", sin, con, 100.0 * (con - sin) / sin);
    std::printf("  %ld informes; mayor intervalo entre dos: %.1f ms de reloj (hasta %.4f, %s), %.1f ms de CPU\n",
                peor.informes, 1000.0 * peor.maximo, peor.fraccion, peor.etapa.c_str(), 1000.0 * peor.maximoCPU);
    return 0;
}
