#include "asr/procesadoASR.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "asr/covarianzaMovil.h"
#include "asr/filtroIIR.h"
#include "asr/reconstruccionASR.h"
#include "dsp/hilosBLAS.h"
#include "io/lecturaParalela.h"
#include "io/textoNumero.h"

namespace {

std::string tam(const arma::mat& m) { return std::to_string(m.n_rows) + "x" + std::to_string(m.n_cols); }

double finito(double v) { return std::isfinite(v) ? v : 0.0; }

// Columns of the sequence that processing reconstructs, [prefix, datos(0 ..
// S-P-1)], split over two stores: the P reflected prefix columns in `prefijo`
// and the rest, in place, in `x` (column j of the sequence is x's column j-P).
struct Secuencia {
    arma::mat& prefijo;
    arma::mat& x;
    arma::uword P;
    double* columna(arma::uword j) { return j < P ? prefijo.colptr(j) : x.colptr(j - P); }
};

// Raised-cosine hand-over from the previous reconstruction to the new one over
// the columns [desde, desde + m) of the sequence.
void mezclar(Secuencia& data, arma::uword desde, arma::uword m, const arma::mat& R, const arma::mat& anterior) {
    const arma::uword C = R.n_rows;
    arma::mat X(C, m);
    for (arma::uword t = 0; t < m; ++t) std::copy_n(data.columna(desde + t), C, X.colptr(t));
    const arma::mat nuevo = R * X;
    const arma::mat viejo = anterior * X;
    const double pi = arma::datum::pi;
    for (arma::uword t = 1; t <= m; ++t) {
        const double w = (1 - std::cos(pi * static_cast<double>(t) / static_cast<double>(m))) / 2;
        double* destino = data.columna(desde + t - 1);
        const double* a = nuevo.colptr(t - 1);
        const double* v = viejo.colptr(t - 1);
        for (arma::uword c = 0; c < C; ++c) destino[c] = w * a[c] + (1 - w) * v[c];
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

namespace {

// The processing window and its sizes, after checking the input against them.
struct VentanaProcesado {
    arma::uword C, S, N, P, Pp;
    double Pd, maxdims;
};

VentanaProcesado comprobarProcesado(const arma::mat& x, const arma::mat& extension, int srate, int stepsize,
                                    const ContextoASR& ctx) {
    VentanaProcesado v{};
    const arma::uword C = std::max(x.n_rows, extension.n_rows), P0 = extension.n_cols, S = x.n_cols + P0;
    if (C == 0 || S == 0) throw std::invalid_argument("no hay datos que procesar (" + tam(x) + ")");
    if ((extension.n_rows != C && P0 > 0) || (x.n_rows != C && x.n_cols > 0))
        throw std::invalid_argument("la extensión (" + tam(extension) + ") no casa con los datos (" +
                                    tam(x) + ")");
    if (stepsize < 1) throw std::invalid_argument("paso de actualización " + std::to_string(stepsize) + " no válido");
    const double wl = ctx.longitudVentanaProcesado;
    const double Nd = std::round(wl * srate);
    const double Pd = std::round(wl * 0.5 * srate);
    if (!(Nd >= 1) || !(Pd >= 0))
        throw std::invalid_argument("la ventana de procesado de " + textoGeneral(wl) + " s a " +
                                    std::to_string(srate) + " Hz no tiene muestras");
    const arma::uword N = static_cast<arma::uword>(Nd), P = static_cast<arma::uword>(Pd);
    const arma::uword Pp = std::min(P, S);  // prefix columns that are part of the output
    if (Pp != P0)
        throw std::invalid_argument("la extensión tiene " + std::to_string(P0) + " columnas y se esperaban " +
                                    std::to_string(Pp));
    double maxdims = ctx.solapamientoVentana;
    if (maxdims < 1) maxdims = std::round(static_cast<double>(C) * maxdims);
    if (ctx.M.n_rows != C || ctx.M.n_cols != C || ctx.T.n_rows != C || ctx.T.n_cols != C)
        throw std::invalid_argument("M (" + tam(ctx.M) + ") y T (" + tam(ctx.T) +
                                    ") deben ser cuadradas del número de canales, " + std::to_string(C));
    v.C = C;
    v.S = S;
    v.N = N;
    v.P = P;
    v.Pp = Pp;
    v.Pd = Pd;
    v.maxdims = maxdims;
    return v;
}

// An update point waiting for its reconstruction matrix.
struct Pendiente {
    arma::uword n;  // 1-based column of the chunk it ends at
    arma::mat cov, R;
    bool trivial;
};

constexpr std::size_t puntosPorLote = 32;

// On two threads only when OpenBLAS itself runs on one: two callers sharing
// its pool of threads wait on each other (four times slower on two cores).
void reconstruirLote(std::vector<Pendiente>& lote, const ContextoASR& ctx, double maxdims, bool enDosHilos) {
    const auto reconstruir = [&](int, int64_t desde, int64_t hasta) {
        for (auto k = static_cast<std::size_t>(desde); k < static_cast<std::size_t>(hasta); ++k)
            lote[k].R = matrizReconstruccion(lote[k].cov, ctx.M, ctx.T, maxdims, lote[k].trivial);
    };
    if (enDosHilos)
        repartirEnDosHilos(static_cast<int64_t>(lote.size()), 1, reconstruir, [](int64_t) {});
    else
        reconstruir(0, 0, static_cast<int64_t>(lote.size()));
}

// The reflection of the start, 2 x_1 - x_j for j = P+1 down to 2 (wrapped
// modulo S): the Pp columns processing reconstructs before the data.
template <typename Entrada>
arma::mat prefijoReflejado(const Entrada& entrada, arma::uword C, arma::uword S, arma::uword P, arma::uword Pp) {
    arma::mat prefijo(C, Pp);
    for (arma::uword j = 0; j < Pp; ++j) {
        const double* primera = entrada(0);
        const double* o = entrada((P - j) % S);
        for (arma::uword c = 0; c < C; ++c) prefijo(c, j) = 2 * primera[c] - o[c];
    }
    prefijo.transform(finito);
    return prefijo;
}

// Columns desde .. desde+L-1 of the input sequence through the shaping
// filter, whose state carries over in ctx from one chunk to the next.
template <typename Entrada>
arma::mat filtrarTrozo(const Entrada& entrada, arma::uword C, arma::uword desde, arma::uword L, ContextoASR& ctx,
                       const Avance& avance) {
    arma::mat adelantados(C, L);
    for (arma::uword t = 0; t < L; ++t) {
        std::copy_n(entrada(desde + t), C, adelantados.colptr(t));
        if (t % 65536 == 65535) avance(0.02 * static_cast<double>(t) / static_cast<double>(L));
    }
    adelantados.transform(finito);
    arma::mat zf;
    arma::mat X = filtrarIIR(ctx.B, ctx.A, adelantados, ctx.iirstate, zf, avance.tramo(0.02, 1.0 / 6));
    ctx.iirstate = zf;
    return X;
}

}  // namespace

arma::mat procesarASREnSitio(arma::mat& x, const arma::mat& extension, int srate, int stepsize, ContextoASR& ctx,
                             double memoriaLibre, const Avance& avance) {
    const VentanaProcesado v = comprobarProcesado(x, extension, srate, stepsize, ctx);
    const arma::uword C = v.C, S = v.S, N = v.N, P = v.P, Pp = v.Pp;
    const double Pd = v.Pd, maxdims = v.maxdims;

    // The input sequence datos = [x, extension] (S columns), read only ahead of
    // what has been written back; non-finite values count as 0.
    auto entrada = [&](arma::uword j) -> const double* {
        return j < S - Pp ? x.colptr(j) : extension.colptr(j - (S - Pp));
    };
    // The reconstructed sequence [reflection of the start, datos(0 .. S-P-1)]:
    // the prefix in its own P columns, the rest over x itself.
    arma::mat prefijo = prefijoReflejado(entrada, C, S, P, Pp);
    x.transform(finito);
    Secuencia data{prefijo, x, P};
    const arma::uword trozos = numeroTrozosASR(C, S, Pd, stepsize, memoriaLibre);
    const arma::uword paso = static_cast<arma::uword>(stepsize);

    CovarianzaMovil covarianza(C, N);
    const bool enDosHilos = hilosBLAS() <= 1;
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
        // The chunk's share of the fraction: a sixth for the shaping filter,
        // the rest for the covariance and reconstruction.
        const Avance avanceTrozo = avance.tramo(static_cast<double>(ini - 1) / Sd, static_cast<double>(fin) / Sd);

        // Look-ahead: the covariance is measured P samples after the samples it
        // corrects, so these columns are read before any of them is rewritten.
        const arma::mat X = filtrarTrozo(entrada, C, ini - 1, L, ctx, avanceTrozo);

        std::vector<arma::uword> puntos;
        if (primera) {
            puntos.push_back(1);
            ultimaR = arma::eye(C, C);
            primera = false;
        }
        for (arma::uword n = paso; n <= L + paso - 1; n += paso) puntos.push_back(std::min(n, L));

        arma::uword ultimoN = 0;
        const Avance avanceReconstruccion = avanceTrozo.tramo(1.0 / 6, 1.0);
        const double Ld = static_cast<double>(L);
        // Each point's matrix depends only on its covariance: a batch of them
        // is computed on two threads, then handed over in order.
        std::vector<Pendiente> lote;
        auto vaciar = [&]() {
            reconstruirLote(lote, ctx, maxdims, enDosHilos);
            for (Pendiente& q : lote) {
                if ((!q.trivial || !ultimaTrivial) && q.n > ultimoN)
                    mezclar(data, ini - 1 + ultimoN, q.n - ultimoN, q.R, ultimaR);
                ultimoN = q.n;
                ultimaR = std::move(q.R);
                ultimaTrivial = q.trivial;
            }
            lote.clear();
        };
        covarianza.avanzar(X, puntos, [&](std::size_t j, const arma::mat& cov) {
            avanceReconstruccion(static_cast<double>(puntos[j]), Ld);
            lote.push_back({puntos[j], cov, arma::mat(), true});
            if (lote.size() == puntosPorLote) vaciar();
        });
        vaciar();
        avance(static_cast<double>(fin), Sd);
    }
    // x now holds the sequence's columns P .. S-1.
    return prefijo;
}

arma::mat procesarASR(const arma::mat& datos, int srate, int stepsize, ContextoASR& ctx, double memoriaLibre,
                      const Avance& avance) {
    const arma::uword C = datos.n_rows, S = datos.n_cols;
    if (C == 0 || S == 0) throw std::invalid_argument("no hay datos que procesar (" + tam(datos) + ")");
    const double Pd = std::round(ctx.longitudVentanaProcesado * 0.5 * srate);
    const arma::uword P = Pd >= 0 ? std::min<arma::uword>(static_cast<arma::uword>(Pd), S) : 0;
    arma::mat x = P < S ? arma::mat(datos.cols(0, S - P - 1)) : arma::mat(C, 0);
    const arma::mat extension = P > 0 ? arma::mat(datos.cols(S - P, S - 1)) : arma::mat(C, 0);
    const arma::mat prefijo = procesarASREnSitio(x, extension, srate, stepsize, ctx, memoriaLibre, avance);
    return arma::join_rows(prefijo, x);
}
