#pragma once
// A designed FIR filter with its running state. Copyable: a copy carries the
// coefficients and the state as they are, and runs on independently.

#include <cstdint>

#include <armadillo>

#include "io/progreso.h"

struct FiltroFIR {
    uint32_t numeroCoeficientes = 0;  // L = order + 1
    uint32_t posicion = 0;            // write position in estado
    arma::vec estado;                 // the last L input samples, in circular order
    arma::vec coeficientes;           // b[0] ... b[L-1]
};

// Sets the filter up for the given coefficients: fresh state (all zero),
// position 0. An empty vector gives an empty filter, which cannot filter.
void prepararFiltroFIR(FiltroFIR& filtro, arma::vec coeficientes);

// y[n] = sum_k b[k] x[n-k], the samples before x[0] taken from the state left
// by earlier calls (zero for a fresh filter). Updates the state; never resets it.
// Throws std::invalid_argument for an empty filter or one whose fields disagree.
arma::vec filtrarFIR(FiltroFIR& filtro, const arma::vec& entrada);

// Filters longer than this run by FFT overlap-add: below it the direct sum is
// as fast or faster (19 taps: about 0.15 s of CPU for 64 channels x 1 h).
constexpr arma::uword coeficientesMaximosDirecto = 64;

// Filters every row of `entrada` (channels x samples, one column per time
// point) in turn, as a column of samples, into the same row of the result.
// The state is not reset between rows: row r starts from the state the end
// of row r-1 left. Up to coeficientesMaximosDirecto taps the numbers are those
// of filtrarFIR row by row, bit for bit; longer filters go by FFT and agree
// with it to rounding (1e-10 of the output's scale at most), with the same
// final state. `avance`, when given, hears the fraction done after each
// stretch of about 65536 samples: of all rows together on the direct path, of
// each group of eight rows on the FFT path. It may throw Cancelado and never
// changes the numbers. Same throws as filtrarFIR.
arma::mat filtrarFilasFIR(FiltroFIR& filtro, const arma::mat& entrada, const Avance& avance = Avance());
// The same into `salida`, resized to the input's size (its memory is reused
// when it already has that size; a new one is asked for in 2 MB pages, which
// are faster to map). `salida` must not be `entrada`.
void filtrarFilasFIR(FiltroFIR& filtro, const arma::mat& entrada, arma::mat& salida,
                     const Avance& avance = Avance());
