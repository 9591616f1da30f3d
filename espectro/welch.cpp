#include "espectro/welch.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <stdexcept>
#include <string>

#include <armadillo>

arma::vec ventanaHann(arma::uword L) {
    if (L == 0) throw std::invalid_argument("ventanaHann: la longitud es 0");
    const arma::vec i = arma::regspace<arma::vec>(0, static_cast<double>(L) - 1.0);
    return 0.5 - 0.5 * arma::cos(2.0 * arma::datum::pi * i / static_cast<double>(L));
}

arma::vec frecuenciasWelch(arma::uword nfft, double frecuencia) {
    return arma::regspace<arma::vec>(0, static_cast<double>(nfft / 2)) * frecuencia / static_cast<double>(nfft);
}

arma::vec densidadWelch(const double* x, arma::uword n, const PlanWelch& plan, TrabajoWelch& trabajo) {
    const arma::vec& w = plan.ventana;
    const arma::uword L = w.n_elem;
    const arma::uword nfft = plan.nfft;
    if (L == 0 || nfft < 1 || !(plan.frecuencia > 0.0))
        throw std::invalid_argument("densidadWelch: ventana vacía, nfft o frecuencia de muestreo no válidos");
    if (n < L)
        throw std::invalid_argument("densidadWelch: la señal (" + std::to_string(n) +
                                    " muestras) es más corta que la ventana (" + std::to_string(L) + ")");
    const arma::uword solape = L / 2;
    const arma::uword paso = L - solape;
    const arma::uword K = (n - solape) / paso;
    const arma::uword columnas = (K + 1) / 2;
    const arma::uword copiar = std::min(L, nfft);

    auto media = [&](arma::uword k) {
        if (!plan.quitarMedia) return 0.0;
        const double* s = x + k * paso;
        double suma = 0.0;
        for (arma::uword i = 0; i < L; ++i) suma += s[i];
        return suma / static_cast<double>(L);
    };
    arma::cx_mat& pares = trabajo.pares;
    pares.set_size(nfft, columnas);
    for (arma::uword j = 0; j < columnas; ++j) {
        std::complex<double>* col = pares.colptr(j);
        const arma::uword a = 2 * j, b = 2 * j + 1;
        const double* sa = x + a * paso;
        const double ma = media(a);
        if (b < K) {
            const double* sb = x + b * paso;
            const double mb = media(b);
            for (arma::uword i = 0; i < copiar; ++i) col[i] = {(sa[i] - ma) * w[i], (sb[i] - mb) * w[i]};
        } else {
            for (arma::uword i = 0; i < copiar; ++i) col[i] = {(sa[i] - ma) * w[i], 0.0};
        }
        std::fill(col + copiar, col + nfft, std::complex<double>(0.0, 0.0));
    }
    pares = arma::fft(pares);

    arma::vec& p = trabajo.potencia;
    p.zeros(nfft);
    for (arma::uword j = 0; j < columnas; ++j) {
        const std::complex<double>* col = pares.colptr(j);
        for (arma::uword k = 0; k < nfft; ++k) p[k] += std::norm(col[k]);
    }
    // Bin k of the one-sided density gathers bins k and nfft - k of the
    // two-sided one; DC and the Nyquist bin of an even nfft stand alone.
    const arma::uword ultimo = nfft / 2;
    arma::vec d(ultimo + 1);
    d[0] = p[0];
    for (arma::uword k = 1; k <= ultimo; ++k) d[k] = (2 * k == nfft) ? p[k] : p[k] + p[nfft - k];
    const double U = arma::accu(arma::square(w));
    d /= static_cast<double>(K) * U * plan.frecuencia;
    return d;
}

arma::uword muestrasSegmento(double frecuencia, double segundos) {
    if (!(frecuencia > 0.0) || !std::isfinite(frecuencia))
        throw std::invalid_argument("muestrasSegmento: frecuencia de muestreo no válida");
    constexpr double maximo = 2147483648.0;  // 2^31
    if (segundos > 0.0) {
        const double L = std::round(segundos * frecuencia);
        if (!(L >= 2.0) || !(L <= maximo))
            throw std::invalid_argument("muestrasSegmento: un segmento de " + std::to_string(segundos) +
                                        " s no tiene entre 2 y 2^31 muestras a esta frecuencia");
        return static_cast<arma::uword>(L);
    }
    if (!(segundos == 0.0)) throw std::invalid_argument("muestrasSegmento: duración del segmento negativa o no válida");
    const double objetivo = 2.0 * frecuencia;
    if (objetivo > maximo) return static_cast<arma::uword>(maximo);
    double p = 2.0;
    while (2.0 * p <= objetivo) p *= 2.0;
    // objetivo lies in [p, 2p): take the nearer, the larger on a tie.
    return static_cast<arma::uword>(objetivo - p < 2.0 * p - objetivo ? p : 2.0 * p);
}

EspectroPotencia calcularEspectro(const arma::mat& datos, double frecuencia, const OpcionesEspectro& opciones,
                                  const Avance& avance) {
    if (datos.n_rows == 0 || datos.n_cols == 0) throw std::invalid_argument("calcularEspectro: la rama no tiene datos");
    arma::uword L = muestrasSegmento(frecuencia, opciones.segundosSegmento);
    const arma::uword n = datos.n_cols;
    if (n < 2) throw std::invalid_argument("calcularEspectro: la rama tiene menos de 2 muestras");
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

    TrabajoWelch trabajo;
    arma::vec fila(n);
    for (arma::uword c = 0; c < datos.n_rows; ++c) {
        avance(static_cast<double>(c) / static_cast<double>(datos.n_rows));
        fila = datos.row(c).t();
        r.densidad.row(c) = densidadWelch(fila.memptr(), n, plan, trabajo).t();
    }
    avance(1.0);
    return r;
}
