#include "asr/yulewalk.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <stdexcept>
#include <string>

#include "asr/filtroIIR.h"

namespace {

constexpr arma::uword puntosMitad = 512;  // the spectrum is sampled on 513 points, 0 to Nyquist
constexpr arma::uword puntosTotal = 2 * puntosMitad;
constexpr arma::uword transicionEscalon = puntosMitad / 25;  // width of a vertical step, in grid points

// Desired magnitude on 513 points by linear interpolation, mirrored to 1024.
// Segment i covers grid points fix(f(i) 513) + 1 ... fix(f(i+1) 513) (1-based),
// from m(i) to m(i+1); a repeated breakpoint is a step spread over 20 points.
arma::vec magnitudDeseada(const arma::vec& f, const arma::vec& m) {
    const arma::uword npt = puntosMitad + 1;
    arma::vec ht(npt, arma::fill::zeros);
    long long nb = 1;  // 1-based, as the breakpoint positions
    ht(0) = m(0);
    for (arma::uword i = 0; i + 1 < f.n_elem; ++i) {
        long long ne;
        if (f(i + 1) - f(i) == 0) {
            nb = nb - static_cast<long long>(transicionEscalon) / 2;
            ne = nb + static_cast<long long>(transicionEscalon);
        } else {
            ne = static_cast<long long>(std::trunc(f(i + 1) * static_cast<double>(npt)));
        }
        for (long long j = nb; j <= ne; ++j) {
            const double inc = ne == nb ? 0.0 : static_cast<double>(j - nb) / static_cast<double>(ne - nb);
            if (j >= 1 && j <= static_cast<long long>(npt)) ht(j - 1) = inc * m(i + 1) + (1 - inc) * m(i);
        }
        nb = ne + 1;
    }
    arma::vec completo(puntosTotal);
    completo.head(npt) = ht;
    for (arma::uword k = 1; k + 1 < npt; ++k) completo(npt - 1 + k) = ht(npt - 1 - k);
    return completo;
}

// Impulse response of 1 / A over n samples.
arma::vec respuestaImpulsoInversa(const arma::vec& A, arma::uword n) {
    arma::mat impulso(1, n, arma::fill::zeros);
    impulso(0, 0) = 1.0;
    arma::mat zf;
    return filtrarIIR(arma::vec{1.0}, A, impulso, arma::mat(), zf).row(0).t();
}

// Numerator b (nb + 1 values) such that b * (impulse response of 1/A) fits h
// in the least-squares sense over the length of h.
arma::vec numf(const arma::vec& h, const arma::vec& A, arma::uword nb) {
    const arma::uword nh = h.n_elem;
    const arma::vec impr = respuestaImpulsoInversa(A, nh);
    arma::mat toeplitz(nh, nb + 1, arma::fill::zeros);
    for (arma::uword j = 0; j <= nb && j < nh; ++j) toeplitz.col(j).tail(nh - j) = impr.head(nh - j);
    return arma::solve(toeplitz, h);
}

// Denominator from the extended Yule-Walker equations on lags na+1 ... nr-1:
// R(k) + sum_j a_j R(k - j) = 0, solved in the least-squares sense.
arma::vec denf(const arma::vec& R, arma::uword na) {
    const arma::uword nr = R.n_elem;
    const arma::uword filas = nr - 1 - na;
    arma::mat Rm(filas, na);
    arma::vec rhs(filas);
    for (arma::uword i = 0; i < filas; ++i) {
        const arma::uword k = na + i;  // row for lag k + 1
        for (arma::uword j = 0; j < na; ++j) Rm(i, j) = R(k - j);
        rhs(i) = -R(k + 1);
    }
    arma::vec a(na + 1);
    a(0) = 1.0;
    a.tail(na) = arma::solve(Rm, rhs);
    return a;
}

// Reflects the roots outside the unit circle to 1/conj(r), keeping the leading coefficient.
arma::vec estabilizar(const arma::vec& a) {
    const arma::uword n = a.n_elem - 1;
    if (n == 0) return a;
    arma::mat companera(n, n, arma::fill::zeros);
    companera.row(0) = -a.tail(n).t() / a(0);
    for (arma::uword i = 1; i < n; ++i) companera(i, i - 1) = 1.0;
    arma::cx_vec raices;
    if (!arma::eig_gen(raices, companera))
        throw std::runtime_error("no se pudieron calcular las raíces del denominador");
    arma::cx_vec p(1);
    p(0) = 1.0;
    for (arma::uword i = 0; i < n; ++i) {
        std::complex<double> r = raices(i);
        if (r != 0.0 && std::abs(r) > 1.0) r = 1.0 / std::conj(r);
        arma::cx_vec siguiente(p.n_elem + 1, arma::fill::zeros);
        siguiente.head(p.n_elem) = p;
        siguiente.tail(p.n_elem) -= r * p;
        p = siguiente;
    }
    return a(0) * arma::real(p);
}

}  // namespace

