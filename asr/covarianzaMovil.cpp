#include "asr/covarianzaMovil.h"

#include <stdexcept>
#include <string>

namespace {

// Packed upper triangle of x xᵀ: column c holds rows 0..c, at c (c + 1) / 2 + r.
// The product is symmetric to the last bit (x_r x_c == x_c x_r), so half of it
// says everything.
void productoExterior(const double* x, arma::uword C, double* destino) {
    for (arma::uword c = 0, k = 0; c < C; ++c) {
        const double xc = x[c];
        for (arma::uword r = 0; r <= c; ++r, ++k) destino[k] = x[r] * xc;
    }
}

}  // namespace

CovarianzaMovil::CovarianzaMovil(arma::uword canales, arma::uword longitud) : C_(canales), N_(longitud) {
    if (canales < 1 || longitud < 1)
        throw std::invalid_argument("se necesitan al menos un canal y una muestra de ventana (canales " +
                                    std::to_string(canales) + ", ventana " + std::to_string(longitud) + ")");
    historia_.zeros(C_ * (C_ + 1) / 2, N_);
}

void CovarianzaMovil::avanzar(const arma::mat& X, const std::vector<arma::uword>& puntos,
                              const std::function<void(std::size_t, const arma::mat&)>& visitar) {
    if (X.n_rows != C_)
        throw std::invalid_argument("el trozo tiene " + std::to_string(X.n_rows) +
                                    " canales y se esperaban " + std::to_string(C_));
    const arma::uword L = X.n_cols;
    for (arma::uword p : puntos)
        if (p < 1 || p > L)
            throw std::invalid_argument("punto " + std::to_string(p) +
                                        " fuera del trozo de " + std::to_string(L) + " muestras");
    if (L == 0) return;

    const arma::uword K = historia_.n_rows;
    const double N = static_cast<double>(N_);
    const double menos = -1.0 / N;
    const double mas = 1.0 / N;

    // Column j (1-based) of the chunk's extended sequence [history, x_1 x_1ᵀ, ...].
    arma::vec auxiliar(K);
    auto columnaY = [&](arma::uword j) -> const double* {
        if (j <= N_) return historia_.colptr(j - 1);
        productoExterior(X.colptr(j - N_ - 1), C_, auxiliar.memptr());
        return auxiliar.memptr();
    };

    arma::vec suma(K, arma::fill::zeros);
    double* s = suma.memptr();
    arma::mat cov(C_, C_);
    std::size_t siguiente = 0;
    for (arma::uword t = 1; t <= L; ++t) {
        // Leaving term first, then the entering one, as the cumulative sum of
        // the interleaved sequence adds them.
        const double* nuevo = X.colptr(t - 1);
        if (t <= N_) {
            const double* viejo = historia_.colptr(t - 1);
            for (arma::uword c = 0, k = 0; c < C_; ++c) {
                const double xc = nuevo[c];
                for (arma::uword r = 0; r <= c; ++r, ++k) {
                    const double a = s[k] + viejo[k] * menos;
                    s[k] = a + (nuevo[r] * xc) * mas;
                }
            }
        } else {
            const double* xv = X.colptr(t - N_ - 1);
            for (arma::uword c = 0, k = 0; c < C_; ++c) {
                const double xc = nuevo[c];
                const double vc = xv[c];
                for (arma::uword r = 0; r <= c; ++r, ++k) {
                    const double a = s[k] + (xv[r] * vc) * menos;
                    s[k] = a + (nuevo[r] * xc) * mas;
                }
            }
        }
        while (siguiente < puntos.size() && puntos[siguiente] == t) {
            for (arma::uword c = 0, k = 0; c < C_; ++c)
                for (arma::uword r = 0; r <= c; ++r, ++k) cov(r, c) = cov(c, r) = s[k];
            visitar(siguiente, cov);
            ++siguiente;
        }
    }

    // New history: the compensating column -(mean N - Y(L + 1)), then Y(L + 2 .. L + N).
    arma::mat nueva(K, N_);
    {
        const double* y = columnaY(L + 1);
        double* d = nueva.colptr(0);
        for (arma::uword k = 0; k < K; ++k) d[k] = -(s[k] * N - y[k]);
    }
    for (arma::uword j = 2; j <= N_; ++j) {
        const double* y = columnaY(L + j);
        std::copy(y, y + K, nueva.colptr(j - 1));
    }
    historia_ = std::move(nueva);
}
