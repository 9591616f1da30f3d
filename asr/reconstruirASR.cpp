#include "asr/reconstruirASR.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "asr/memoriaLibre.h"
#include "asr/procesadoASR.h"

long long muestrasAnticipacionASR(const ContextoASR& ctx) {
    return std::llround(ctx.longitudVentanaProcesado * 0.5 * ctx.trabajo.frecuenciaMuestreo);
}

namespace {

void comprobarReconstruccion(const ContextoASR& ctx) {
    const arma::uword S = ctx.trabajo.datos().n_cols;
    const int srate = ctx.trabajo.frecuenciaMuestreo;
    const long long P = muestrasAnticipacionASR(ctx);
    // The end extension reflects P samples before the last one.
    if (P < 0 || static_cast<long long>(S) <= P)
        throw std::invalid_argument("El registro es demasiado corto para ASR: tiene " + std::to_string(S) +
                                    " muestras por canal y necesita más de " + std::to_string(P) + ".");
    const double paso = std::floor(srate * ctx.longitudVentanaProcesado * 0.5);
    if (!(paso >= 1))
        throw std::invalid_argument("La frecuencia de muestreo (" + std::to_string(srate) +
                                    " Hz) es demasiado baja para ASR.");
}

// x: the working data (C x S, checked), reconstructed in place and moved into the result.
EEG reconstruirEnSitio(ContextoASR& ctx, arma::mat& x, std::optional<double> memoriaLibre,
                       const Avance& avance) {
    const arma::uword S = x.n_cols;
    const int srate = ctx.trabajo.frecuenciaMuestreo;
    const arma::uword P = static_cast<arma::uword>(muestrasAnticipacionASR(ctx));
    const double paso = std::floor(srate * ctx.longitudVentanaProcesado * 0.5);
    // The end extension: 2 x_S - x_j, j = S-1 down to S-P.
    arma::mat extension(x.n_rows, P);
    const arma::vec doble = 2 * x.col(S - 1);
    for (arma::uword j = 0; j < P; ++j) extension.col(j) = doble - x.col(S - 2 - j);
    procesarASREnSitio(x, extension, srate, static_cast<int>(paso), ctx,
                       memoriaLibre ? *memoriaLibre : memoriaFisicaLibre(), avance);
    EEG resultado = derivarEEG(ctx.trabajo, arma::mat());
    resultado.matrices[0] = std::move(x);
    return resultado;
}

}  // namespace

EEG reconstruirASR(ContextoASR& ctx, std::optional<double> memoriaLibre, const Avance& avance) {
    comprobarReconstruccion(ctx);
    arma::mat copia = ctx.trabajo.datos();
    return reconstruirEnSitio(ctx, copia, memoriaLibre, avance);
}

EEG reconstruirASREnSitio(ContextoASR& ctx, std::optional<double> memoriaLibre,
                          const Avance& avance) {
    comprobarReconstruccion(ctx);
    arma::mat x = std::move(ctx.trabajo.matrices[0]);
    ctx.trabajo.matrices[0].reset();
    return reconstruirEnSitio(ctx, x, memoriaLibre, avance);
}
