#pragma once
// Current-density inverse operator of MARA's spatial feature 0: a weighted,
// Tikhonov-regularised minimum-norm inverse of the lead field restricted to
// the matched electrodes, average-referenced.

#include <string>
#include <vector>

#include <armadillo>

// leadfield: electrodes x nS sources x 3 orientations (maraL.bin: 118 rows in
// the order of etiquetasLeadfield()). filas: the cube rows of the matched
// channels, in matching order (n of them). Returns M, 3*nS x n, whose row
// o*nS + s is orientation o of source s.
// Throws std::invalid_argument for an empty cube, a cube without 3 slices, fewer
// than 2 rows or a row outside the cube; "eig_gen(): decomposition failed"
// propagates from the decomposition.
arma::mat operadorDensidadCorriente(const arma::cube& leadfield, const arma::uvec& filas);

// Per-source weight w = r^-0.5, r the diagonal of the lead field's own
// resolution matrix (columns centred over all cube rows); entry o*nS + s.
arma::vec ponderacionFuentes(const arma::cube& leadfield);

// Regularised inverse eigenvalues 1/(lambda + 100), with 0 wherever
// lambda < 1e-10: the average-reference centring leaves one null direction
// that must not be inverted.
arma::vec gananciasRegularizadas(const arma::vec& autovalores);

// Rows of etiquetasLeadfield() holding each label (upper-case comparison).
// Throws std::invalid_argument naming a label that is not in the table.
arma::uvec filasLeadfield(const std::vector<std::string>& etiquetas);
