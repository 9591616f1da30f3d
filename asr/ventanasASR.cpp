#include "asr/ventanasASR.h"

#include <cmath>
#include <stdexcept>

arma::uvec iniciosVentanas(arma::uword S, arma::uword N, double paso) {
    if (!(paso > 0) || !std::isfinite(paso))
        throw std::invalid_argument("ventanas ASR: el avance entre ventanas debe ser positivo");
    if (S <= N) return arma::uvec();
    const double limite = static_cast<double>(S - N);
    // Like a colon range 1:paso:limite, with a tolerance for the last point.
    const arma::uword cuantas = static_cast<arma::uword>(std::floor((limite - 1) / paso + 1e-10)) + 1;
    arma::uvec inicios(cuantas);
    for (arma::uword j = 0; j < cuantas; ++j)
        inicios(j) = static_cast<arma::uword>(std::llround(1 + static_cast<double>(j) * paso)) - 1;
    return inicios;
}

arma::vec rmsVentanas(const arma::vec& x, const arma::uvec& inicios, arma::uword N) {
    const arma::vec cuadrados = arma::square(x);
    arma::vec rms(inicios.n_elem);
    for (arma::uword w = 0; w < inicios.n_elem; ++w)
        rms(w) = std::sqrt(arma::mean(cuadrados.subvec(inicios(w), inicios(w) + N - 1)));
    return rms;
}

arma::uword canalesMalosPermitidos(arma::uword C, double fraccion) {
    const double f = (fraccion > 0 && fraccion < 1) ? fraccion : 0.2;
    return static_cast<arma::uword>(std::llround(static_cast<double>(C) * f));
}
