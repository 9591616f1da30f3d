#pragma once
// A designed FIR filter with its running state. Copyable: a copy carries the
// coefficients and the state as they are, and runs on independently.

#include <cstdint>

#include <armadillo>

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
