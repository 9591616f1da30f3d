#include "asr/ajusteDistribucion.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include <boost/math/special_functions/gamma.hpp>

#include "asr/inversaGamma.h"
#include "io/textoNumero.h"

ParametrosAjuste parametrosAjuste(const ContextoASR& ctx) {
    ParametrosAjuste p;
    p.cuantiles = ctx.cuantiles;
    p.pasos = ctx.pasos;
    p.rejillaFormas = ctx.rejillaFormas;
    return p;
}

namespace {

// z-bound of a quantile q for shape beta.
double cotaZ(double q, double beta) {
    const double g = 1.0 / beta;
    const double inversa = q < 0.5 ? Pinv(1 - 2 * q, g) : Pinv(2 * q - 1, g);
    if (inversa < 0)
        throw std::runtime_error("ajuste robusto: no se pudo invertir la función gamma incompleta (forma " +
                                 textoGeneral(beta) + ")");
    const double z = std::pow(inversa, 1.0 / beta);
    return q < 0.5 ? -z : z;
}

long long redondear(double x) { return std::llround(x); }  // half away from zero

void comprobarAjuste(const arma::vec& X, double minLimpia, double maxPerdida, const ParametrosAjuste& p) {
    if (X.n_elem == 0) throw std::invalid_argument("ajuste robusto: no hay valores que ajustar");
    if (X.has_nan()) throw std::invalid_argument("ajuste robusto: los valores contienen NaN y no se pueden ordenar");
    if (p.cuantiles.n_elem != 2 || p.pasos.n_elem != 2 || p.rejillaFormas.is_empty() || !(p.pasos(0) > 0) ||
        !(p.pasos(1) > 0) || !(minLimpia > 0) || maxPerdida < 0)
        throw std::invalid_argument("ajuste robusto: parámetros de ajuste no válidos");
}

// Shifted ranges of the sorted values X: column j
// starts at the sorted value round(n t_j), t_j = inferior + j paso, and is
// round(n ancho) values long.
arma::mat rangosDesplazados(const arma::vec& X, double inferior, double ancho, double paso, double maxPerdida) {
    const arma::uword n = X.n_elem;
    const double nd = static_cast<double>(n);
    const long long L = redondear(nd * ancho);
    const long long columnas = redondear(maxPerdida / paso) + 1;
    if (L < 1) throw std::runtime_error("ajuste robusto: demasiado pocos valores (" + std::to_string(n) + ")");
    arma::mat rangos(static_cast<arma::uword>(L), static_cast<arma::uword>(columnas));
    for (long long j = 0; j < columnas; ++j) {
        const long long r = redondear(nd * (inferior + static_cast<double>(j) * paso));
        if (r < 0 || r + L > static_cast<long long>(n))
            throw std::invalid_argument("ajuste robusto: los cuantiles salen del rango de los valores");
        rangos.col(static_cast<arma::uword>(j)) = X.subvec(static_cast<arma::uword>(r), static_cast<arma::uword>(r + L - 1));
    }
    return rangos;
}

// Log of the histogram counts (+0.01) of the first m values of each column
// of rangos, with edges 0, 1, ..., nbins-1 and the largest double after
// scaling the column's m-th value to nbins: nbins+1 rows, one column per range.
// A column is sorted and starts at 0, so its bins rise with the row: each
// count is the distance between two partition points, found by bisection
// with the same per-value test as a scan would apply.
arma::mat logHistogramas(const arma::mat& rangos, arma::uword m, arma::uword nbins) {
    arma::mat logq(nbins + 1, rangos.n_cols);
    const arma::uword fuera = nbins + 1;  // past every edge: not counted
    for (arma::uword c = 0; c < rangos.n_cols; ++c) {
        const double escala = static_cast<double>(nbins) / rangos(m - 1, c);
        const double* x = rangos.colptr(c);
        auto casilla = [&](arma::uword i) -> arma::uword {
            const double v = x[i] * escala;
            if (!(v >= 0) || std::isinf(v) || nbins == 0) return fuera;
            if (v == std::numeric_limits<double>::max()) return nbins;
            const double b = std::floor(v);
            return b >= static_cast<double>(nbins - 1) ? nbins - 1 : static_cast<arma::uword>(b);
        };
        arma::vec cuenta(nbins + 1, arma::fill::zeros);
        if (std::isfinite(escala) && escala > 0) {
            // First row whose bin is at least b, for b = 1 ... nbins + 1.
            arma::uword desde = 0;
            for (arma::uword b = 0; b <= nbins; ++b) {
                arma::uword lo = desde, hi = m;
                while (lo < hi) {
                    const arma::uword medio = lo + (hi - lo) / 2;
                    if (casilla(medio) <= b) lo = medio + 1;
                    else hi = medio;
                }
                cuenta(b) = static_cast<double>(lo - desde);
                desde = lo;
            }
        } else {
            for (arma::uword i = 0; i < m; ++i)
                if (const arma::uword b = casilla(i); b != fuera) cuenta(b) += 1;
        }
        logq.col(c) = arma::log(cuenta + 0.01);
    }
    return logq;
}

}  // namespace

