#include "asr/reconstruirASR.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "asr/memoriaLibre.h"
#include "asr/procesadoASR.h"

long long muestrasAnticipacionASR(const ContextoASR& ctx) {
    return std::llround(ctx.longitudVentanaProcesado * 0.5 * ctx.trabajo.frecuenciaMuestreo);
}

EEG reconstruirASR(ContextoASR& ctx, std::optional<double> memoriaLibre, const std::function<void(double)>& progreso) {
    const arma::mat& x = ctx.trabajo.datos();
    const arma::uword S = x.n_cols;
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

    const arma::uword Pu = static_cast<arma::uword>(P);
    arma::mat salida;
    {
        arma::mat extendidos(x.n_rows, S + Pu);
        extendidos.cols(0, S - 1) = x;
        const arma::vec doble = 2 * x.col(S - 1);
        for (arma::uword j = 0; j < Pu; ++j) extendidos.col(S + j) = doble - x.col(S - 2 - j);
        salida = procesarASR(extendidos, srate, static_cast<int>(paso), ctx,
                             memoriaLibre ? *memoriaLibre : memoriaFisicaLibre(), progreso);
    }
    // One copy of the kept columns, straight into the new record.
    EEG resultado = derivarEEG(ctx.trabajo, arma::mat());
    resultado.matrices[0] = salida.cols(Pu, S + Pu - 1);
    return resultado;
}
