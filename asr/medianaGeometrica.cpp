#include "asr/medianaGeometrica.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

double normaPonderada(const arma::vec& v, const arma::vec& pesos) { return std::sqrt(arma::dot(pesos, arma::square(v))); }

}  // namespace

arma::vec medianaGeometrica(const arma::mat& puntos, const arma::vec& pesosEntrada, double tolerancia,
                            int maxIteraciones) {
    const arma::uword P = puntos.n_rows, n = puntos.n_cols;
    if (n == 0 || P == 0) throw std::invalid_argument("mediana geométrica: no hay puntos");
    const arma::vec pesos = pesosEntrada.is_empty() ? arma::vec(P, arma::fill::ones) : pesosEntrada;
    if (pesos.n_elem != P) throw std::invalid_argument("mediana geométrica: pesos de longitud distinta a la dimensión");

    arma::vec y = arma::mean(puntos, 1);
    arma::vec inversas(n);
    for (int it = 0; it < maxIteraciones; ++it) {
        const double escala = normaPonderada(y, pesos);
        const double minimo = std::max(escala * 1e-14, std::numeric_limits<double>::min());
        for (arma::uword j = 0; j < n; ++j) {
            const double* u = puntos.colptr(j);
            const double* yp = y.memptr();
            const double* wp = pesos.memptr();
            // Four partial sums: the loop vectorises without reassociation flags.
            double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
            arma::uword p = 0;
            for (; p + 4 <= P; p += 4) {
                const double d0 = u[p] - yp[p], d1 = u[p + 1] - yp[p + 1], d2 = u[p + 2] - yp[p + 2],
                             d3 = u[p + 3] - yp[p + 3];
                s0 += wp[p] * d0 * d0;
                s1 += wp[p + 1] * d1 * d1;
                s2 += wp[p + 2] * d2 * d2;
                s3 += wp[p + 3] * d3 * d3;
            }
            for (; p < P; ++p) {
                const double d = u[p] - yp[p];
                s0 += wp[p] * d * d;
            }
            const double suma = (s0 + s1) + (s2 + s3);
            inversas(j) = 1.0 / std::max(std::sqrt(suma), minimo);
        }
        const arma::vec nuevo = (puntos * inversas) / arma::accu(inversas);
        const double cambio = normaPonderada(nuevo - y, pesos) / normaPonderada(nuevo, pesos);
        y = nuevo;
        if (cambio < tolerancia) break;
    }
    return y;
}
