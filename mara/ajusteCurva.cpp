#include "mara/ajusteCurva.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {
constexpr double m = 6.0;

// A cost that overflowed to NaN must lose every comparison, not block them.
double sinNaN(double J) { return std::isnan(J) ? std::numeric_limits<double>::infinity() : J; }
}  // namespace

double modeloCurva(const ParametrosCurva& p, double x) { return std::exp(p[0]) * std::pow(x, -std::exp(p[1])) - p[2]; }

double costeCurva(const ParametrosCurva& p, const PuntosCurva& x, const PuntosCurva& y) {
    double s = 0.0;
    for (std::size_t j = 0; j < x.size(); ++j) {
        const double e = modeloCurva(p, x[j]) - y[j];
        s += e * e;
    }
    return s / (2.0 * m);
}

ParametrosCurva gradienteCurva(const ParametrosCurva& p, const PuntosCurva& x, const PuntosCurva& y) {
    // df/dp0 = a, df/dp1 = -a ln(x) exp(p1), df/dp2 = -1, with a = exp(p0) x^-exp(p1).
    const double b = std::exp(p[1]);
    ParametrosCurva g{0.0, 0.0, 0.0};
    for (std::size_t j = 0; j < x.size(); ++j) {
        const double a = std::exp(p[0]) * std::pow(x[j], -b);
        const double e = a - p[2] - y[j];
        g[0] += e * a;
        g[1] += e * (-a * std::log(x[j]) * b);
        g[2] += -e;
    }
    for (double& gi : g) gi /= m;
    return g;
}

AjusteCurva ajusteCurvaDesde(const PuntosCurva& x, const PuntosCurva& y, const std::vector<ParametrosCurva>& inicios) {
    if (inicios.empty()) throw std::invalid_argument("ajusteCurvaDesde: no hay ningún punto de partida");
    AjusteCurva mejor;
    bool hayMejor = false;
    for (ParametrosCurva p : inicios) {
        for (double& pi : p)
            if (std::abs(pi) < 0.4) pi = pi < 0.0 ? -1.0 : 1.0;  // 0 counts as positive
        double paso = 0.001;
        double J = sinNaN(costeCurva(p, x, y));
        for (int it = 0; it < 5000; ++it) {
            const ParametrosCurva g = gradienteCurva(p, x, y);
            const ParametrosCurva c{p[0] - paso * g[0], p[1] - paso * g[1], p[2] - paso * g[2]};
            const double Jc = sinNaN(costeCurva(c, x, y));
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
