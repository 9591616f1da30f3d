// Resampling step on a 64-channel, one-hour branch from 1024 to 256 Hz, side
// by side with scipy.signal.resample_poly(x, 1, 4) on the same shape: the two
// are timed in turn, round after round, in one run (scipy in a Python process
// started once, bench/remuestreo/medir_scipy.py), and the medians of the
// rounds are compared. Same filter (81 Kaiser taps) and the same numbers on
// both sides. Prints times only.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include <armadillo>

#include "bench/comun/cargaMaquina.h"
#include "bench/comun/medicion.h"
#include "bench/fir/procesoMNE.h"
#include "dsp/remuestreoEEG.h"
#include "io/textoNumero.h"

using banco::medir;
using banco::mediana;
using banco::Tiempo;
const auto s = banco::segundos;

int main() {
    constexpr uint32_t canales = 64;
    constexpr int32_t fs = 1024, destino = 256;
    constexpr int64_t muestras = int64_t{3600} * fs;
    constexpr int rondas = 5;
    EEG eeg(fs, canales, muestras);
    arma::arma_rng::set_seed(1);
    eeg.matrices.front().randn();
    std::printf("bench_remuestreo: %u canales x %lld muestras, de %d a %d Hz; carga %s\n", canales,
                static_cast<long long>(muestras), fs, destino, cargaMaquina().c_str());

    ProcesoMNE scipy(ONDELAR_RAIZ "/bench/remuestreo/medir_scipy.py");
    if (scipy.disponible()) std::printf("  %s\n", scipy.descripcion().c_str());
    else std::printf("  SciPy no disponible (%s): solo se mide Ondelar\n", scipy.descripcion().c_str());

    std::vector<double> propias, propiasCpu, ajenas, ajenasCpu;
    for (int r = 0; r < rondas; ++r) {
        const Tiempo t = medir([&] { const EEG r256 = remuestrearEEG(eeg, destino); });
        propias.push_back(t.pared);
        propiasCpu.push_back(t.cpu);
        std::printf("  ronda %d: Ondelar %s (CPU %s)", r + 1, s(t.pared).c_str(), s(t.cpu).c_str());
        double pared = 0.0, cpu = 0.0;
        if (scipy.medir(pared, cpu)) {
            ajenas.push_back(pared);
            ajenasCpu.push_back(cpu);
            std::printf(", SciPy %s (CPU %s)", s(pared).c_str(), s(cpu).c_str());
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    std::printf("  mediana de %d rondas: Ondelar %s (CPU %s)", rondas, s(mediana(propias)).c_str(),
                s(mediana(propiasCpu)).c_str());
    if (!ajenas.empty()) {
        std::printf(", SciPy %s (CPU %s)\n", s(mediana(ajenas)).c_str(), s(mediana(ajenasCpu)).c_str());
        std::printf("  SciPy / Ondelar: pared %sx, CPU %sx (objetivo: 3x o más)\n",
                    textoFijo(mediana(ajenas) / mediana(propias), 2).c_str(),
                    textoFijo(mediana(ajenasCpu) / mediana(propiasCpu), 2).c_str());
    } else {
        std::printf("\n");
    }
    return 0;
}
