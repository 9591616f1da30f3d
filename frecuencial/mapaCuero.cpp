#include "frecuencial/mapaCuero.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

constexpr double pi = 3.14159265358979323846;

arma::vec3 unitario(const std::array<double, 3>& p) {
    const arma::vec3 v{p[0], p[1], p[2]};
    const double n = arma::norm(v);
    if (!(n > 0.0) || !std::isfinite(n)) throw std::invalid_argument("una posición está en el origen o no es finita");
    return v / n;
}

// Inverse of the projection: the unit vector at plane point (u, v).
arma::vec3 desproyectar(double u, double v) {
    const double r = std::hypot(u, v);
    if (r == 0.0) return {0.0, 0.0, 1.0};
    const double theta = r * pi / 2.0;
    const double s = std::sin(theta) / r;
    return {s * v, -s * u, std::cos(theta)};
}

}  // namespace

PuntoPlano proyectarPosicion(const std::array<double, 3>& xyz) {
    const arma::vec3 e = unitario(xyz);
    const double theta = std::acos(std::clamp(e[2], -1.0, 1.0));
    const double rho = std::hypot(e[0], e[1]);
    if (rho == 0.0) return {0.0, 0.0};
    const double r = theta / (pi / 2.0);
    return {-e[1] / rho * r, e[0] / rho * r};
}

double RejillaMapa::u(arma::uword columna) const {
    return -radio + 2.0 * radio * static_cast<double>(columna) / static_cast<double>(lado - 1);
}

double RejillaMapa::v(arma::uword fila) const {
    return radio - 2.0 * radio * static_cast<double>(fila) / static_cast<double>(lado - 1);
}

InterpolacionMapa::InterpolacionMapa(const std::vector<std::array<double, 3>>& posiciones, arma::uword lado) {
    const arma::uword C = posiciones.size();
    if (C < 4) throw std::invalid_argument("hacen falta al menos 4 electrodos con posición");
    if (lado < 2 || lado > 1024) throw std::invalid_argument("lado de la rejilla fuera de 2…1024");
    unitarios_.set_size(3, C);
    double alcance = 0.0;
    for (arma::uword i = 0; i < C; ++i) {
        unitarios_.col(i) = unitario(posiciones[i]);
        plano_.push_back(proyectarPosicion(posiciones[i]));
        alcance = std::max(alcance, std::hypot(plano_.back().u, plano_.back().v));
    }
    rejilla_.lado = lado;
    rejilla_.radio = std::max(1.1, 1.05 * alcance);

    std::vector<arma::uword> indices;
    for (arma::uword col = 0; col < lado; ++col)
        for (arma::uword fila = 0; fila < lado; ++fila)
            if (std::hypot(rejilla_.u(col), rejilla_.v(fila)) <= rejilla_.radio) indices.push_back(col * lado + fila);
    dentro_ = arma::uvec(indices);
    arma::mat puntos(3, dentro_.n_elem);
    for (arma::uword k = 0; k < dentro_.n_elem; ++k)
        puntos.col(k) = desproyectar(rejilla_.u(dentro_[k] / lado), rejilla_.v(dentro_[k] % lado));
    pesos_ = pesosEntre(puntos);
}

// One row of normalised weights per column of `puntos` (unit vectors): the
// angles to every electrode come from one product, so the whole grid is
// weighted at once.
arma::mat InterpolacionMapa::pesosEntre(const arma::mat& puntos) const {
    arma::mat d = arma::acos(arma::clamp(puntos.t() * unitarios_, -1.0, 1.0));
    arma::mat w = 1.0 / arma::square(d);
    // A point on an electrode takes that electrode's own value (the first
    // one's, should two electrodes share the point: hence the reverse order).
    const arma::uvec encima = arma::find(d < 1e-9);
    for (arma::uword k = encima.n_elem; k-- > 0;) {
        const arma::uword fila = encima[k] % d.n_rows, electrodo = encima[k] / d.n_rows;
        w.row(fila).zeros();
        w(fila, electrodo) = 1.0;
    }
    w.each_col() /= arma::sum(w, 1);
    return w;
}

arma::mat InterpolacionMapa::interpolar(const arma::vec& valores) const {
    if (valores.n_elem != unitarios_.n_cols)
        throw std::invalid_argument("hay " + std::to_string(valores.n_elem) +
                                    " valores para " + std::to_string(unitarios_.n_cols) + " electrodos");
    arma::mat mapa(rejilla_.lado, rejilla_.lado);
    mapa.fill(arma::datum::nan);
    mapa.elem(dentro_) = pesos_ * valores;
    return mapa;
}

double InterpolacionMapa::valorEn(const arma::vec& valores, const std::array<double, 3>& xyz) const {
    if (valores.n_elem != unitarios_.n_cols)
        throw std::invalid_argument("número de valores distinto del de electrodos");
    return arma::as_scalar(pesosEntre(arma::mat(unitario(xyz))) * valores);
}
