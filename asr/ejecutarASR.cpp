#include "asr/ejecutarASR.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "asr/calibracionASR.h"
#include "asr/eliminarDeriva.h"
#include "asr/reconstruirASR.h"
#include "asr/seleccionVentanasLimpias.h"

EEG ejecutarASR(const EEG& entrada, const OpcionesASR& opciones, const Avance& avance,
                std::optional<double> memoriaLibre) {
    if (entrada.matrices.empty() || entrada.numeroCanales == 0 || entrada.numeroMuestras <= 0)
        throw std::invalid_argument("ASR: el registro no tiene muestras.");
    if (entrada.datos().n_rows != entrada.numeroCanales ||
        static_cast<int64_t>(entrada.datos().n_cols) != entrada.numeroMuestras)
        throw std::invalid_argument("ASR: la matriz de datos (" + std::to_string(entrada.datos().n_rows) + "x" +
                                    std::to_string(entrada.datos().n_cols) + ") no casa con " +
                                    std::to_string(entrada.numeroCanales) + " canales y " +
                                    std::to_string(entrada.numeroMuestras) + " muestras.");
    ContextoASR ctx(entrada, opciones);
    // Refuse a recording too short for the end extension before the costly stages.
    const long long P = std::llround(ctx.longitudVentanaProcesado * 0.5 * entrada.frecuenciaMuestreo);
    if (entrada.numeroMuestras <= P)
        throw std::invalid_argument("El registro es demasiado corto para ASR: tiene " +
                                    std::to_string(entrada.numeroMuestras) + " muestras por canal y necesita más de " +
                                    std::to_string(P) + ".");

    // The stages' weights follow their share of the time on 64 channels.
    avance(0.0);
    // Memory: besides the input, the working data is the one copy of the
    // recording. Calibration filters the clean samples inside it, so the
    // drift-free data is computed again afterwards (cheaper than a second copy);
    // processing then reconstructs it in place and it becomes the result.
    eliminarDeriva(ctx, avance.tramo(0.0, 0.12, "eliminando la deriva"));
    const arma::uvec limpias = columnasLimpias(ctx, avance.tramo(0.12, 0.2, "eligiendo ventanas limpias"));
    CalibracionASR calibracion = calibrarASREnSitio(ctx.trabajo.matrices[0], limpias, ctx.trabajo.frecuenciaMuestreo,
                                                    ctx.cutoff, ctx, avance.tramo(0.2, 0.5, "calibrando"));
    ctx.M = std::move(calibracion.M);
    ctx.T = std::move(calibracion.T);
    ctx.B = std::move(calibracion.B);
    ctx.A = std::move(calibracion.A);
    ctx.iirstate = std::move(calibracion.iirstate);
    eliminarDeriva(entrada.datos(), entrada.frecuenciaMuestreo, ctx.trabajo.matrices[0], MetodoConvolucion::automatico,
                   avance.tramo(0.5, 0.62, "eliminando la deriva"));
    EEG resultado = reconstruirASREnSitio(ctx, memoriaLibre, avance.tramo(0.62, 1.0, "procesando"));
    avance(1.0);
    return resultado;
}
