#pragma once
// Centred linear convolution with a fixed odd-length impulse response by FFT
// overlap-save: the cost per output goes from L products to a few times
// log2 N, whatever the filter's length.
//
// It reads and writes channels x samples matrices (column-major, one column
// per time point) up to `canalesPorGrupo` rows at a time: each block reads the
// rows' samples straight from their columns and writes each output once, so
// no copy of a whole row is ever made and the working set stays a few
// transforms long, whatever the length of the recording.

#include <memory>
#include <vector>

#include <armadillo>

class ConvolucionSolapada {
public:
    // b: the impulse response, L = 2h + 1 coefficients (odd, so the centre is
    // a sample); canalesPorGrupo: the most rows filtered together (1 or more).
    // Throws std::invalid_argument for an even or empty b or zero rows.
    ConvolucionSolapada(const arma::vec& b, arma::uword canalesPorGrupo);
    ~ConvolucionSolapada();
    ConvolucionSolapada(const ConvolucionSolapada&) = delete;
    ConvolucionSolapada& operator=(const ConvolucionSolapada&) = delete;

    // For rows c0 ... c0+g-1 (g <= canalesPorGrupo) of x, `canales` x `muestras`,
    // writes y(c, n) = sum_k b[k] x~(c, n + h - k) for n = desde ... hasta-1:
    // output n is centred on input n, with no delay. x~ is the row extended
    // past each end by its odd reflection about the end sample,
    // x~(-j) = 2 x(0) - x(j) and x~(S-1+j) = 2 x(S-1) - x(S-1-j) for
    // 1 <= j <= S-1, and zero further out (S = muestras). Other elements of y
    // are not touched. The numbers differ from the direct sum only by rounding
    // (about 1e-15 of the signal's scale); they depend on where the blocks
    // fall, so callers start their stretches on multiples of salidasPorBloque()
    // to get the same bits however the work is split.
    void filtrar(const double* x, double* y, arma::uword canales, arma::uword muestras, arma::uword c0,
                 arma::uword g, arma::uword desde, arma::uword hasta);

    arma::uword tamanoBloque() const { return n_; }
    // Outputs per transform: N - L + 1.
    arma::uword salidasPorBloque() const { return bloque_; }

private:
    struct Planes;
    void recoger(const double* x, arma::uword canales, arma::uword muestras, arma::uword c0, arma::uword g,
                 arma::uword n0, arma::uword usadas);
    arma::uword l_;        // taps
    arma::uword h_;        // half length: (L - 1) / 2
    arma::uword n_;        // transform size
    arma::uword bloque_;   // outputs per block: n_ - l_ + 1
    arma::uword grupo_;    // rows transformed together
    arma::uword paso_;     // doubles between two rows' buffers: 2 (N/2 + 1), for the in-place transform
    std::vector<double> respuesta_;  // FFT of b scaled by 1/n_, as (re, im) pairs
    std::unique_ptr<Planes> planes_;
};
