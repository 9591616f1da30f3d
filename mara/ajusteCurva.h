#pragma once
// Gradient-descent fit of MARA's 1/f model to six spectrum points.

#include <array>
#include <random>
#include <vector>

using ParametrosCurva = std::array<double, 3>;  // p0, p1, p2
using PuntosCurva = std::array<double, 6>;

// f(x) = exp(p0) / x^exp(p1) - p2
double modeloCurva(const ParametrosCurva& p, double x);

// J(p) = 1/(2m) sum_j (f(x_j) - y_j)^2, m = 6.
double costeCurva(const ParametrosCurva& p, const PuntosCurva& x, const PuntosCurva& y);

// Analytic gradient of J.
ParametrosCurva gradienteCurva(const ParametrosCurva& p, const PuntosCurva& x, const PuntosCurva& y);

struct AjusteCurva {
    ParametrosCurva p{};
    double coste = 0.0;
};

// Descent from each start in turn (components with |p_i| < 0.4 are first
// replaced by their sign, +-1; exactly 5000 steps of p - step * grad J, kept
// only when J falls, otherwise step = max(step / 1.1, 1e-6), first step
// 0.001). Returns the start with the lowest final J (a later one wins only
// when strictly lower). Throws std::invalid_argument for no start.
AjusteCurva ajusteCurvaDesde(const PuntosCurva& x, const PuntosCurva& y, const std::vector<ParametrosCurva>& inicios);

// The fixed starts (4, -2, 54), (4, 2, 5), (1, 1, 1) and three random starts,
// each component (u - 0.5) * 8 with u uniform in [0, 1] from `generador`.
AjusteCurva ajusteCurva(const PuntosCurva& x, const PuntosCurva& y, std::mt19937& generador);
