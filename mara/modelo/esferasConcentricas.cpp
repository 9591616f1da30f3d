#include "mara/modelo/esferasConcentricas.h"

#include <cmath>
#include <stdexcept>

namespace {
constexpr double kPi = 3.14159265358979323846;
// Volts per ampere-metre to microvolts per nanoampere-metre.
constexpr double kMicrovoltiosPorNanoamperioMetro = 1e-3;
constexpr int kGradoMaximo = 5000;
}  // namespace

ModeloEsferas ajustarEsfera(const arma::mat& puntos) {
    if (puntos.n_rows != 3 || puntos.n_cols < 4)
        throw std::invalid_argument("se necesitan al menos 4 puntos en 3 dimensiones");
    // |p|^2 = 2 c.p + k is linear in (c, k); then R^2 = k + |c|^2.
    arma::mat A(puntos.n_cols, 4);
    A.cols(0, 2) = 2.0 * puntos.t();
    A.col(3).ones();
    const arma::vec b = arma::sum(arma::square(puntos), 0).t();
    const arma::vec x = arma::solve(A, b);
    ModeloEsferas m;
    m.centro = x.subvec(0, 2);
    m.radioExterior = std::sqrt(x(3) + arma::dot(m.centro, m.centro));
    return m;
}

FactoresRadiales::FactoresRadiales(const ModeloEsferas& modelo)
    : radios_(modelo.radiosRelativos), sigma_(modelo.conductividades) {
    if (radios_.n_elem != sigma_.n_elem || radios_.n_elem < 1)
        throw std::invalid_argument("radios y conductividades no casan");
}

double FactoresRadiales::operator()(int n) {
    if (n < 1) throw std::invalid_argument("el grado empieza en 1");
    if (static_cast<size_t>(n) < cache_.size() && !std::isnan(cache_[static_cast<size_t>(n)])) [[likely]]
        return cache_[static_cast<size_t>(n)];
    // Layer k spans (r_{k-1}, r_k) and holds a_k (r/r_k)^n + b_k (r_{k-1}/r)^(n+1);
    // layer 0 holds a_0 (r/r_0)^n plus the dipole's own term, scaled by
    // r_0^(n+1): (r_0/r)^(n+1) / (4 pi sigma_0). With every basis function at
    // most 1 inside its layer the system stays well conditioned at any degree;
    // unscaled powers of r make it singular beyond a hundred or so.
    // Potential and normal current are continuous at every interface and no
    // current leaves the outer one.
    const int capas = static_cast<int>(radios_.n_elem);
    const double nn = n;
    double valor;
    if (capas == 1) {
        // One homogeneous sphere: a n - (n+1)/(4 pi sigma) = 0 at r = 1.
        valor = (1.0 + (nn + 1) / nn) / (4 * kPi * sigma_(0));
    } else {
        const int incognitas = 2 * capas - 1;
        arma::mat M(incognitas, incognitas, arma::fill::zeros);
        arma::vec d(incognitas, arma::fill::zeros);
        auto columnaA = [](int k) { return k == 0 ? 0 : 2 * k - 1; };
        auto columnaB = [](int k) { return 2 * k; };
        int fila = 0;
        for (int k = 0; k + 1 < capas; ++k) {
            const double r = radios_(k);
            const double rAnterior = k > 0 ? radios_(k - 1) : 0.0;
            const double rSiguiente = radios_(k + 1);
            // Layer k at its outer radius r: a_k -> 1, b_k -> (r_{k-1}/r)^(n+1).
            const double bk = k > 0 ? std::pow(rAnterior / r, nn + 1) : 0.0;
            // Layer k+1 at its inner radius r: a_{k+1} -> (r/r_{k+1})^n, b_{k+1} -> 1.
            const double ak1 = std::pow(r / rSiguiente, nn);
            // potential
            M(fila, columnaA(k)) += 1.0;
            if (k == 0)
                d(fila) -= 1.0 / (4 * kPi * sigma_(0));
            else
                M(fila, columnaB(k)) += bk;
            M(fila, columnaA(k + 1)) -= ak1;
            M(fila, columnaB(k + 1)) -= 1.0;
            ++fila;
            // normal current (radial derivatives, times r)
            M(fila, columnaA(k)) += sigma_(k) * nn;
            if (k == 0)
                d(fila) -= -(nn + 1) / (4 * kPi);
            else
                M(fila, columnaB(k)) += sigma_(k) * -(nn + 1) * bk;
            M(fila, columnaA(k + 1)) -= sigma_(k + 1) * nn * ak1;
            M(fila, columnaB(k + 1)) -= sigma_(k + 1) * -(nn + 1);
            ++fila;
        }
        const int ultima = capas - 1;
        const double bUltima = std::pow(radios_(ultima - 1) / radios_(ultima), nn + 1);
        M(fila, columnaA(ultima)) = nn;
        M(fila, columnaB(ultima)) = -(nn + 1) * bUltima;
        const arma::vec x = arma::solve(M, d);
        valor = x(columnaA(ultima)) + x(columnaB(ultima)) * bUltima;
    }
    if (cache_.size() <= static_cast<size_t>(n)) cache_.resize(static_cast<size_t>(n) + 1, std::nan(""));
    cache_[static_cast<size_t>(n)] = valor;
    return valor;
}

