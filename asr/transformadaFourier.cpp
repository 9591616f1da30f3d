#include "asr/transformadaFourier.h"

#include <cmath>
#include <stdexcept>
#include <utility>

PlanFFT::PlanFFT(std::size_t n) : n_(n) {
    if (n == 0 || (n & (n - 1)) != 0) throw std::invalid_argument("la longitud de la transformada de Fourier debe ser potencia de dos");
    cosenos_.resize(n / 2);
    senos_.resize(n / 2);
    for (std::size_t k = 0; k < n / 2; ++k) {
        // Each twiddle from its own angle: no accumulated rounding.
        const double angulo = -2.0 * M_PI * static_cast<double>(k) / static_cast<double>(n);
        cosenos_[k] = std::cos(angulo);
        senos_[k] = std::sin(angulo);
    }
    permutacion_.resize(n);
    std::size_t bits = 0;
    while ((std::size_t{1} << bits) < n) ++bits;
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t r = 0;
        for (std::size_t b = 0; b < bits; ++b)
            if (i & (std::size_t{1} << b)) r |= std::size_t{1} << (bits - 1 - b);
        permutacion_[i] = r;
    }
}

void PlanFFT::transformar(std::complex<double>* datos, bool inversa) const {
    const std::size_t n = n_;
    for (std::size_t i = 0; i < n; ++i)
        if (i < permutacion_[i]) std::swap(datos[i], datos[permutacion_[i]]);
    // Real arithmetic on the interleaved pairs avoids the NaN-checked complex product.
    double* a = reinterpret_cast<double*>(datos);
    const double signo = inversa ? -1.0 : 1.0;
    for (std::size_t largo = 2; largo <= n; largo <<= 1) {
        const std::size_t mitad = largo / 2, paso = n / largo;
        for (std::size_t i = 0; i < n; i += largo) {
            for (std::size_t k = 0; k < mitad; ++k) {
                const double wr = cosenos_[k * paso], wi = signo * senos_[k * paso];
                double* u = a + 2 * (i + k);
                double* v = a + 2 * (i + k + mitad);
                const double vr = v[0] * wr - v[1] * wi;
                const double vi = v[0] * wi + v[1] * wr;
                v[0] = u[0] - vr;
                v[1] = u[1] - vi;
                u[0] += vr;
                u[1] += vi;
            }
        }
    }
    if (inversa) {
        const double escala = 1.0 / static_cast<double>(n);
        for (std::size_t i = 0; i < 2 * n; ++i) a[i] *= escala;
    }
}
