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

    banco::rondasLadoALado(rondas, "SciPy", [&] { const EEG r256 = remuestrearEEG(eeg, destino); },
                           [&](double& pared, double& cpu) { return scipy.medir(pared, cpu); });
    return 0;
}
