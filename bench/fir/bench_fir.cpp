// Frequency filter step on a 64-channel, one-hour, 256 Hz branch, side by
// side with MNE-Python's filter_data(x, 256, 1, 40) on the same shape: the two
// are timed in turn, round after round, in one run (MNE in a Python process
// started once, bench/fir/medir_mne.py), and the medians of the rounds are
// compared. Both filter with zero phase and reflected ends; our design is the
// dialog's default band-pass (699 taps), MNE's its own (845 taps). Prints
// times only.
#include <algorithm>
#include <charconv>
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
#include "dsp/fir/fir.h"
#include "filtering/filtroFrecuencial.h"
#include "io/diagnostico.h"
#include "io/textoNumero.h"

using banco::medir;
using banco::mediana;
using banco::Tiempo;
const auto s = banco::segundos;

int main() {
    constexpr uint32_t canales = 64;
    constexpr int32_t fs = 256;
    constexpr int64_t muestras = int64_t{3600} * fs;
    constexpr int rondas = 8;
    fijarSumideroDiagnostico(nullptr);  // the step's line would interleave with the figures
    EEG eeg(fs, canales, muestras);
    arma::arma_rng::set_seed(1);
    eeg.matrices.front().randn();
    const OpcionesFiltro opciones;  // band-pass 1-40 Hz, 60 dB
    const FiltroFIR diseno = disenarFiltroRama(ramaFiltrable(eeg), opciones);
    std::printf("bench_fir: %u canales x %lld muestras a %d Hz, pasa banda 1-40 Hz: %u coeficientes; carga %s\n",
                canales, static_cast<long long>(muestras), fs, diseno.numeroCoeficientes, cargaMaquina().c_str());

    ProcesoMNE mne(ONDELAR_RAIZ "/bench/fir/medir_mne.py");
    if (mne.disponible()) std::printf("  MNE: %s\n", mne.descripcion().c_str());
    else std::printf("  MNE-Python no disponible (%s): solo se mide Ondelar\n", mne.descripcion().c_str());

    std::vector<double> propias, propiasCpu, deMNE, deMNECpu;
    for (int r = 0; r < rondas; ++r) {
        // The runner's step, with its output freshly allocated each time as
        // in real use.
        const Tiempo t = medir([&] { const EEG filtrado = filtrarEEG(eeg, opciones); });
        propias.push_back(t.pared);
        propiasCpu.push_back(t.cpu);
        std::printf("  ronda %d: Ondelar %s (CPU %s)", r + 1, s(t.pared).c_str(), s(t.cpu).c_str());
        if (mne.disponible()) {
            double pared = 0.0, cpu = 0.0;
            if (mne.medir(pared, cpu)) {
                deMNE.push_back(pared);
                deMNECpu.push_back(cpu);
                std::printf(", MNE %s (CPU %s)", s(pared).c_str(), s(cpu).c_str());
            }
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    std::printf("  mediana de %d rondas: Ondelar %s (CPU %s)", rondas, s(mediana(propias)).c_str(),
                s(mediana(propiasCpu)).c_str());
    if (!deMNE.empty()) {
        std::printf(", MNE %s (CPU %s)\n", s(mediana(deMNE)).c_str(), s(mediana(deMNECpu)).c_str());
        std::printf("  MNE / Ondelar: pared %sx, CPU %sx (objetivo: 3x o más)\n",
                    textoFijo(mediana(deMNE) / mediana(propias), 2).c_str(),
                    textoFijo(mediana(deMNECpu) / mediana(propiasCpu), 2).c_str());
    } else {
        std::printf("\n");
    }
    return 0;
}
