#include "canales/interpolacionEsferica.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "canales/canalesMalos.h"

namespace {

constexpr int terminosLegendre = 50;
constexpr double cresta = 1e-5;

// Unit vector of a channel's position; throws naming it when it has none.
arma::vec3 direccion(const Canal& c) {
    if (!c.localizacion)
        throw std::invalid_argument("el canal malo \"" + c.etiqueta +
                                    "\" no tiene posición, así que no se puede interpolar (cargue un archivo .CED o "
                                    "quítelo de la lista de canales malos)");
    const arma::vec3 p = {(*c.localizacion)[0], (*c.localizacion)[1], (*c.localizacion)[2]};
    const double norma = arma::norm(p);
    if (!(norma > 0.0) || !std::isfinite(norma))
        throw std::invalid_argument("el canal \"" + c.etiqueta +
                                    "\" está en el origen de coordenadas: no tiene "
                                    "dirección sobre la esfera");
    return p / norma;
}

}  // namespace

double nucleoSpline(double x) {
    x = std::clamp(x, -1.0, 1.0);
    // Bonnet's recurrence: (n + 1) P_{n+1} = (2n + 1) x P_n - n P_{n-1}.
    double anterior = 1.0, actual = x, suma = 0.0;
    for (int n = 1; n <= terminosLegendre; ++n) {
        const double k = static_cast<double>(n) * (n + 1);
        suma += (2.0 * n + 1.0) / (k * k * k * k) * actual;
        const double siguiente = ((2.0 * n + 1.0) * x * actual - n * anterior) / (n + 1.0);
        anterior = actual;
        actual = siguiente;
    }
    return suma / (4.0 * M_PI);
}

arma::mat matrizInterpolacion(const arma::mat& origenes, const arma::mat& destinos) {
    if (origenes.n_rows != 3 || destinos.n_rows != 3 || origenes.n_cols == 0)
        throw std::invalid_argument("la interpolación necesita posiciones en tres dimensiones");
    const arma::uword n = origenes.n_cols, m = destinos.n_cols;
    arma::mat C(n + 1, n + 1, arma::fill::ones);
    C(n, n) = 0.0;
    arma::mat G = origenes.t() * origenes;
    G.transform(nucleoSpline);
    G.diag() += cresta;
    C.submat(0, 0, n - 1, n - 1) = G;
    arma::mat Gd = destinos.t() * origenes;
    Gd.transform(nucleoSpline);
    arma::mat B(m, n + 1, arma::fill::ones);
    B.cols(0, n - 1) = Gd;
    // W = B C^-1 restricted to the channel columns; C is symmetric, so C W' = B'.
    const arma::mat W = arma::solve(C, B.t()).t();
    return W.cols(0, n - 1);
}

EEG interpolarCanalesMalos(const EEG& eeg, std::vector<std::string>& notas) {
    if (eeg.canalesMalos.empty()) {
        notas.push_back("interpolar: la rama no tiene canales malos; queda igual");
        return eeg;
    }
    if (eeg.matrices.empty() || !eeg.canales) throw std::invalid_argument("la rama no tiene canales que interpolar");
    const std::vector<Canal>& canales = *eeg.canales;
    const arma::uword filas = std::min<arma::uword>(eeg.datos().n_rows, canales.size());
    const std::vector<arma::uword> malas = filasCanalesMalos(eeg);
    std::vector<arma::uword> buenas;
    for (arma::uword i = 0; i < filas; ++i)
        if (std::find(malas.begin(), malas.end(), i) == malas.end() && canales[i].localizacion) buenas.push_back(i);
    arma::mat destinos(3, malas.size()), origenes(3, buenas.size());
    for (std::size_t k = 0; k < malas.size(); ++k) destinos.col(k) = direccion(canales[malas[k]]);
    if (buenas.size() < 3)
        throw std::invalid_argument("para interpolar hacen falta al menos 3 canales buenos con posición (hay " +
                                    std::to_string(buenas.size()) + ")");
    for (std::size_t k = 0; k < buenas.size(); ++k) origenes.col(k) = direccion(canales[buenas[k]]);
    if (buenas.size() + malas.size() < filas)
        notas.push_back("interpolar: " + std::to_string(filas - buenas.size() - malas.size()) +
                        " canales buenos sin posición no intervienen");
    const arma::mat W = matrizInterpolacion(origenes, destinos);

    EEG r = eeg;
    const arma::uvec filasMalas(malas), filasBuenas(buenas);
    for (arma::mat& X : r.matrices)
        if (X.n_rows >= filas) X.rows(filasMalas) = W * X.rows(filasBuenas);
    notas.push_back("interpolar: " + textoCanalesMalos(r.canalesMalos) + " desde " + std::to_string(buenas.size()) +
                    " canales buenos");
    r.canalesMalos.clear();
    return r;
}
