#pragma once
// Extended infomax ICA.

#include <cstdint>
#include <optional>

#include <armadillo>

// datos: C x T (one row per channel), taken by value and changed freely.
// pesos (out): Q x C unmixing matrix, rows ordered by decreasing variance
// measure. esfera (out): C x C whitening matrix. eta: requested learning rate;
// Q: number of components. The generator is seeded from the clock unless
// `semilla` is given (tests, benchmarks, the headless runner).
// Throws std::runtime_error (or a C string for the learning-rate failure)
// with the texts of the checks.
void icaExtendida(arma::mat datos, arma::mat& pesos, arma::mat& esfera, double eta, int Q,
                  std::optional<uint32_t> semilla = std::nullopt);
