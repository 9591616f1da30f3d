#pragma once

#include <armadillo>

// Symmetric Hamming window of length n, written as the five-term cosine sum
// with a = [0.54, 0.46, 0, 0, 0]:
//   w(i) = 0.54 - 0.46 cos(2 pi i / (n - 1)),  i = 0 ... n - 1.
// n = 0 gives an empty vector; n = 1 gives [1] (the formula would divide 0 by 0).
arma::vec ventanaHamming(arma::uword n);
