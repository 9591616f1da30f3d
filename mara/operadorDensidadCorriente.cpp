#include "mara/operadorDensidadCorriente.h"

#include <algorithm>
#include <stdexcept>

#include "mara/etiquetasMara.h"

namespace {

// nRows x 3nS matrix whose column o*nS + s is orientation o of source s
// (the natural slice-after-slice layout of the cube's memory).
arma::mat comoMatriz(const arma::cube& c) {
    return arma::mat(const_cast<double*>(c.memptr()), c.n_rows, c.n_cols * c.n_slices, false, true);
}

}  // namespace

arma::vec ponderacionFuentes(const arma::cube& leadfield) {
    const arma::uword nS = leadfield.n_cols;
    // Column 3s + o holds orientation o of source s.
    arma::mat Lf(leadfield.n_rows, 3 * nS);
    for (arma::uword s = 0; s < nS; ++s)
        for (arma::uword o = 0; o < 3; ++o) Lf.col(3 * s + o) = leadfield.slice(o).col(s);
    Lf.each_row() -= arma::mean(Lf, 0);

    // r_k = T.row(k) * Lf.col(k) with T = Lf' pinv(Lf Lf'): the diagonal of Lf' pinv(Lf Lf') Lf.
    const arma::mat PLf = arma::pinv(Lf * Lf.t()) * Lf;
    const arma::rowvec r = arma::sum(Lf % PLf, 0);

    arma::vec w(3 * nS);
    for (arma::uword s = 0; s < nS; ++s)
        for (arma::uword o = 0; o < 3; ++o) w(o * nS + s) = std::pow(r(3 * s + o), -0.5);
    return w;
}

arma::vec gananciasRegularizadas(const arma::vec& autovalores) {
    arma::vec g = 1.0 / (autovalores + 100.0);
    g.elem(arma::find(autovalores < 1e-10)).zeros();
    return g;
}

arma::uvec filasLeadfield(const std::vector<std::string>& etiquetas) {
    std::vector<std::string> tabla;
    for (const auto& e : etiquetasLeadfield()) tabla.push_back(aMayusculas(e));
    arma::uvec filas(etiquetas.size());
    for (std::size_t i = 0; i < etiquetas.size(); ++i) {
        const auto it = std::find(tabla.begin(), tabla.end(), aMayusculas(etiquetas[i]));
        if (it == tabla.end())
            throw std::invalid_argument("la etiqueta \"" + etiquetas[i] +
                                        "\" no está en la tabla del campo de derivación");
        filas(i) = static_cast<arma::uword>(it - tabla.begin());
    }
    return filas;
}

arma::mat operadorDensidadCorriente(const arma::cube& leadfield, const arma::uvec& filas) {
    if (leadfield.is_empty() || leadfield.n_slices != 3)
        throw std::invalid_argument("el campo de derivación debe tener 3 capas y alguna fuente");
    if (filas.n_elem < 2)
        throw std::invalid_argument("hacen falta al menos 2 electrodos, hay " +
                                    std::to_string(filas.n_elem));
    if (filas.max() >= leadfield.n_rows)
        throw std::invalid_argument("fila " + std::to_string(filas.max()) +
                                    " fuera del campo de derivación de " + std::to_string(leadfield.n_rows) + " filas");

    const arma::vec w = ponderacionFuentes(leadfield);
    const arma::mat L = comoMatriz(leadfield).rows(filas);  // n x 3nS, column o*nS + s
    const arma::uword n = filas.n_elem;
    const arma::mat H = arma::eye(n, n) - arma::ones(n, n) / static_cast<double>(n);

    const arma::mat X = H * L * arma::diagmat(w);
    const arma::mat G = X * X.t();

    arma::cx_vec lambda;
    arma::cx_mat V;
    if (!arma::eig_gen(lambda, V, G)) throw std::runtime_error("eig_gen(): decomposition failed");
    const arma::mat Vr = arma::real(V);
    const arma::vec g = gananciasRegularizadas(arma::real(lambda));

    return X.t() * (Vr * arma::diagmat(g) * Vr.t()) * H;
}
