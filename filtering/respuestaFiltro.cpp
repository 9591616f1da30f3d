#include "filtering/respuestaFiltro.h"

#include <charconv>
#include <cmath>

#include "dsp/fir/disenoFIR.h"

namespace {

constexpr double decadasRespuesta = 1e-4;  // lowest frequency drawn, over Nyquist

}  // namespace

RespuestaFiltro respuestaFiltro(const RamaFiltrable& rama, const OpcionesFiltro& opciones, std::size_t puntos) {
    const FiltroFIR filtro = disenarFiltroRama(rama, opciones);
    const double nyquist = 0.5 * static_cast<double>(rama.frecuenciaMuestreo);
    arma::vec hz = arma::logspace(std::log10(nyquist * decadasRespuesta), std::log10(nyquist), puntos);
    hz(hz.n_elem - 1) = nyquist;  // exactly, not 10^log10
    RespuestaFiltro s;
    s.frecuenciasHz = arma::conv_to<std::vector<double>>::from(hz);
    s.magnitudDb = arma::conv_to<std::vector<double>>::from(respuestaFIREn(filtro.coeficientes, rama.frecuenciaMuestreo, hz));
    s.numeroCoeficientes = static_cast<int>(filtro.numeroCoeficientes);
    s.duracionSegundos = static_cast<double>(filtro.numeroCoeficientes) / rama.frecuenciaMuestreo;
    char segundos[32];
    const auto fin = std::to_chars(segundos, segundos + sizeof segundos, s.duracionSegundos,
                                   std::chars_format::general, 3);
    s.resumen = std::to_string(s.numeroCoeficientes) + " coeficientes (" + std::string(segundos, fin.ptr) + " s)";
    return s;
}
