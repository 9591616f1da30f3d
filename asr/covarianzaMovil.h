#pragma once
// Running covariance of a multichannel signal: at every sample, the mean of the
// outer products x xᵀ of the last N samples, carried from one chunk of the
// signal to the next. The first chunk starts from an all-zero history.
//
// The mean is kept as a running sum of +x_t x_tᵀ/N and -x_{t-N} x_{t-N}ᵀ/N terms,
// added in that order sample after sample; the carried history is one
// compensating column followed by the last N-1 outer products. This is the
// cumulative-sum form of a moving average, so the numbers agree to rounding
// with forming every outer product of the chunk, while the memory needed is
// that of N outer products, whatever the chunk length.

#include <cstddef>
#include <functional>
#include <vector>

#include <armadillo>

class CovarianzaMovil {
public:
    // canales >= 1, longitud N >= 1; throws std::invalid_argument otherwise.
    CovarianzaMovil(arma::uword canales, arma::uword longitud);

    // Runs over the chunk X (C x L, one column per sample). At each 1-based
    // position of `puntos` (non-decreasing, each in 1..L) it calls
    // visitar(j, cov) with j the index into `puntos` and cov the C x C running
    // covariance at that sample. Throws std::invalid_argument for a chunk with
    // another channel count or a point outside the chunk.
    void avanzar(const arma::mat& X, const std::vector<arma::uword>& puntos,
                 const std::function<void(std::size_t, const arma::mat&)>& visitar);

private:
    arma::uword C_;
    arma::uword N_;
    // Carried history, one packed upper triangle (C (C + 1) / 2 values) per column, N columns.
    arma::mat historia_;
};
