#include "mara/ajusteCurva.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {
constexpr double m = 6.0;

// A cost that overflowed to NaN must lose every comparison, not block them.
double sinNaN(double J) { return std::isnan(J) ? std::numeric_limits<double>::infinity() : J; }
}  // namespace

double modeloCurva(const ParametrosCurva& p, double x) { return std::exp(p[0] - std::exp(p[1]) * std::log(x)) - p[2]; }

namespace {

// The model exp(p0) x^-e^p1 - p2 written as exp(p0 - e^p1 ln x) - p2, with
// ln x_j computed once: one exp per point in the descent's inner loop.
// df/dp0 = a, df/dp1 = -a ln(x) e^p1, df/dp2 = -1, a = exp(p0 - e^p1 ln x).
struct Puntos {
    std::array<double, 6> lnx{}, y{};
    Puntos(const PuntosCurva& x, const PuntosCurva& yy) : y(yy) {
        for (std::size_t j = 0; j < 6; ++j) lnx[j] = std::log(x[j]);
    }
    double coste(const ParametrosCurva& p) const {
        const double b = std::exp(p[1]);
        double s = 0.0;
        for (std::size_t j = 0; j < 6; ++j) {
            const double e = std::exp(p[0] - b * lnx[j]) - p[2] - y[j];
            s += e * e;
        }
        return s / (2.0 * m);
    }
    ParametrosCurva gradiente(const ParametrosCurva& p) const {
        const double b = std::exp(p[1]);
        ParametrosCurva g{0.0, 0.0, 0.0};
        for (std::size_t j = 0; j < 6; ++j) {
            const double a = std::exp(p[0] - b * lnx[j]);
            const double e = a - p[2] - y[j];
            g[0] += e * a;
            g[1] -= e * a * lnx[j] * b;
            g[2] -= e;
        }
        for (double& gi : g) gi /= m;
        return g;
    }
};

}  // namespace

double costeCurva(const ParametrosCurva& p, const PuntosCurva& x, const PuntosCurva& y) { return Puntos(x, y).coste(p); }

ParametrosCurva gradienteCurva(const ParametrosCurva& p, const PuntosCurva& x, const PuntosCurva& y) {
    return Puntos(x, y).gradiente(p);
}

AjusteCurva ajusteCurvaDesde(const PuntosCurva& x, const PuntosCurva& y, const std::vector<ParametrosCurva>& inicios) {
    if (inicios.empty()) throw std::invalid_argument("no hay ningún punto de partida");
    const Puntos puntos(x, y);
    AjusteCurva mejor;
    bool hayMejor = false;
    for (ParametrosCurva p : inicios) {
        for (double& pi : p)
            if (std::abs(pi) < 0.4) pi = pi < 0.0 ? -1.0 : 1.0;  // 0 counts as positive
        double paso = 0.001;
        double J = sinNaN(puntos.coste(p));
        for (int it = 0; it < 5000; ++it) {
            const ParametrosCurva g = puntos.gradiente(p);
            const ParametrosCurva c{p[0] - paso * g[0], p[1] - paso * g[1], p[2] - paso * g[2]};
            const double Jc = sinNaN(puntos.coste(c));
            if (Jc < J) {
                p = c;
                J = Jc;
            } else {
                paso = std::max(paso / 1.1, 1e-6);
            }
        }
        if (!hayMejor || J < mejor.coste) {
            mejor = {p, J};
            hayMejor = true;
        }
    }
    return mejor;
}

AjusteCurva ajusteCurva(const PuntosCurva& x, const PuntosCurva& y, std::mt19937& generador) {
    std::vector<ParametrosCurva> inicios = {{4.0, -2.0, 54.0}, {4.0, 2.0, 5.0}, {1.0, 1.0, 1.0}};
    auto uniforme = [&generador] { return static_cast<double>(generador()) / static_cast<double>(std::mt19937::max()); };
    for (int k = 0; k < 3; ++k) {
        ParametrosCurva p;
        for (double& pi : p) pi = (uniforme() - 0.5) * 8.0;
        inicios.push_back(p);
    }
    return ajusteCurvaDesde(x, y, inicios);
}
