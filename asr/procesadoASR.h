#pragma once
// ASR processing stage: window-by-window reconstruction of the working data
// with the calibration's mixing and threshold matrices.

#include <functional>

#include <armadillo>

#include "asr/ContextoASR.h"
#include "io/progreso.h"

// Number of chunks the processing works in, from the free physical memory in
// bytes (half of it is budgeted): ceil((64 C² S + 8 C² S / stepsize + 16 C S + 40 S)
// / (memoriaLibre / 2 - 24 C² P)), evaluated in that order in doubles. Our
// running covariance needs no per-chunk buffer, so the count only decides
// where the extra update points at chunk ends fall; it is kept within 1..S,
// and a figure that leaves no room at all (denominator not positive) gives 1.
arma::uword numeroTrozosASR(arma::uword C, arma::uword S, double P, double stepsize, double memoriaLibre);

// Processing stage. datos: C x S working data already extended at its end
// (see reconstruirASR), one column per sample. Uses from the context the
// processing window length (N = round(wl srate), P = round(wl srate / 2)), the
// window overlap as maxdims (below 1 it becomes round(C maxdims)), M, T, B, A
// and iirstate; iirstate is advanced to the filter's final state.
//
// Returns C x S: the P columns of odd reflection of the start (2 x_1 - x_j,
// j = P+1 down to 2) followed by the first S - P reconstructed columns, the
// reconstruction of each sample using the covariance P samples ahead.
// Non-finite input values count as 0. memoriaLibre sets the chunk count
// (numeroTrozosASR). avance hears the samples done, several times per chunk.
// Throws std::invalid_argument for empty data, stepsize < 1, a window of no
// samples or matrices of the wrong size; std::runtime_error when a window's
// covariance cannot be decomposed.
arma::mat procesarASR(const arma::mat& datos, int srate, int stepsize, ContextoASR& contexto, double memoriaLibre,
                      const Avance& avance = Avance());

// The same in place, without a copy of the data: datos = [x, extension], the
// extension being its last min(P, S) columns (read only as look-ahead). On
// return x holds the output's last columns (the reconstruction of x itself)
// and the returned C x min(P, S) matrix its first ones (the reconstructed
// reflected prefix). Throws as procesarASR, and std::invalid_argument for an
// extension of another size.
arma::mat procesarASREnSitio(arma::mat& x, const arma::mat& extension, int srate, int stepsize, ContextoASR& contexto,
                             double memoriaLibre, const Avance& avance = Avance());
