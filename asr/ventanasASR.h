#pragma once
// Window grid and window RMS shared by clean-window selection and calibration.

#include <cstdint>

#include <armadillo>

// 0-based first samples of the windows of N samples over S samples: the
// 1-based offsets 1, 1 + paso, 1 + 2 paso, ... not exceeding S - N, each rounded
// half away from zero, minus one. Empty when S <= N. Throws
// std::invalid_argument for a step that is not positive.
arma::uvec iniciosVentanas(arma::uword S, arma::uword N, double paso);

// Root mean square of x over each window [inicio, inicio + N).
arma::vec rmsVentanas(const arma::vec& x, const arma::uvec& inicios, arma::uword N);

// Channels allowed out of range in a window: round(C f) for 0 < f < 1, else round(0.2 C).
arma::uword canalesMalosPermitidos(arma::uword C, double fraccion);
