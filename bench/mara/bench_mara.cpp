// Time of each MARA stage on synthetic averaged data: 32 and 64 channels,
// 17 s at 256 Hz (the default averaging window). The model set is random
// (118 x 2500 x 3 lead field, 1000 training components), sized like the
// shipped one; only the timings matter here.

#include <chrono>
#include <cstdio>
#include <random>

#include <armadillo>

#include "mara/adaptacionEntrenamiento.h"
#include "mara/caracteristicasEspaciales.h"
#include "mara/caracteristicasTiempoFrecuencia.h"
#include "mara/clasificarLineal.h"
#include "mara/emparejamientoCanales.h"
#include "mara/etiquetasMara.h"
#include "mara/icaExtendida.h"
#include "mara/operadorDensidadCorriente.h"

namespace {

double segundosDesde(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void medir(arma::uword C, const arma::cube& leadfield, const arma::mat& patrones, const arma::mat& xEntrenamiento,
           const arma::rowvec& etiquetas) {
    const int fs = 256;
    const arma::uword T = 17 * fs;
    arma::arma_rng::set_seed(C);
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, T - 1) / fs;
    arma::mat fuentes(C, T);
    for (arma::uword c = 0; c < C; ++c)
        fuentes.row(c) = arma::sin(2.0 * M_PI * (2.0 + 0.9 * c) * t) + arma::randu<arma::rowvec>(T) - 0.5;
    const arma::mat X = arma::randn(C, C) * fuentes;
    std::vector<std::string> nombres;
    for (arma::uword c = 0; c < C; ++c) nombres.push_back(etiquetasMara()[c]);

    auto t0 = std::chrono::steady_clock::now();
    arma::mat Xc = X;
    Xc.each_col() -= arma::mean(Xc, 1);
    arma::mat W, S;
    icaExtendida(Xc, W, S, 0.001, static_cast<int>(C), 1u);
    const double tIca = segundosDesde(t0);

    t0 = std::chrono::steady_clock::now();
    const arma::mat A = arma::pinv(W * S);
    const EmparejamientoCanales e = emparejarCanales(nombres);
    const arma::mat M = operadorDensidadCorriente(leadfield, filasLeadfield(e.etiquetas));
    const double tOperador = segundosDesde(t0);
    t0 = std::chrono::steady_clock::now();
    const arma::mat espaciales = caracteristicasEspaciales(A.rows(e.canalesEmparejados), M);
    std::mt19937 generador(1);
    const arma::mat tf = caracteristicasTiempoFrecuencia(X, fs, W, S, generador);
    const double tCaracteristicas = segundosDesde(t0);

    t0 = std::chrono::steady_clock::now();
    arma::mat x = xEntrenamiento;
    adaptarEntrenamiento(patrones, e.indicesEtiqueta, M, x);
    const ClasificacionLineal r = clasificarLineal(arma::join_cols(espaciales, tf).t(), x.t(), etiquetas);
    const double tClasificacion = segundosDesde(t0);

    t0 = std::chrono::steady_clock::now();
    const arma::uvec artefactos = arma::find(r.clases == 0);
    arma::uvec buenos = arma::regspace<arma::uvec>(0, C - 1);
    buenos.shed_rows(artefactos);
    const arma::mat limpio = A.cols(buenos) * (W.rows(buenos) * S * X);
    const double tReconstruccion = segundosDesde(t0);

    std::printf("%3llu canales x %llu muestras: ICA %.2f s, operador %.3f s, caracteristicas %.3f s, "
                "clasificacion %.3f s, reconstruccion %.4f s (%llu artefactos, %.3g)\n",
                static_cast<unsigned long long>(C), static_cast<unsigned long long>(T), tIca, tOperador,
                tCaracteristicas, tClasificacion, tReconstruccion, static_cast<unsigned long long>(artefactos.n_elem),
                limpio(0, 0));
}

}  // namespace

int main() {
    arma::arma_rng::set_seed(2024);
    const arma::cube leadfield = 100.0 * arma::randn<arma::cube>(118, 2500, 3);
    const arma::uword n = 1000;
    const arma::mat patrones = arma::randn(104, n);
    const arma::mat x = arma::randn(6, n);
    arma::rowvec etiquetas(n);
    for (arma::uword j = 0; j < n; ++j) etiquetas(j) = j % 3 == 0 ? 1.0 : 2.0;
    medir(32, leadfield, patrones, x, etiquetas);
    medir(64, leadfield, patrones, x, etiquetas);
}
