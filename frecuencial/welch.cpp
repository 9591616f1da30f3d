#include "frecuencial/welch.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include <armadillo>
#include <fftw3.h>

#include "dsp/fir/cerrojoFFTW.h"

arma::vec ventanaHann(arma::uword L) {
    if (L == 0) throw std::invalid_argument("la ventana de Hann tiene longitud 0");
    const arma::vec i = arma::regspace<arma::vec>(0, static_cast<double>(L) - 1.0);
    return 0.5 - 0.5 * arma::cos(2.0 * arma::datum::pi * i / static_cast<double>(L));
}

arma::vec frecuenciasWelch(arma::uword nfft, double frecuencia) {
    return arma::regspace<arma::vec>(0, static_cast<double>(nfft / 2)) * frecuencia / static_cast<double>(nfft);
}

struct TrabajoWelch::Planes {
    arma::uword nfft = 0;
    arma::uword lote = 0;         // segments per transform
    double* tiempo = nullptr;     // lote x nfft windowed samples
    fftw_complex* frecuencia = nullptr;  // lote x (nfft / 2 + 1) bins
    fftw_plan plan = nullptr;

    Planes(arma::uword n, arma::uword segmentos) : nfft(n), lote(segmentos) {
        const arma::uword bins = n / 2 + 1;
        tiempo = fftw_alloc_real(lote * n);
        frecuencia = fftw_alloc_complex(lote * bins);
        if (!tiempo || !frecuencia) {
            liberar();
            throw std::bad_alloc();
        }
        const int tamano = static_cast<int>(n);
        {
            // FFTW_ESTIMATE: the plan depends on the sizes only, never on
            // timings, so the same input always gives the same bits.
            std::lock_guard<std::mutex> guarda(cerrojoFFTW());
            plan = fftw_plan_many_dft_r2c(1, &tamano, static_cast<int>(lote), tiempo, nullptr, 1, tamano,
                                          frecuencia, nullptr, 1, static_cast<int>(bins), FFTW_ESTIMATE);
        }
        if (!plan) {
            liberar();
            throw std::runtime_error("FFTW no pudo preparar la transformada");
        }
    }
    ~Planes() { liberar(); }
    Planes(const Planes&) = delete;
    Planes& operator=(const Planes&) = delete;

    void liberar() {
        if (plan) {
            std::lock_guard<std::mutex> guarda(cerrojoFFTW());
            fftw_destroy_plan(plan);
            plan = nullptr;
        }
        fftw_free(tiempo);
        fftw_free(frecuencia);
        tiempo = nullptr;
        frecuencia = nullptr;
    }
};

TrabajoWelch::TrabajoWelch() = default;
TrabajoWelch::~TrabajoWelch() = default;

arma::vec densidadWelch(const double* x, arma::uword n, const PlanWelch& plan, TrabajoWelch& trabajo) {
    const arma::vec& w = plan.ventana;
    const arma::uword L = w.n_elem;
    const arma::uword nfft = plan.nfft;
    if (L == 0 || nfft < 1 || nfft > static_cast<arma::uword>(std::numeric_limits<int>::max()) ||
        !(plan.frecuencia > 0.0))
        throw std::invalid_argument("ventana vacía, nfft o frecuencia de muestreo no válidos");
    if (n < L)
        throw std::invalid_argument("la señal (" + std::to_string(n) +
                                    " muestras) es más corta que la ventana (" + std::to_string(L) + ")");
    const arma::uword solape = L / 2;
    const arma::uword paso = L - solape;
    const arma::uword K = (n - solape) / paso;
    const arma::uword copiar = std::min(L, nfft);
    const arma::uword bins = nfft / 2 + 1;

    // About 256 KiB of samples per batch: enough segments to amortise the
    // plan's overhead, few enough for the batch to stay in cache.
    constexpr arma::uword muestrasLote = arma::uword{1} << 15;
    const arma::uword lote = std::max<arma::uword>(1, std::min(K, muestrasLote / nfft));
    if (!trabajo.planes || trabajo.planes->nfft != nfft || trabajo.planes->lote != lote) {
        trabajo.planes.reset();
        trabajo.planes = std::make_unique<TrabajoWelch::Planes>(nfft, lote);
    }
    TrabajoWelch::Planes& planes = *trabajo.planes;
    const double* ventana = w.memptr();

    arma::vec& p = trabajo.potencia;
    p.zeros(bins);
    for (arma::uword primero = 0; primero < K; primero += lote) {
        const arma::uword m = std::min(lote, K - primero);
        for (arma::uword j = 0; j < m; ++j) {
            const double* s = x + (primero + j) * paso;
            double media = 0.0;
            if (plan.quitarMedia) {
                for (arma::uword i = 0; i < L; ++i) media += s[i];
                media /= static_cast<double>(L);
            }
            double* t = planes.tiempo + j * nfft;
            for (arma::uword i = 0; i < copiar; ++i) t[i] = (s[i] - media) * ventana[i];
            std::fill(t + copiar, t + nfft, 0.0);
        }
        // A short last batch: the spare segments are zeros and are not summed.
        if (m < lote) std::fill(planes.tiempo + m * nfft, planes.tiempo + lote * nfft, 0.0);
        fftw_execute(planes.plan);
        for (arma::uword j = 0; j < m; ++j) {
            const fftw_complex* f = planes.frecuencia + j * bins;
            for (arma::uword k = 0; k < bins; ++k) p[k] += f[k][0] * f[k][0] + f[k][1] * f[k][1];
        }
    }
    // The one-sided density doubles every bin but DC and, for an even nfft,
    // Nyquist: their mirror images nfft - k carry the same power.
    arma::vec d(bins);
    d[0] = p[0];
    for (arma::uword k = 1; k < bins; ++k) d[k] = (2 * k == nfft) ? p[k] : 2.0 * p[k];
    const double U = arma::accu(arma::square(w));
    d /= static_cast<double>(K) * U * plan.frecuencia;
    return d;
}

