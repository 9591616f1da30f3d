#pragma once
// Extended infomax ICA.

#include <cstdint>
#include <optional>

#include <armadillo>

// datos: C x T (one row per channel, one column per sample), taken by value and
// changed freely. pesos (out): Q x C unmixing matrix, rows ordered by
// decreasing variance measure. esfera (out): C x C whitening matrix
// (2 * inverse square root of the channel covariance). eta: requested learning
// rate, replaced by 0.00065 / ln(C) outside [1e-6, 0.1]; Q: number of
// components, which must equal C. The generator is seeded from the clock
// unless `semilla` is given (tests, benchmarks, the headless runner).
// Every failure writes one line to standard output and throws
// std::runtime_error with its text; errors from Armadillo propagate unchanged.
void icaExtendida(arma::mat datos, arma::mat& pesos, arma::mat& esfera, double eta, int Q,
                  std::optional<uint32_t> semilla = std::nullopt);