arma::vec3 potencialDipolo(const ModeloEsferas& modelo, FactoresRadiales& factores, const arma::vec3& electrodo,
                           const arma::vec3& fuente) {
    const double R = modelo.radioExterior;
    const arma::vec3 e = electrodo - modelo.centro;
    const arma::vec3 s = fuente - modelo.centro;
    const double b = arma::norm(s) / R;  // source depth in units of the outer radius
    const double radioInterior = modelo.radiosRelativos(0);
    if (!(b < modelo.radiosRelativos(0)))
        throw std::invalid_argument("la fuente no esta dentro de la esfera interior");
    const arma::vec3 rh = e / arma::norm(e);
    arma::vec3 r0h;
    if (b > 0)
        r0h = s / arma::norm(s);
    else
        r0h = rh;  // at the centre only n = 1 contributes and the direction cancels
    const double u = std::clamp(arma::dot(rh, r0h), -1.0, 1.0);

    // Angular term of degree n for the three unit moments:
    // b^(n-1) [ n P_n(u) r0h + P_n'(u) (rh - u r0h) ]. Plain scalars: this loop
    // runs for every electrode, source and degree of the lead field.
    const double r0[3] = {r0h(0), r0h(1), r0h(2)};
    const double t[3] = {rh(0) - u * r0h(0), rh(1) - u * r0h(1), rh(2) - u * r0h(2)};
    double total[3] = {0.0, 0.0, 0.0};
    double pAnterior = 1.0, p = u;      // P_0, P_1
    double dpAnterior = 0.0, dp = 1.0;  // P_0', P_1'
    double potenciaB = 1.0;             // (b / r_0)^(n-1): the factors are scaled by r_0^(n+1)
    for (int n = 1; n <= kGradoMaximo; ++n) {
        const double f = potenciaB * factores(n);
        const double a = f * n * p, c = f * dp;
        double norma2Termino = 0.0, norma2Total = 0.0;
        for (int i = 0; i < 3; ++i) {
            const double termino = a * r0[i] + c * t[i];
            total[i] += termino;
            norma2Termino += termino * termino;
            norma2Total += total[i] * total[i];
        }
        if (n > 3 && norma2Termino < 1e-18 * norma2Total) break;
        if (b == 0.0) break;
        // Recurrences: (n+1) P_{n+1} = (2n+1) u P_n - n P_{n-1};  P'_{n+1} = P'_{n-1} + (2n+1) P_n.
        const double pSiguiente = ((2.0 * n + 1) * u * p - n * pAnterior) / (n + 1);
        const double dpSiguiente = dpAnterior + (2.0 * n + 1) * p;
        pAnterior = p;
        p = pSiguiente;
        dpAnterior = dp;
        dp = dpSiguiente;
        potenciaB *= b / radioInterior;
    }
    const double escala = kMicrovoltiosPorNanoamperioMetro / (R * R * radioInterior * radioInterior);
    return arma::vec3{total[0] * escala, total[1] * escala, total[2] * escala};
}

double potencialEsferaHomogenea(double radio, double sigma, const arma::vec3& electrodo, const arma::vec3& fuente,
                                const arma::vec3& momento) {
    // V = 1/(4 pi sigma) [ 2 q.d/|d|^3 + q.(|d| r + R d) / (R |d| (R^2 - r.r0 + R |d|)) ], d = r - r0,
    // from summing the single-sphere series (2n+1)/n in closed form.
    const arma::vec3 d = electrodo - fuente;
    const double nd = arma::norm(d);
    const double F = nd * (radio * radio - arma::dot(electrodo, fuente) + radio * nd);
    const double v = 2.0 * arma::dot(momento, d) / (nd * nd * nd) +
                     arma::dot(momento, nd * electrodo + radio * d) / (radio * F);
    return v / (4 * kPi * sigma) * kMicrovoltiosPorNanoamperioMetro;
}

arma::mat proyectarElectrodos(const ModeloEsferas& modelo, const arma::mat& electrodos) {
    arma::mat p = electrodos.each_col() - modelo.centro;
    p.each_col([&](arma::vec& c) { c *= modelo.radioExterior / arma::norm(c); });
    return p.each_col() + modelo.centro;
}

arma::cube campoConductor(const ModeloEsferas& modelo, const arma::mat& electrodos, const arma::mat& fuentes) {
    FactoresRadiales factores(modelo);
    const arma::mat sobreLaEsfera = proyectarElectrodos(modelo, electrodos);
    arma::cube L(electrodos.n_cols, fuentes.n_cols, 3);
    for (arma::uword s = 0; s < fuentes.n_cols; ++s)
        for (arma::uword e = 0; e < electrodos.n_cols; ++e) {
            const arma::vec3 v = potencialDipolo(modelo, factores, sobreLaEsfera.col(e), fuentes.col(s));
            for (int o = 0; o < 3; ++o) L(e, s, static_cast<arma::uword>(o)) = v(static_cast<arma::uword>(o));
        }
    return L;
}