void ajusteDistribucionRobusta(const arma::vec& Xentrada, double minLimpia, double maxPerdida,
                               const ParametrosAjuste& p, double& mu, double& sig) {
    const arma::uword n = Xentrada.n_elem;
    comprobarAjuste(Xentrada, minLimpia, maxPerdida, p);
    const arma::vec X = arma::sort(Xentrada);

    // Bounds and rescaler per shape.
    const arma::uword formas = p.rejillaFormas.n_elem;
    arma::mat cotas(2, formas);
    arma::vec reescala(formas);
    for (arma::uword f = 0; f < formas; ++f) {
        const double beta = p.rejillaFormas(f);
        cotas(0, f) = cotaZ(p.cuantiles(0), beta);
        cotas(1, f) = cotaZ(p.cuantiles(1), beta);
        reescala(f) = beta / (2 * std::tgamma(1 / beta));
    }

    const double limiteInferior = p.cuantiles.min();
    const double anchoMax = p.cuantiles.max() - p.cuantiles.min();
    const double anchoMin = minLimpia * anchoMax;
    const double nd = static_cast<double>(n);

    arma::mat rangos = rangosDesplazados(X, limiteInferior, anchoMax, p.pasos(0), maxPerdida);
    const arma::rowvec X1 = rangos.row(0);
    rangos.each_row() -= X1;

    double optVal = std::numeric_limits<double>::max();
    double optBeta = 0, optZ0 = 0, optZ1 = 0, optL0 = 0, optL1 = 0;
    bool hayOptimo = false;
    const long long mMin = redondear(nd * anchoMin);
    for (long long k = 0;; ++k) {
        const long long m = redondear(nd * (anchoMax - static_cast<double>(k) * p.pasos(1)));
        if (m < mMin || m < 1) break;
        const arma::uword mu_ = static_cast<arma::uword>(m);
        if (mu_ > rangos.n_rows) continue;  // only when the step sizes are odd
        const long long nbinsL = redondear(3 * std::log2(static_cast<double>(m / 2 + 1)));
        const arma::uword nbins = static_cast<arma::uword>(nbinsL);
        const arma::mat logq = logHistogramas(rangos, mu_, nbins);
        for (arma::uword f = 0; f < formas; ++f) {
            const double beta = p.rejillaFormas(f);
            const double z0 = cotas(0, f), z1 = cotas(1, f);
            arma::vec pb(nbins);
            for (arma::uword b = 0; b < nbins; ++b) {
                const double x = z0 + (static_cast<double>(b) + 0.5) / static_cast<double>(nbins) * (z1 - z0);
                pb(b) = std::exp(-std::pow(std::abs(x), beta)) * reescala(f);
            }
            pb /= arma::accu(pb);
            const arma::vec logp = arma::log(pb);
            double mejor = std::numeric_limits<double>::quiet_NaN();
            arma::uword idx = 0;
            for (arma::uword c = 0; c < rangos.n_cols; ++c) {
                double kl = 0;
                for (arma::uword b = 0; b < nbins; ++b) kl += pb(b) * (logp(b) - logq(b, c));
                kl += std::log(static_cast<double>(m));
                // Smallest over the columns, the first on ties; a NaN never wins.
                if (!std::isnan(kl) && (std::isnan(mejor) || kl < mejor)) {
                    mejor = kl;
                    idx = c;
                }
            }
            if (mejor < optVal) {
                optVal = mejor;
                optBeta = beta;
                optZ0 = z0;
                optZ1 = z1;
                optL0 = X1(idx);
                optL1 = X1(idx) + rangos(mu_ - 1, idx);
                hayOptimo = true;
            }
        }
    }
    if (!hayOptimo) throw std::runtime_error("ajuste robusto: ningún intervalo admite un ajuste");

    const double alpha = (optL1 - optL0) / (optZ1 - optZ0);
    mu = optL0 - optZ0 * alpha;
    sig = std::sqrt(std::tgamma(3 / optBeta) * alpha * alpha / std::tgamma(1 / optBeta));
    if (!(sig > 0) || !std::isfinite(sig) || !std::isfinite(mu))
        throw std::runtime_error("ajuste robusto: la escala ajustada es nula (" + std::to_string(n) +
                                 " valores: demasiado pocos, o casi iguales como los de un canal plano)");
}

void ajusteDistribucionRobusta(const arma::vec& X, double minLimpia, double maxPerdida, const ContextoASR& ctx,
                               double& mu, double& sig) {
    ajusteDistribucionRobusta(X, minLimpia, maxPerdida, parametrosAjuste(ctx), mu, sig);
}
