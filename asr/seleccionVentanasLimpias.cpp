#include "asr/seleccionVentanasLimpias.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "asr/ajusteDistribucion.h"
#include "asr/ventanasASR.h"

arma::uvec ventanasMarcadas(const arma::mat& z, arma::uword b, const arma::vec& umbrales) {
    if (z.has_nan()) throw std::invalid_argument("selección de ventanas: puntuaciones z con NaN");
    const arma::vec u = umbrales.is_empty() ? umbralesZPorDefecto() : umbrales;
    const double maximo = u.max(), minimo = u.min();
    const arma::uword C = z.n_rows;
    arma::uvec marcadas(z.n_cols, arma::fill::zeros);
    if (C == 0 || b >= C) return marcadas;
    const arma::mat ordenadas = arma::sort(z, "ascend", 0);
    for (arma::uword w = 0; w < z.n_cols; ++w) {
        if (maximo > 0 && ordenadas(C - 1 - b, w) > maximo) marcadas(w) = 1;
        if (minimo < 0 && ordenadas(b, w) < minimo) marcadas(w) = 1;
    }
    return marcadas;
}

arma::uvec columnasLimpias(const ContextoASR& ctx, const Avance& avance) {
    const EEG& trabajo = ctx.trabajo;
    if (trabajo.matrices.empty()) throw std::invalid_argument("selección de ventanas: no hay datos de trabajo");
    const arma::mat& datos = trabajo.datos();
    const arma::uword C = datos.n_rows, S = datos.n_cols;
    const int32_t srate = trabajo.frecuenciaMuestreo;
    if (C == 0) throw std::invalid_argument("selección de ventanas: el registro no tiene canales");
    if (!datos.is_finite())
        throw std::invalid_argument("selección de ventanas: los datos contienen valores no finitos (NaN o infinito)");
    if (srate <= 0) throw std::invalid_argument("selección de ventanas: frecuencia de muestreo no válida");

    const double solapamiento = ctx.solapamientoVentana > 0 ? ctx.solapamientoVentana : 0.66;
    const arma::vec umbrales = ctx.umbralesZ.is_empty() ? umbralesZPorDefecto() : ctx.umbralesZ;
    const arma::uword b = canalesMalosPermitidos(C, ctx.fraccionMaxCanalesMalos);
    const arma::uword N =
        static_cast<arma::uword>(srate) *
        static_cast<arma::uword>(std::max(1.0, std::floor(ctx.longitudVentanaRechazo)));
    const arma::uvec inicios = iniciosVentanas(S, N, static_cast<double>(N) * (1 - solapamiento));
    if (inicios.is_empty())
        throw std::invalid_argument("selección de ventanas: el registro (" + std::to_string(S) +
                                    " muestras) es más corto que una ventana de calibración (" +
                                    std::to_string(N + 1) + " muestras)");

    const ParametrosAjuste parametros = parametrosAjuste(ctx);
    arma::mat z(C, inicios.n_elem);
    for (arma::uword c = 0; c < C; ++c) {
        const arma::vec rms = rmsVentanas(datos.row(c).t(), inicios, N);
        double mu = 0, sig = 0;
        try {
            ajusteDistribucionRobusta(rms, 0.25, 0.1, parametros, mu, sig);
        } catch (const std::runtime_error& e) {
            throw std::runtime_error("selección de ventanas, canal " + std::to_string(c + 1) + ": " + e.what());
        }
        z.row(c) = ((rms - mu) / sig).t();
        avance(static_cast<double>(c + 1), static_cast<double>(C));
    }

    const arma::uvec marcadas = ventanasMarcadas(z, b, umbrales);
    // Only the tail that no window reaches would be left: that is no clean window.
    if (arma::all(marcadas == 1))
        throw std::invalid_argument("selección de ventanas: ninguna ventana queda limpia; revise los umbrales");
    arma::uvec conservar(S, arma::fill::ones);
    for (arma::uword w = 0; w < inicios.n_elem; ++w)
        if (marcadas(w)) conservar.subvec(inicios(w), inicios(w) + N - 1).zeros();
    arma::uvec columnas = arma::find(conservar);
    if (columnas.is_empty())
        throw std::invalid_argument("selección de ventanas: ninguna ventana queda limpia; revise los umbrales");
    return columnas;
}

void seleccionarVentanasLimpias(ContextoASR& ctx) {
    const arma::uvec columnas = columnasLimpias(ctx);
    const EEG& trabajo = ctx.trabajo;
    const int32_t srate = trabajo.frecuenciaMuestreo;
    ctx.calibracion = derivarEEG(trabajo, trabajo.datos().cols(columnas));
    ctx.calibracion.numeroMuestras = static_cast<int64_t>(columnas.n_elem);
    ctx.calibracion.tiempoFin =
        ctx.calibracion.tiempoInicio + static_cast<double>((static_cast<int64_t>(columnas.n_elem) - 1) / srate);
}
