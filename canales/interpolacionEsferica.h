#pragma once
// Spherical-spline interpolation of bad channels (Perrin, Pernier, Bertrand
// and Echallier 1989, Electroenceph. clin. Neurophysiol. 72: 184-187): each
// bad channel becomes a weighted sum of the good ones, the weights those of
// the spline through the good channels evaluated at the bad one's position.
// Positions are taken as directions from the origin (0, 0, 0) on the unit
// sphere, as MNE-Python's interpolate_bads(mode='accurate', origin=(0, 0, 0))
// does; the numbers equal its own to 1e-10 (tests/data/canales).

#include <string>
#include <vector>

#include <armadillo>

#include "io/EEG.h"

// g(x) = 1/(4 pi) sum_{n=1}^{50} (2n + 1) / (n (n + 1))^4 P_n(x), the
// spline's kernel at the cosine x of the angle between two electrodes.
double nucleoSpline(double coseno);

// Weights (rows: destinos, columns: origenes) of the interpolation from unit
// vectors `origenes` (3 x n, n >= 1) to unit vectors `destinos` (3 x m):
// [G_do 1] times the first n columns of the inverse of [[G_oo + 1e-5 I, 1],
// [1', 0]], the ridge that keeps the system solvable when two electrodes
// nearly coincide. Each row sums to 1 (the constant term of the spline).
arma::mat matrizInterpolacion(const arma::mat& origenes, const arma::mat& destinos);

// The branch with every bad channel's rows (in every matrix) replaced by the
// interpolation from the good channels that have a position, and its bad list
// emptied; a note says which were interpolated from how many. A branch
// without bad channels comes back unchanged, with a note. Throws
// std::invalid_argument naming a bad channel without a position (or at the
// origin), and when fewer than 3 good channels have one.
EEG interpolarCanalesMalos(const EEG& eeg, std::vector<std::string>& notas);
