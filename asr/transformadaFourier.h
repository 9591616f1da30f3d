#pragma once
// Radix-2 complex FFT with precomputed twiddles and in-place buffers, for the
// many equal-size transforms of block convolution (no allocation per call).

#include <complex>
#include <cstddef>
#include <vector>

class PlanFFT {
public:
    // n: a power of two (>= 1). Throws std::invalid_argument otherwise.
    explicit PlanFFT(std::size_t n);
    std::size_t longitud() const { return n_; }
    // In place over n values: forward e^{-2 pi i k m / n}; the inverse divides by n.
    void directa(std::complex<double>* datos) const { transformar(datos, false); }
    void inversa(std::complex<double>* datos) const { transformar(datos, true); }

private:
    void transformar(std::complex<double>* datos, bool inversa) const;
    std::size_t n_;
    std::vector<double> cosenos_, senos_;  // e^{-2 pi i k / n} for k < n/2
    std::vector<std::size_t> permutacion_;
};
