#include "asr/convolucionCausal.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

arma::uword siguientePotenciaDeDos(arma::uword n) {
    arma::uword p = 1;
    while (p < n) p <<= 1;
    return p;
}

// Block length of the overlap-save method: a power of two about eight times
// the kernel, which keeps the cost per output near its minimum.
arma::uword longitudBloque(arma::uword w) { return std::max<arma::uword>(1024, siguientePotenciaDeDos(8 * w)); }

// Overlap-save over one complex signal: real kernel, so the real and the
// imaginary parts are two independent signals filtered at once.
arma::cx_vec convolucionBloques(const arma::cx_vec& bf, arma::uword w, const arma::cx_vec& x) {
    const arma::uword L = x.n_elem;
    const arma::uword N = bf.n_elem;
    const arma::uword paso = N - w + 1;
    arma::cx_vec y(L);
    arma::cx_vec segmento(N);
    for (arma::uword inicio = 0; inicio < L; inicio += paso) {
        // segmento(j) = x(inicio - (w-1) + j), zero outside the signal
        segmento.zeros();
        const long long desde = static_cast<long long>(inicio) - static_cast<long long>(w - 1);
        const arma::uword j0 = desde < 0 ? static_cast<arma::uword>(-desde) : 0;
        const arma::uword origen = desde < 0 ? 0 : static_cast<arma::uword>(desde);
        const arma::uword cuantos = std::min<arma::uword>(N - j0, L - origen);
        std::copy(x.begin() + origen, x.begin() + origen + cuantos, segmento.begin() + j0);
        const arma::cx_vec Y = arma::ifft(arma::fft(segmento) % bf);
        const arma::uword salen = std::min(paso, L - inicio);
        std::copy(Y.begin() + (w - 1), Y.begin() + (w - 1) + salen, y.begin() + inicio);
    }
    return y;
}

}  // namespace

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
    const arma::uword N = longitudBloque(w);
    arma::cx_vec bRelleno(N, arma::fill::zeros);
    bRelleno.head(w) = arma::conv_to<arma::cx_vec>::from(b);
    const arma::cx_vec bf = arma::fft(bRelleno);
    for (arma::uword c = 0; c < X.n_cols; c += 2) {
        const bool par = c + 1 < X.n_cols;
        const arma::cx_vec x = par ? arma::cx_vec(X.col(c), X.col(c + 1)) : arma::cx_vec(X.col(c), arma::vec(L, arma::fill::zeros));
        const arma::cx_vec y = convolucionBloques(bf, w, x);
        Y.col(c) = arma::real(y);
        if (par) Y.col(c + 1) = arma::imag(y);
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
