#pragma once
// Extended infomax ICA.

#include <cstdint>
#include <optional>

#include <armadillo>

#include "io/progreso.h"

// datos: C x T (one row per channel, one column per sample), taken by value and
// changed freely. pesos (out): Q x C unmixing matrix, rows ordered by
// decreasing variance measure. esfera (out): C x C whitening matrix
// (2 * inverse square root of the channel covariance). eta: requested learning
// rate, replaced by 0.00065 / ln(max(C, 2)) outside [1e-6, 0.1] (NaN too);
// Q: number of components, which must equal C. The generator is private to
// the call and seeded from the clock unless `semilla` is given (tests,
// benchmarks, the headless runner); no global generator is touched.
// Refused before training, each with a line on standard output and a
// std::runtime_error carrying the text: T < C, block size < 2, Q < 1, Q != C,
// a NaN or infinite value, data of rank < Q. A restart fails the same way when
// the learning rate falls to 1e-6 or the sphered data lack Q components.
// Errors from Armadillo propagate unchanged. The outputs are written only on
// success.
// avance, when active, hears the stage "ICA" and the passes done out of the
// 512 allowed, after every pass (a restart starts counting again); it may throw
// Cancelado. It never changes the result.
// The passes run on one BLAS thread: the block products are too small for
// more, and a seed then gives the same weights however many cores there are.
void icaExtendida(arma::mat datos, arma::mat& pesos, arma::mat& esfera, double eta, int Q,
                  std::optional<uint32_t> semilla = std::nullopt, const Avance& avance = Avance());