void yulewalk(int orden, const arma::vec& f, const arma::vec& m, arma::vec& B, arma::vec& A) {
    if (orden < 1) throw std::invalid_argument("el orden debe ser al menos 1 y es " + std::to_string(orden));
    if (f.n_elem != m.n_elem || f.n_elem < 2)
        throw std::invalid_argument("frecuencias y magnitudes deben tener la misma longitud (al menos 2)");
    if (f(0) != 0.0 || f(f.n_elem - 1) != 1.0)
        throw std::invalid_argument("las frecuencias deben empezar en 0 y terminar en 1");
    for (arma::uword i = 1; i < f.n_elem; ++i)
        if (!(f(i) >= f(i - 1)))
            throw std::invalid_argument("las frecuencias no son crecientes (posición " + std::to_string(i + 1) +
                                        ")");

    const arma::uword na = static_cast<arma::uword>(orden);
    const arma::uword nr = 4 * na;
    const arma::vec ht = magnitudDeseada(f, m);

    // Autocorrelation of the desired response, tapered by the half Hamming window.
    const arma::vec potencia = ht % ht;
    const arma::vec Rcompleta = arma::real(arma::ifft(arma::conv_to<arma::cx_vec>::from(potencia)));
    arma::vec R = Rcompleta.head(nr);
    for (arma::uword k = 0; k < nr; ++k)
        R(k) *= 0.54 + 0.46 * std::cos(M_PI * static_cast<double>(k) / static_cast<double>(nr - 1));

    A = estabilizar(denf(R, na));

    // Numerator of the "causal half" of the spectrum over A.
    arma::vec mitad = R;
    mitad(0) = R(0) / 2;
    const arma::vec Q = numf(mitad, A, na);

    // S = 2 Re(Q/A) on the unit circle, then its minimum-phase factor by the cepstrum.
    arma::cx_vec Qr(puntosTotal, arma::fill::zeros), Ar(puntosTotal, arma::fill::zeros);
    Qr.head(Q.n_elem) = arma::conv_to<arma::cx_vec>::from(Q);
    Ar.head(A.n_elem) = arma::conv_to<arma::cx_vec>::from(A);
    const arma::vec S = 2 * arma::real(arma::fft(Qr) / arma::fft(Ar));
    arma::cx_vec logS(puntosTotal);
    for (arma::uword k = 0; k < puntosTotal; ++k) logS(k) = std::log(std::complex<double>(S(k), 0.0));
    arma::cx_vec cepstro = arma::ifft(logS);
    cepstro(0) *= 0.5;
    cepstro.tail(puntosTotal - puntosMitad).zeros();  // window [1/2, 511 ones, 512 zeros]
    const arma::cx_vec hh = arma::ifft(arma::exp(arma::fft(cepstro)));

    // The Toeplitz matrix is real, so the real part of the complex fit is the fit of the real part.
    B = numf(arma::real(hh.head(nr)), A, na);
}

void filtroConformacion(int32_t frecuencia, arma::vec& B, arma::vec& A) {
    if (frecuencia < 82)
        throw std::invalid_argument("calibración ASR: la frecuencia de muestreo (" + std::to_string(frecuencia) +
                                    " Hz) es menor que 82 Hz y el filtro de conformación espectral no se puede diseñar");
    const double srate = frecuencia;
    const arma::vec hz = {0, 2, 3, 13, 16, 40, std::min(80.0, srate / 2 - 1)};
    arma::vec f(8);
    f.head(7) = hz * 2 / srate;
    f(7) = 1.0;
    yulewalk(8, f, arma::vec{3, 0.75, 0.33, 0.33, 1, 1, 3, 3}, B, A);
}
