#include "dsp/fir/convolucionSolapada.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <fftw3.h>

#include "dsp/fir/cerrojoFFTW.h"

struct ConvolucionSolapada::Planes {
    double* tiempo = nullptr;
    fftw_complex* frecuencia = nullptr;
    fftw_plan directo = nullptr;
    fftw_plan inverso = nullptr;

    explicit Planes(arma::uword n) {
        tiempo = fftw_alloc_real(n);
        frecuencia = fftw_alloc_complex(n / 2 + 1);
        if (!tiempo || !frecuencia) throw std::bad_alloc();
        // FFTW_ESTIMATE: the plan depends only on the size, never on timings
        // taken at run time, so the same input always gives the same bits.
        const int tamano = static_cast<int>(n);
        std::lock_guard<std::mutex> guarda(cerrojoFFTW());
        directo = fftw_plan_dft_r2c_1d(tamano, tiempo, frecuencia, FFTW_ESTIMATE);
        inverso = fftw_plan_dft_c2r_1d(tamano, frecuencia, tiempo, FFTW_ESTIMATE);
        if (!directo || !inverso) throw std::runtime_error("ConvolucionSolapada: FFTW no pudo preparar la transformada");
    }
    ~Planes() {
        std::lock_guard<std::mutex> guarda(cerrojoFFTW());
        if (directo) fftw_destroy_plan(directo);
        if (inverso) fftw_destroy_plan(inverso);
        fftw_free(tiempo);
        fftw_free(frecuencia);
    }
};

namespace {

// Transform size for L taps and E input samples: the power of two with the
// least total work, blocks x N log2 N; it never needs to exceed one block for
// the whole input.
arma::uword tamanoTransformada(arma::uword l, arma::uword e) {
    arma::uword n = 1;
    while (n < l) n *= 2;
    arma::uword mejor = 0;
    double costeMejor = 0.0;
    for (; n <= (arma::uword{1} << 24); n *= 2) {
        const arma::uword bloque = n - l + 1;
        const double bloques = std::ceil(static_cast<double>(e) / static_cast<double>(bloque));
        const double coste = bloques * static_cast<double>(n) * std::log2(static_cast<double>(n));
        if (mejor == 0 || coste < costeMejor) {
            mejor = n;
            costeMejor = coste;
        }
        if (bloque >= e) break;
    }
    return mejor;
}

}  // namespace

ConvolucionSolapada::ConvolucionSolapada(const arma::vec& b, arma::uword longitudEntrada)
    : l_(b.n_elem), e_(longitudEntrada) {
    if (b.is_empty()) throw std::invalid_argument("ConvolucionSolapada: la respuesta al impulso está vacía");
    if (e_ < l_)
        throw std::invalid_argument("ConvolucionSolapada: la entrada (" + std::to_string(e_) +
                                    " muestras) es más corta que el filtro (" + std::to_string(l_) + ")");
    n_ = tamanoTransformada(l_, e_);
    bloque_ = n_ - l_ + 1;
    planes_ = std::make_unique<Planes>(n_);

    std::fill(planes_->tiempo, planes_->tiempo + n_, 0.0);
    std::copy(b.begin(), b.end(), planes_->tiempo);
    fftw_execute(planes_->directo);
    const double escala = 1.0 / static_cast<double>(n_);  // FFTW's inverse is not normalised
    respuesta_.resize(n_ / 2 + 1);
    for (arma::uword j = 0; j < respuesta_.size(); ++j)
        respuesta_[j] = std::complex<double>(planes_->frecuencia[j][0], planes_->frecuencia[j][1]) * escala;
}

ConvolucionSolapada::~ConvolucionSolapada() = default;

void ConvolucionSolapada::valida(const double* x, double* y) {
    const arma::uword salidas = e_ - l_ + 1;
    std::fill(y, y + salidas, 0.0);
    double* t = planes_->tiempo;
    fftw_complex* f = planes_->frecuencia;
    for (arma::uword inicio = 0; inicio < e_; inicio += bloque_) {
        const arma::uword largo = std::min(bloque_, e_ - inicio);
        std::copy(x + inicio, x + inicio + largo, t);
        std::fill(t + largo, t + n_, 0.0);
        fftw_execute(planes_->directo);
        for (arma::uword j = 0; j < respuesta_.size(); ++j) {
            // Written out: std::complex's operator* checks for NaN and calls
            // out of line, several times slower in this loop.
            const double re = f[j][0], im = f[j][1];
            const double hr = respuesta_[j].real(), hi = respuesta_[j].imag();
            f[j][0] = re * hr - im * hi;
            f[j][1] = re * hi + im * hr;
        }
        fftw_execute(planes_->inverso);
        // Block term i lands on full-convolution index inicio + i, which is
        // output inicio + i - (L-1) when that lies in 0 ... salidas-1.
        const arma::uword desde = (inicio >= l_ - 1) ? 0 : l_ - 1 - inicio;
        const arma::uword hasta = std::min(largo + l_ - 1, e_ - inicio);  // exclusive
        for (arma::uword i = desde; i < hasta; ++i) y[inicio + i - (l_ - 1)] += t[i];
    }
}
