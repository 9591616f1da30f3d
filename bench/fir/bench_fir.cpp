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

    // The runner's step, with its output freshly allocated each time as in real use.
    banco::rondasLadoALado(rondas, "MNE", [&] { const EEG filtrado = filtrarEEG(eeg, opciones); },
                           [&](double& pared, double& cpu) { return mne.disponible() && mne.medir(pared, cpu); });
    return 0;
}
