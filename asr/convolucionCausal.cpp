#include "asr/convolucionCausal.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <stdexcept>
#include <vector>

namespace {

arma::uword siguientePotenciaDeDos(arma::uword n) {
    arma::uword p = 1;
    while (p < n) p <<= 1;
    return p;
}

// Block length of the overlap-save method: a power of two about eight times
// the kernel, which keeps the cost per output near its minimum.
arma::uword longitudBloque(arma::uword w) { return std::max<arma::uword>(1024, siguientePotenciaDeDos(8 * w)); }

}  // namespace

ConvolucionFFT::ConvolucionFFT(const arma::vec& b)
    : w_(b.n_elem), plan_(b.is_empty() ? 1 : longitudBloque(b.n_elem)) {
    if (b.is_empty()) throw std::invalid_argument("el núcleo de la convolución está vacío");
    const arma::uword N = plan_.longitud();
    bf_.zeros(N);
    bf_.head(w_) = arma::conv_to<arma::cx_vec>::from(b);
    plan_.directa(bf_.memptr());
    segmento_.set_size(N);
}

void ConvolucionFFT::aplicar(const std::complex<double>* x, std::complex<double>* y, arma::uword L) {
    const arma::uword N = plan_.longitud();
    const arma::uword paso = N - w_ + 1;
    for (arma::uword inicio = 0; inicio < L; inicio += paso) {
        // segmento(j) = x(inicio - (w-1) + j), zero outside the signal
        segmento_.zeros();
        const long long desde = static_cast<long long>(inicio) - static_cast<long long>(w_ - 1);
        const arma::uword j0 = desde < 0 ? static_cast<arma::uword>(-desde) : 0;
        const arma::uword origen = desde < 0 ? 0 : static_cast<arma::uword>(desde);
        const arma::uword cuantos = std::min<arma::uword>(N - j0, L - origen);
        std::copy(x + origen, x + origen + cuantos, segmento_.begin() + j0);
        plan_.directa(segmento_.memptr());
        segmento_ %= bf_;
        plan_.inversa(segmento_.memptr());
        const arma::uword salen = std::min(paso, L - inicio);
        std::copy(segmento_.begin() + (w_ - 1), segmento_.begin() + (w_ - 1) + salen, y + inicio);
    }
}

arma::mat convolucionCausalDirecta(const arma::vec& b, const arma::mat& X) {
    const arma::uword L = X.n_rows, w = b.n_elem;
    arma::mat Y(L, X.n_cols, arma::fill::zeros);
    if (w == 0 || L == 0) return Y;
    for (arma::uword c = 0; c < X.n_cols; ++c) {
        const double* x = X.colptr(c);
        double* y = Y.colptr(c);
        for (arma::uword n = 0; n < L; ++n) {
            const arma::uword kmax = std::min(w - 1, n);
            double s = 0.0;
            for (arma::uword k = 0; k <= kmax; ++k) s += b[k] * x[n - k];
            y[n] = s;
        }
    }
    return Y;
}

arma::mat convolucionCausalFFT(const arma::vec& b, const arma::mat& X) {
    const arma::uword L = X.n_rows, w = b.n_elem;
    arma::mat Y(L, X.n_cols, arma::fill::zeros);
    if (w == 0 || L == 0) return Y;
    ConvolucionFFT conv(b);
    std::vector<std::complex<double>> x(L), y(L);
    for (arma::uword c = 0; c < X.n_cols; c += 2) {
        const bool par = c + 1 < X.n_cols;
        for (arma::uword i = 0; i < L; ++i) x[i] = {X(i, c), par ? X(i, c + 1) : 0.0};
        conv.aplicar(x.data(), y.data(), L);
        for (arma::uword i = 0; i < L; ++i) {
            Y(i, c) = y[i].real();
            if (par) Y(i, c + 1) = y[i].imag();
        }
    }
    return Y;
}

bool convolucionPorFFT(arma::uword w, arma::uword L) {
    if (w < 32 || L < 64) return false;
    const arma::uword N = longitudBloque(w);
    const double bloques = std::ceil(static_cast<double>(L) / static_cast<double>(N - w + 1));
    // Per signal: two transforms per block, shared by a pair of signals.
    const double costeFFT = bloques * N * std::log2(static_cast<double>(N)) * 4.0;
    const double costeDirecto = static_cast<double>(L) * static_cast<double>(w);
    return costeFFT < costeDirecto;
}

arma::mat convolucionCausal(const arma::vec& b, const arma::mat& X) {
    return convolucionPorFFT(b.n_elem, X.n_rows) ? convolucionCausalFFT(b, X) : convolucionCausalDirecta(b, X);
}
