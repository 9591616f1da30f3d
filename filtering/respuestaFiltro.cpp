#include "filtering/respuestaFiltro.h"

#include <charconv>

#include "dsp/fir/disenoFIR.h"

RespuestaFiltro respuestaFiltro(const RamaFiltrable& rama, const OpcionesFiltro& opciones, std::size_t puntos) {
    const FiltroFIR filtro = disenarFiltroRama(rama, opciones);
    const RespuestaFIR r = respuestaFIR(filtro.coeficientes, rama.frecuenciaMuestreo, puntos);
    RespuestaFiltro s;
    s.frecuenciasHz = arma::conv_to<std::vector<double>>::from(r.frecuenciasHz);
    s.magnitudDb = arma::conv_to<std::vector<double>>::from(r.magnitudDb);
    s.numeroCoeficientes = static_cast<int>(filtro.numeroCoeficientes);
    s.duracionSegundos = static_cast<double>(filtro.numeroCoeficientes) / rama.frecuenciaMuestreo;
    char segundos[32];
    const auto fin = std::to_chars(segundos, segundos + sizeof segundos, s.duracionSegundos,
                                   std::chars_format::general, 3);
    s.resumen = std::to_string(s.numeroCoeficientes) + " coeficientes (" + std::string(segundos, fin.ptr) + " s)";
    return s;
}
