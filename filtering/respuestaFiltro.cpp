#include "filtering/respuestaFiltro.h"

#include <charconv>
#include <cmath>

#include <stdexcept>

#include "dsp/fir/disenoFIR.h"
#include "filtering/lineaElectrica.h"
#include "io/textoNumero.h"

namespace {

constexpr double decadasRespuesta = 1e-4;  // lowest frequency drawn, over Nyquist

// The drawing of h with the summary of a filter of n coefficients.
arma::vec rejilla(int fs, std::size_t puntos) {
    const double nyquist = 0.5 * static_cast<double>(fs);
    arma::vec hz = arma::logspace(std::log10(nyquist * decadasRespuesta), std::log10(nyquist), puntos);
    hz(hz.n_elem - 1) = nyquist;  // exactly, not 10^log10
    return hz;
}

RespuestaFiltro respuestaDe(const arma::vec& h, arma::uword n, int fs, const arma::vec& hz) {
    RespuestaFiltro s;
    s.frecuenciasHz = arma::conv_to<std::vector<double>>::from(hz);
    s.magnitudDb = arma::conv_to<std::vector<double>>::from(respuestaFIREn(h, fs, hz));
    s.numeroCoeficientes = static_cast<int>(n);
    s.duracionSegundos = static_cast<double>(n) / fs;
    char segundos[32];
    const auto fin = std::to_chars(segundos, segundos + sizeof segundos, s.duracionSegundos,
                                   std::chars_format::general, 3);
    s.resumen = std::to_string(s.numeroCoeficientes) + " coeficientes (" + std::string(segundos, fin.ptr) + " s)";
    return s;
}

}  // namespace

RespuestaFiltro respuestaCoeficientes(const arma::vec& h, int fs, std::size_t puntos) {
    return respuestaDe(h, h.n_elem, fs, rejilla(fs, puntos));
}

RespuestaFiltro respuestaFiltro(const RamaFiltrable& rama, const OpcionesFiltro& opciones, std::size_t puntos) {
    const FiltroFIR filtro = disenarFiltroRama(rama, opciones);
    return respuestaDe(filtro.coeficientes, filtro.numeroCoeficientes, rama.frecuenciaMuestreo,
                       rejilla(rama.frecuenciaMuestreo, puntos));
}

RespuestaFiltro respuestaLinea(int fs, double frecuencia, std::size_t puntos) {
    const std::vector<double> armonicos = armonicosLinea(frecuencia, fs);
    if (armonicos.empty())
        throw std::invalid_argument("a " + std::to_string(fs) + " Hz no hay ningún armónico de " +
                                    textoGeneral(frecuencia) + " Hz por debajo de Nyquist: no hay nada que quitar");
    // The stop bands are f/200 wide, narrower than the grid's step there:
    // the notch frequencies themselves are drawn too, so the dips show.
    const arma::vec hz = arma::sort(arma::join_cols(rejilla(fs, puntos), arma::vec(armonicos)));
    const arma::vec h = disenoMuescas(armonicos, fs);
    return respuestaDe(h, h.n_elem, fs, hz);
}
