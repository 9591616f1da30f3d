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
            double suma = 0;
            for (arma::uword p = 0; p < P; ++p) {
                const double d = u[p] - y[p];
                suma += pesos[p] * d * d;
            }
            inversas(j) = 1.0 / std::max(std::sqrt(suma), minimo);
        }
        const arma::vec nuevo = (puntos * inversas) / arma::accu(inversas);
        const double cambio = normaPonderada(nuevo - y, pesos) / normaPonderada(nuevo, pesos);
        y = nuevo;
        if (cambio < tolerancia) break;
    }
    return y;
}
