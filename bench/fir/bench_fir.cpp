// Frequency filter step on a 64-channel, one-hour, 256 Hz branch: the
// dialog's default (band-pass 1 to 40 Hz, 60 dB: 699 taps, by FFT) beside the
// committed figure of MNE-Python's filter_data on the same shape
// (bench/fir/mne_filter_data.txt, made by medir_mne.py there), and the 19-tap
// band-pass of the earlier order rule (direct sum). Prints times only.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include <armadillo>

#include "dsp/fir/fir.h"
#include "filtering/filtroFrecuencial.h"

namespace {

// Wall time and this process's CPU time: on a shared machine the CPU figure
// is the one that says how fast the loop is.
struct Reloj {
    std::chrono::steady_clock::time_point pared = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
};

void informar(const char* nombre, const Reloj& inicio) {
    const double pared = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio.pared).count();
    const double cpu = static_cast<double>(std::clock() - inicio.cpu) / CLOCKS_PER_SEC;
    std::printf("  %-44s %7.3f s (CPU %7.3f s)\n", nombre, pared, cpu);
}

}  // namespace

int main() {
    constexpr uint32_t canales = 64;
    constexpr int32_t fs = 256;
    constexpr int64_t muestras = int64_t{3600} * fs;
    EEG eeg(fs, canales, muestras);
    arma::arma_rng::set_seed(1);
    eeg.matrices.front().randn();

    const OpcionesFiltro opciones;  // band-pass 1-40 Hz, 60 dB
    const FiltroFIR largo = disenarFiltroRama(ramaFiltrable(eeg), opciones);
    std::printf("bench_fir: %u canales x %lld muestras a %d Hz\n", canales, static_cast<long long>(muestras), fs);

    std::printf("pasa banda 1-40 Hz, 60 dB: %u coeficientes (FFT)\n", largo.numeroCoeficientes);
    const Reloj paso;
    const EEG filtrado = filtrarEEG(eeg, opciones);
    informar("filtrarEEG (paso entero)", paso);
    arma::mat salida = filtrado.datos();  // memory already mapped: the loop alone
    FiltroFIR copia = largo;
    const Reloj bucle;
    filtrarFilasFIR(copia, eeg.datos(), salida);
    informar("filtrarFilasFIR (solo el filtrado)", bucle);

    // MNE-Python's figure, measured once on this machine by medir_mne.py.
    std::ifstream mne(ONDELAR_RAIZ "/bench/fir/mne_filter_data.txt");
    for (std::string linea; std::getline(mne, linea);)
        if (!linea.empty() && linea[0] != '#') std::printf("  MNE filter_data (archivo): %s\n", linea.c_str());

    // The 19-tap band-pass the earlier rule gave for the same limits.
    FiltroFIR corto;
    prepararFiltroFIR(corto, disenoPasaBanda(18, 1.0 / 128, 40.0 / 128));
    std::printf("pasa banda de 19 coeficientes (suma directa)\n");
    const Reloj corto1;
    arma::mat y19 = filtrarFilasFIR(corto, eeg.datos());
    informar("filtrarFilasFIR (con reserva de la salida)", corto1);
    FiltroFIR corto2 = corto;
    const Reloj corto2Reloj;
    filtrarFilasFIR(corto2, eeg.datos(), y19);
    informar("filtrarFilasFIR (solo el filtrado)", corto2Reloj);
    return 0;
}
