#include "mara/periodogramaWelch.h"

#include <stdexcept>
#include <string>

EspectroWelch espectroWelch(const arma::vec& x, const arma::vec& ventana, arma::uword nfft, double rate) {
    const arma::uword L = ventana.n_elem;
    if (L == 0 || nfft < 1 || !(rate > 0.0))
        throw std::invalid_argument("espectroWelch: ventana vacía, nfft o frecuencia de muestreo no válidos");
    if (x.n_elem < L)
        throw std::invalid_argument("espectroWelch: la señal (" + std::to_string(x.n_elem) +
                                    " muestras) es más corta que la ventana (" + std::to_string(L) + ")");
    const arma::uword solape = L / 2;
    const arma::uword paso = L - solape;
    const arma::uword K = (x.n_elem - solape) / paso;

    arma::mat segmentos(L, K);
    for (arma::uword k = 0; k < K; ++k) segmentos.col(k) = x.subvec(k * paso, k * paso + L - 1) % ventana;
    const double U = arma::accu(arma::square(ventana));
    const arma::vec Sxx = arma::mean(arma::square(arma::abs(arma::fft(segmentos, nfft))), 1) / U;

    const arma::uword ultimo = nfft / 2;  // even: Nyquist bin; odd: (nfft - 1) / 2
    EspectroWelch r;
    r.pxx = Sxx.head(ultimo + 1);
    const arma::uword finDoblado = (nfft % 2 == 0) ? ultimo - 1 : ultimo;
    if (finDoblado >= 1) r.pxx.subvec(1, finDoblado) *= 2.0;
    r.pxx /= rate;
    r.freq = arma::regspace<arma::vec>(0, static_cast<double>(ultimo)) * rate / static_cast<double>(nfft);
    return r;
}
