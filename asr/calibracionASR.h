#pragma once
// ASR calibration: from the clean samples, the spectral-shaping filter and
// its state, the mixing matrix M (square root of the robust covariance) and
// the threshold matrix T.

#include <cstdint>

#include <armadillo>

#include "asr/ContextoASR.h"
#include "io/progreso.h"

struct CalibracionASR {
    arma::mat M;         // C x C
    arma::mat T;         // C x C
    arma::vec B, A;      // 9 coefficients each
    arma::mat iirstate;  // 8 x C
};

// Sums over phases k = 0 ... bloque-1 of the outer products of the samples
// k, k + bloque, k + 2 bloque, ... (an index past the end takes the last
// sample). datos: C x S, one sample per column. Returns the upper triangle of each summed C x C matrix as
// a column (column-major order: (0,0), (0,1), (1,1), (0,2), ...), one column
// per block: C(C+1)/2 x (floor((S-1)/bloque) + 1).
arma::mat covarianzaBloques(const arma::mat& datos, arma::uword bloque);

// datos: C x S clean samples; frecuencia in Hz; cutoff: the burst criterion k.
// Throws std::invalid_argument below 82 Hz, for no samples or too few for one
// half-second window; std::runtime_error when the eigen-decomposition fails or
// a component admits no fit.
CalibracionASR calibrarASR(const arma::mat& datos, int32_t frecuencia, double cutoff, const ContextoASR& parametros);

// The same, streaming over the clean columns `limpias` (increasing) of
// `datos` (C x S) and working in its own memory: the clean columns are moved
// to the front of `datos` and filtered there, the robust covariance is
// formed block by block at each step of the geometric median and the
// component RMS window by window, so nothing the size of the data is
// allocated. On return `datos` holds no useful samples. The results equal
// those of calibrarASR(datos.cols(limpias), ...) up to rounding (1e-12
// relative). avance hears the stage "calibrando" and the share of its work
// done. Throws as calibrarASR, and std::invalid_argument for a column outside
// the data.
CalibracionASR calibrarASREnSitio(arma::mat& datos, const arma::uvec& limpias, int32_t frecuencia, double cutoff,
                                  const ContextoASR& parametros, const Avance& avance = Avance());

// On ctx.calibracion: writes ctx.M, ctx.T, ctx.B, ctx.A and ctx.iirstate.
void calibrarASR(ContextoASR& ctx, int32_t cutoff);
void calibrarASR(ContextoASR& ctx);  // with ctx.cutoff
