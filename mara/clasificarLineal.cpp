#include "mara/clasificarLineal.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/diagnostico.h"

namespace {

// D(i, g) for every used group; unused columns stay at -inf.
arma::mat discriminar(const arma::mat& x, const arma::mat& medias, const std::vector<arma::uword>& usados,
                      const arma::mat& R, double logDet, double prior) {
    arma::mat D(x.n_rows, 2, arma::fill::value(-std::numeric_limits<double>::infinity()));
    for (arma::uword g : usados) {
        arma::mat centrada = x;
        centrada.each_row() -= medias.row(g);
        // A = centrada * inv(R), as the triangular solve R' A' = centrada'.
        const arma::mat A = arma::solve(arma::trimatl(R.t()), centrada.t()).t();
        D.col(g) = std::log(prior) - 0.5 * (arma::sum(arma::square(A), 1) + logDet);
    }
    return D;
}

}  // namespace

ClasificacionLineal clasificarLineal(const arma::mat& muestra, const arma::mat& entrenamiento,
                                     const arma::rowvec& etiquetas) {
    const arma::uword n = entrenamiento.n_rows, d = entrenamiento.n_cols;
    if (etiquetas.n_elem != n || muestra.n_cols != d)
        throw std::invalid_argument("" + std::to_string(n) + " filas de entrenamiento, " +
                                    std::to_string(etiquetas.n_elem) + " etiquetas, " + std::to_string(d) +
                                    " y " + std::to_string(muestra.n_cols) + " características");
    if (arma::any(etiquetas != 1.0 && etiquetas != 2.0))
        throw std::invalid_argument("las etiquetas de entrenamiento deben ser 1 o 2");

    std::vector<arma::uword> usados;
    arma::mat medias(2, d, arma::fill::zeros);
    for (arma::uword g = 0; g < 2; ++g) {
        const arma::uvec filas = arma::find(etiquetas == static_cast<double>(g + 1));
        if (filas.is_empty()) continue;
        usados.push_back(g);
        medias.row(g) = arma::mean(entrenamiento.rows(filas), 0);
    }
    if (n < usados.size()) {
        diagnostico("error, ntraining too small");
        throw std::runtime_error("Error ICA, hay menos muestras que la cantidad de grupos a clasificar");
    }
    if (n < d)
        throw std::invalid_argument("hay " + std::to_string(n) + " filas de entrenamiento para " +
                                    std::to_string(d) + " características");

    arma::mat centrada = entrenamiento;
    for (arma::uword i = 0; i < n; ++i) centrada.row(i) -= medias.row(static_cast<arma::uword>(etiquetas(i)) - 1);
    arma::mat Q, R;
    if (!arma::qr_econ(Q, R, centrada)) throw std::runtime_error("qr_econ(): decomposition failed");
    R /= std::sqrt(static_cast<double>(n - usados.size()));

    const arma::vec s = arma::svd(R);
    const double smax = s.max();
    const double tolerancia = static_cast<double>(std::max(n, d)) * std::pow(2.0, std::floor(std::log2(smax)) - 52.0);
    if (arma::any(s <= tolerancia)) diagnostico("error, bad linear var");
    const double logDet = 2.0 * arma::accu(arma::log(s));
    const double prior = 1.0 / static_cast<double>(usados.size());

    ClasificacionLineal r;
    r.discriminante = discriminar(muestra, medias, usados, R, logDet, prior);
    r.clases = arma::index_max(r.discriminante, 1);
    r.posterior = arma::exp(r.discriminante.each_col() - arma::max(r.discriminante, 1));
    r.posterior.each_col() /= arma::sum(r.posterior, 1);

    const arma::uvec propias = arma::index_max(discriminar(entrenamiento, medias, usados, R, logDet, prior), 1);
    for (arma::uword g : usados) {
        const arma::uvec filas = arma::find(etiquetas == static_cast<double>(g + 1));
        const double fallos = static_cast<double>(arma::accu(propias.elem(filas) != g));
        r.errorEntrenamiento += prior * fallos / static_cast<double>(filas.n_elem);
    }
    return r;
}
