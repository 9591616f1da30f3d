#pragma once
// Shape-preserving piecewise cubic Hermite interpolation, as the numerical
// engine's interp1(x, y, xi, 'pchip') computes it: Fritsch-Carlson slopes
// (weighted harmonic mean inside, three-point end formula limited to keep
// the shape, as in SLATEC's PCHIM) and the Hermite cubic on each interval.

#include <armadillo>

// x: breakpoints, strictly increasing, at least 2; y: values at x (same length);
// xi: query points. Points outside [x(0), x(end)] are extrapolated with the end
// cubic. Throws std::invalid_argument for lengths that differ, fewer than two
// breakpoints or breakpoints that are not strictly increasing.
arma::vec interpolarPchip(const arma::vec& x, const arma::vec& y, const arma::vec& xi);
