#pragma once
// Synthetic EEG for the ASR benchmarks: seeded noise, slow drifts and 40
// bursts, so that clean-window selection has something to remove.

#include <cmath>
#include <cstdint>

#include <armadillo>

inline arma::mat sintetico(arma::uword C, arma::uword S, int32_t srate) {
    arma::arma_rng::set_seed(2026);
    arma::mat d(C, S, arma::fill::randn);
    d *= 10.0;
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, S - 1) / srate;
    for (arma::uword c = 0; c < C; ++c) d.row(c) += 50.0 * arma::sin(2 * M_PI * 0.05 * t + c) + 0.01 * c * t;
    for (arma::uword k = 0; k < 40; ++k) {
        const arma::uword s0 = (k * 7919 * srate) % (S - srate);
        d.cols(s0, s0 + srate / 2) *= 20.0;
    }
    return d;
}
