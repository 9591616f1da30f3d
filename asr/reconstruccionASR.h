#pragma once
// Reconstruction matrix of one ASR update point.

#include <armadillo>

// cov: C x C running covariance (symmetric); M, T: C x C mixing and threshold
// matrices of the calibration; maxdims: at most this many components are
// removed (components k < C - maxdims, 1-based, in ascending eigenvalue order,
// are always kept).
//
// Component k of the eigen-decomposition (eigenvalues ascending) is kept when
// its eigenvalue lies below the squared norm of T times its eigenvector.
// Returns R = real(M pinv(diag(keep) Vᵀ M) Vᵀ), or the identity when every
// component is kept; `trivial` tells which. Throws std::runtime_error when
// the eigen-decomposition fails (a covariance with non-finite values) and
// std::invalid_argument for mismatched sizes.
arma::mat matrizReconstruccion(const arma::mat& cov, const arma::mat& M, const arma::mat& T, double maxdims,
                               bool& trivial);
