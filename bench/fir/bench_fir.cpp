// Frequency filter step on a 64-channel, one-hour, 256 Hz branch with the
// dialog's defaults (band-pass 1 to 40 Hz, 60 dB: 19 taps). Prints channel
// samples per second for the whole step and for the plain sample-by-sample
// loop it must agree with.
#include <chrono>
#include <cstdio>
#include <ctime>

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

void informar(const char* nombre, const Reloj& inicio, double total) {
    const double pared =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio.pared).count();
    const double cpu = static_cast<double>(std::clock() - inicio.cpu) / CLOCKS_PER_SEC;
    std::printf("  %-29s %7.3f s (CPU %7.3f s): %7.1f millones de muestras/s (por s de CPU %7.1f)\n", nombre, pared,
                cpu, total / pared / 1e6, total / cpu / 1e6);
}

}  // namespace

int main() {
    constexpr uint32_t canales = 64;
    constexpr int32_t fs = 256;
    constexpr int64_t muestras = int64_t{3600} * fs;
    EEG eeg(fs, canales, muestras);
    arma::arma_rng::set_seed(1);
    eeg.matrices.front().randn();
    const double total = static_cast<double>(canales) * static_cast<double>(muestras);

    const OpcionesFiltro opciones;  // band-pass 1-40 Hz, 60 dB
    FiltroFIR f;
    disenarFiltroFIR(f, opciones.frecInferior, opciones.frecSuperior, fs, opciones.caidaDecibelios, "BANDPASS");
    std::printf("bench_fir: %u canales x %lld muestras a %d Hz, pasa banda de %u coeficientes\n", canales,
                static_cast<long long>(muestras), fs, f.numeroCoeficientes);

    const Reloj paso;
    const EEG filtrado = filtrarEEG(eeg, opciones);
    informar("filtrarEEG (paso entero)", paso, total);

    // The loop alone, into an output whose memory is already mapped: the
    // difference from the whole step is mostly the first touch of 470 MB.
    arma::mat salida = filtrado.datos();
    FiltroFIR copia = f;
    const Reloj bucle;
    filtrarFilasFIR(copia, eeg.datos(), salida);
    informar("filtrarFilasFIR (solo bucle)", bucle, total);

    // The reference: each row through filtrarFIR in turn, state carried.
    const Reloj filas;
    arma::mat referencia(canales, static_cast<arma::uword>(muestras));
    for (arma::uword c = 0; c < canales; ++c) {
        const arma::vec fila = eeg.datos().row(c).t();
        referencia.row(c) = filtrarFIR(f, fila).t();
    }
    informar("filtrarFIR fila a fila", filas, total);

    const bool iguales = arma::approx_equal(filtrado.datos(), referencia, "absdiff", 0.0);
    std::printf("  resultados identicos: %s\n", iguales ? "si" : "NO");
    return iguales ? 0 : 1;
}