arma::uword muestrasSegmento(double frecuencia, double segundos) {
    if (!(frecuencia > 0.0) || !std::isfinite(frecuencia))
        throw std::invalid_argument("frecuencia de muestreo no válida");
    constexpr double maximo = 2147483648.0;  // 2^31
    if (segundos > 0.0) {
        const double L = std::round(segundos * frecuencia);
        if (!(L >= 2.0) || !(L <= maximo))
            throw std::invalid_argument("un segmento de " + std::to_string(segundos) +
                                        " s no tiene entre 2 y 2^31 muestras a esta frecuencia");
        return static_cast<arma::uword>(L);
    }
    if (!(segundos == 0.0)) throw std::invalid_argument("duración del segmento negativa o no válida");
    const double objetivo = 2.0 * frecuencia;
    if (objetivo > maximo) return static_cast<arma::uword>(maximo);
    double p = 2.0;
    while (2.0 * p <= objetivo) p *= 2.0;
    // objetivo lies in [p, 2p): take the nearer, the larger on a tie.
    return static_cast<arma::uword>(objetivo - p < 2.0 * p - objetivo ? p : 2.0 * p);
}

EspectroPotencia calcularEspectro(const arma::mat& datos, double frecuencia, const OpcionesEspectro& opciones,
                                  const Avance& avance) {
    if (datos.n_rows == 0 || datos.n_cols == 0) throw std::invalid_argument("la rama no tiene datos");
    arma::uword L = muestrasSegmento(frecuencia, opciones.segundosSegmento);
    const arma::uword n = datos.n_cols;
    if (n < 2) throw std::invalid_argument("la rama tiene menos de 2 muestras");
    EspectroPotencia r;
    r.frecuenciaMuestreo = frecuencia;
    if (n < L) {
        r.segmentoAcortado = true;
        r.aviso = "la rama tiene " + std::to_string(n) + " muestras, menos que un segmento de " + std::to_string(L) +
                  ": se usa un único segmento de " + std::to_string(n) + " muestras";
        L = n;
    }
    const PlanWelch plan{ventanaHann(L), L, frecuencia, true};
    r.muestrasSegmento = L;
    r.segmentos = (n - L / 2) / (L - L / 2);
    r.frecuencias = frecuenciasWelch(L, frecuencia);
    r.densidad.set_size(datos.n_rows, r.frecuencias.n_elem);

    // A channel is a strided row of the column-major matrix: copied alone, it
    // would pull every cache line of the branch once per channel. The eight
    // channels that share a line are copied together, into one contiguous
    // column each, so the branch is read about once in all.
    constexpr arma::uword canalesBloque = 8;
    TrabajoWelch trabajo;
    arma::mat bloque(n, std::min(canalesBloque, datos.n_rows), arma::fill::none);
    for (arma::uword primero = 0; primero < datos.n_rows; primero += canalesBloque) {
        const arma::uword m = std::min(canalesBloque, datos.n_rows - primero);
        for (arma::uword j = 0; j < n; ++j) {
            const double* muestra = datos.colptr(j) + primero;
            for (arma::uword k = 0; k < m; ++k) bloque.at(j, k) = muestra[k];
        }
        for (arma::uword k = 0; k < m; ++k) {
            const arma::uword c = primero + k;
            avance(static_cast<double>(c) / static_cast<double>(datos.n_rows));
            r.densidad.row(c) = densidadWelch(bloque.colptr(k), n, plan, trabajo).t();
        }
    }
    avance(1.0);
    return r;
}
