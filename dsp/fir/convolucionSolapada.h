#pragma once
// Linear convolution with a fixed impulse response by FFT overlap-save, for
// filters long enough that the direct sum costs more than the transforms
// (the cost per output goes from L products to a few times log2 N).
//
// It works in place on a channels x samples matrix (column-major, one column
// per time point), up to `canalesPorGrupo` rows at a time: each block reads
// the rows' samples straight from their columns and writes each output once,
// so no copy of a whole row is ever made and the working set stays a few
// transforms long, whatever the length of the recording.

#include <memory>
#include <vector>

#include <armadillo>

class ConvolucionSolapada {
public:
    // b: the impulse response (L > 0 coefficients); muestras: the samples per
    // row of the matrices it will filter (sets the block size); canalesPorGrupo:
    // the most rows filtered together (1 or more). Throws std::invalid_argument
    // for an empty b, zero samples or zero rows.
    ConvolucionSolapada(const arma::vec& b, arma::uword muestras, arma::uword canalesPorGrupo);
    ~ConvolucionSolapada();
    ConvolucionSolapada(const ConvolucionSolapada&) = delete;
    ConvolucionSolapada& operator=(const ConvolucionSolapada&) = delete;

    // For rows c0 ... c0+g-1 (g <= canalesPorGrupo) of x, `canales` x `muestras`,
    // writes y(c0+i, n) = sum_k b[k] x(c0+i, n-k) for n = desde ... hasta-1,
    // where the samples before column 0 are row i's prefix: the L-1 doubles at
    // prefijos + i*(L-1), in time order (prefix[j] stands for column j-(L-1)).
    // Other elements of y are not touched. The numbers differ from the direct
    // sum only by rounding (about 1e-15 of the signal's scale).
    void filtrar(const double* x, double* y, arma::uword canales, arma::uword c0, arma::uword g,
                 const double* prefijos, arma::uword desde, arma::uword hasta);

    arma::uword tamanoBloque() const { return n_; }
    // Outputs per transform: N - L + 1. Stretches that start on a multiple of
    // it waste no transform.
    arma::uword salidasPorBloque() const { return bloque_; }

private:
    struct Planes;
    arma::uword l_;        // taps
    arma::uword s_;        // samples per row
    arma::uword n_;        // transform size
    arma::uword bloque_;   // outputs per block: n_ - l_ + 1
    arma::uword grupo_;    // rows transformed together
    arma::uword paso_;     // doubles between two rows' buffers: 2 (N/2 + 1), for the in-place transform
    std::vector<double> respuesta_;  // FFT of b scaled by 1/n_, as (re, im) pairs
    std::unique_ptr<Planes> planes_;
};
