#include "asr/procesadoASR.h"

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "asr/covarianzaMovil.h"
#include "asr/filtroIIR.h"
#include "asr/reconstruccionASR.h"
#include "io/textoNumero.h"

namespace {

std::string tam(const arma::mat& m) { return std::to_string(m.n_rows) + "x" + std::to_string(m.n_cols); }

double finito(double v) { return std::isfinite(v) ? v : 0.0; }

// The output buffer: the odd reflection of the start (2 x_1 - x_j, j = P+1 down
// to 2, wrapped modulo S) and then the first S - P input columns, non-finite
// values as 0. The reconstruction overwrites it in place; the last P input
// columns are only ever read as look-ahead, so they need no room here.
arma::mat salidaInicial(const arma::mat& datos, arma::uword P) {
    const arma::uword C = datos.n_rows, S = datos.n_cols;
    arma::mat out(C, S);
    const arma::vec doble = 2 * datos.col(0);
    for (arma::uword j = 0; j < P && j < S; ++j) out.col(j) = doble - datos.col((P - j) % S);
    if (S > P) out.cols(P, S - 1) = datos.cols(0, S - P - 1);
    out.transform(finito);
    return out;
}

// Raised-cosine hand-over from the previous reconstruction to the new one over
// the columns [desde, desde + m) of data.
void mezclar(arma::mat& data, arma::uword desde, arma::uword m, const arma::mat& R, const arma::mat& anterior) {
    const arma::mat X = data.cols(desde, desde + m - 1);
    const arma::mat nuevo = R * X;
    const arma::mat viejo = anterior * X;
    const double pi = arma::datum::pi;
    for (arma::uword t = 1; t <= m; ++t) {
        const double w = (1 - std::cos(pi * static_cast<double>(t) / static_cast<double>(m))) / 2;
        data.col(desde + t - 1) = w * nuevo.col(t - 1) + (1 - w) * viejo.col(t - 1);
    }
}

}  // namespace

arma::uword numeroTrozosASR(arma::uword Cu, arma::uword Su, double P, double stepsize, double memoriaLibre) {
    const double C = static_cast<double>(Cu), S = static_cast<double>(Su);
    const double maxmem = memoriaLibre / 2097152.0;  // 2^21: half the figure, in MiB
    const double denominador = maxmem * 1024 * 1024 - C * C * P * 8 * 3;
    const double numerador = C * C * S * 8 * 8 + C * C * 8 * S / stepsize + C * S * 8 * 2 + S * 8 * 5;
    if (!(denominador > 0)) return 1;
    const double trozos = std::ceil(numerador / denominador);
    if (!(trozos >= 1)) return 1;
    if (trozos >= S) return Su;
    return static_cast<arma::uword>(trozos);
}

arma::mat procesarASR(const arma::mat& datos, int srate, int stepsize, ContextoASR& ctx, double memoriaLibre,
                      const std::function<void(double)>& progreso) {
    const arma::uword C = datos.n_rows, S = datos.n_cols;
    if (C == 0 || S == 0) throw std::invalid_argument("procesarASR: no hay datos que procesar (" + tam(datos) + ")");
    if (stepsize < 1) throw std::invalid_argument("procesarASR: paso de actualización " + std::to_string(stepsize) + " no válido");
    const double wl = ctx.longitudVentanaProcesado;
    const double Nd = std::round(wl * srate);
    const double Pd = std::round(wl * 0.5 * srate);
    if (!(Nd >= 1) || !(Pd >= 0))
        throw std::invalid_argument("procesarASR: la ventana de procesado de " + textoGeneral(wl) + " s a " +
                                    std::to_string(srate) + " Hz no tiene muestras");
    const arma::uword N = static_cast<arma::uword>(Nd), P = static_cast<arma::uword>(Pd);
    double maxdims = ctx.solapamientoVentana;
    if (maxdims < 1) maxdims = std::round(static_cast<double>(C) * maxdims);
    if (ctx.M.n_rows != C || ctx.M.n_cols != C || ctx.T.n_rows != C || ctx.T.n_cols != C)
        throw std::invalid_argument("procesarASR: M (" + tam(ctx.M) + ") y T (" + tam(ctx.T) +
                                    ") deben ser cuadradas del número de canales, " + std::to_string(C));

    // `data` holds the first S samples of the prefixed sequence [reflection,
    // datos], which are the ones reconstructed; the filter reads its look-ahead
    // samples P .. S+P-1 straight from `datos`.
    arma::mat data = salidaInicial(datos, P);
    const arma::uword trozos = numeroTrozosASR(C, S, Pd, stepsize, memoriaLibre);
    const arma::uword paso = static_cast<arma::uword>(stepsize);

    CovarianzaMovil covarianza(C, N);
    arma::mat ultimaR;
    bool ultimaTrivial = true;
    bool primera = true;
    for (arma::uword i = 1; i <= trozos; ++i) {
        // 1-based chunk bounds, as floor((i-1) S / splits) computed in doubles.
        const double Sd = static_cast<double>(S), td = static_cast<double>(trozos);
        const arma::uword ini = 1 + static_cast<arma::uword>(std::floor(static_cast<double>(i - 1) * Sd / td));
        const arma::uword fin = std::min(S, static_cast<arma::uword>(std::floor(static_cast<double>(i) * Sd / td)));
        if (fin < ini) continue;
        const arma::uword L = fin - ini + 1;

        // Look-ahead: the covariance is measured P samples after the samples it corrects.
        arma::mat zf;
        arma::mat adelantados = datos.cols(ini - 1, fin - 1);
        adelantados.transform(finito);
        const arma::mat X = filtrarIIR(ctx.B, ctx.A, adelantados, ctx.iirstate, zf);
        ctx.iirstate = zf;

        std::vector<arma::uword> puntos;
        if (primera) {
            puntos.push_back(1);
            ultimaR = arma::eye(C, C);
            primera = false;
        }
        for (arma::uword n = paso; n <= L + paso - 1; n += paso) puntos.push_back(std::min(n, L));

        arma::uword ultimoN = 0;
        covarianza.avanzar(X, puntos, [&](std::size_t j, const arma::mat& cov) {
            bool trivial = true;
            arma::mat R = matrizReconstruccion(cov, ctx.M, ctx.T, maxdims, trivial);
            const arma::uword n = puntos[j];
            if ((!trivial || !ultimaTrivial) && n > ultimoN) mezclar(data, ini - 1 + ultimoN, n - ultimoN, R, ultimaR);
            ultimoN = n;
            ultimaR = std::move(R);
            ultimaTrivial = trivial;
        });
        if (progreso) progreso(static_cast<double>(fin) / Sd);
    }
    return data;
}
