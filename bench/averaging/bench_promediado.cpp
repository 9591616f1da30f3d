// Common average reference and event-locked averaging on a one-hour,
// 64-channel, 256 Hz branch. CAR is shown linear in channels x samples by
// timing 16, 32 and 64 channels; the row-by-row leave-one-out mean, quadratic
// in channels, is timed beside it on one minute for comparison.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <armadillo>

#include "averaging/car.h"
#include "averaging/promediado.h"
#include "io/EEG.h"

namespace {

using Reloj = std::chrono::steady_clock;

template <class F>
double segundos(F&& f) {
    const auto t0 = Reloj::now();
    f();
    return std::chrono::duration<double>(Reloj::now() - t0).count();
}

arma::mat carFilaAFila(const arma::mat& X) {
    arma::mat Y(arma::size(X));
    for (arma::uword i = 0; i < X.n_rows; ++i) {
        arma::uvec otros = arma::regspace<arma::uvec>(0, X.n_rows - 1);
        otros.shed_row(i);
        Y.row(i) = X.row(i) - arma::mean(X.rows(otros), 0);
    }
    return Y;
}

}  // namespace

int main() {
    constexpr int32_t frecuencia = 256;
    constexpr int64_t muestras = int64_t{3600} * frecuencia;
    arma::arma_rng::set_seed(1);

    EEG eeg(frecuencia, 64, muestras);
    eeg.matrices.front().randn();
    eeg.matrices.front() *= 20.0;
    std::printf("rama: 64 canales x %lld muestras (una hora a 256 Hz)\n\n", static_cast<long long>(muestras));

    // The reference column is X + 1 into a new matrix: one read and one
    // freshly allocated write per element, the floor for any step that
    // returns a new branch.
    std::printf("CAR (suma de canales compensada), una hora:\n");
    std::printf("%8s %12s %16s %18s\n", "canales", "segundos", "ns por elemento", "X + 1 (segundos)");
    for (arma::uword n : {16u, 32u, 64u}) {
        const arma::mat X = eeg.datos().rows(0, n - 1);
        arma::mat Y;
        const double s = segundos([&] { Y = referenciaPromedioComun(X); });
        Y.reset();
        const double base = segundos([&] { Y = X + 1.0; });
        std::printf("%8llu %12.3f %16.2f %18.3f\n", static_cast<unsigned long long>(n), s,
                    s * 1e9 / static_cast<double>(X.n_elem), base);
    }
    double sCompleto = segundos([&] { const EEG r = aplicarCAR(eeg); });
    std::printf("aplicarCAR sobre la rama completa (incluye derivarEEG): %.3f s\n\n", sCompleto);

    std::printf("CAR fila a fila (media de los otros n - 1 canales), un minuto, para comparar:\n");
    std::printf("%8s %12s %16s %16s\n", "canales", "segundos", "ns por elemento", "suma compensada");
    for (arma::uword n : {16u, 32u, 64u}) {
        const arma::mat X = eeg.datos().submat(0, 0, n - 1, 60 * frecuencia - 1);
        arma::mat Y;
        const double s = segundos([&] { Y = carFilaAFila(X); });
        const double r = segundos([&] { Y = referenciaPromedioComun(X); });
        std::printf("%8llu %12.3f %16.2f %16.3f\n", static_cast<unsigned long long>(n), s,
                    s * 1e9 / static_cast<double>(X.n_elem), r);
    }

    // One event of kind 1.1 every two seconds, 100 ms before and 600 ms after.
    eeg.tablaEventos = std::make_shared<TablaEventos>();
    int32_t i = 0;
    for (int32_t p = 2 * frecuencia; p + 2 * frecuencia < muestras; p += 2 * frecuencia)
        fijarEvento(*eeg.tablaEventos, Evento{1, p, 1, 0, 0, 0, 0, 0}, i++);
    eeg.tablaEventos->numeroEventos = i;

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "ondelar-bench-promediado";
    std::filesystem::create_directories(dir);
    ParametrosPromediado p;
    p.tipos = {1};
    p.calificadores = {1};
    p.msPrev = 100;
    p.msPost = 600;
    ResultadoPromediado r;
    const double s = segundos([&] { r = promediarEventos(eeg, p, DestinoCubo{dir, {}}); });
    const double mb = static_cast<double>(std::filesystem::file_size(r.archivoCubo)) / 1e6;
    std::printf("\npromediado: %llu epocas de %lld muestras, cubo de %.1f MB: %.3f s (incluye escribir el cubo)\n",
                static_cast<unsigned long long>(r.numeroEpocas), static_cast<long long>(r.promedio.numeroMuestras),
                mb, s);
    std::filesystem::remove_all(dir);
    return 0;
}
