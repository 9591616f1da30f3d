#include "dsp/fir/disenoFIR.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <sstream>
#include <stdexcept>

#include "dsp/fir/ErrorDisenoFIR.h"
#include "dsp/fir/ventanaHamming.h"

namespace {

// Path and line numbers printed in the design error reports. They are fixed
// report codes (630, 659, 690, 692 identify the failing check), kept stable
// for anyone matching the output; they are not line numbers of this file.
const std::string rutaInforme = "dsp/fir/disenoFIR.cpp";
constexpr int lineaOrdenPasaAltos = 630;
constexpr int lineaBordesPasaBanda = 659;
constexpr int lineaOrdenRechazaBanda = 690;
constexpr int lineaBordesRechazaBanda = 692;

const std::string mensajeOrdenPar = "Filter order must be even";
const std::string mensajeBordes = "Frequencies must be [0 < f0 < f1 < 1]";

void comprobarOrdenPar(int orden, int linea) {
    if (orden % 2 != 0)
        informarErrorFIR(rutaInforme, linea, mensajeOrdenPar,
                         "Diseño FIR: el orden del filtro debe ser par (orden " + std::to_string(orden) + ")");
}

std::string numero(double x) {
    std::ostringstream texto;
    texto << x;  // general format, 6 significant digits
    return texto.str();
}

void comprobarBordes(double f0, double f1, int linea) {
    // Written negated so that a NaN edge fails too.
    if (!(f0 < f1))
        informarErrorFIR(rutaInforme, linea, mensajeBordes,
                         "Diseño FIR: las frecuencias normalizadas de la banda deben cumplir 0 < f0 < f1 < 1 (f0 = " +
                             numero(f0) + ", f1 = " + numero(f1) + ")");
}

void comprobarOrden(int orden, const char* rutina) {
    if (orden < 0 || orden > ordenMaximoFIR)
        throw std::invalid_argument(std::string(rutina) + ": orden del filtro fuera de rango (" +
                                    std::to_string(orden) + "; debe estar entre 0 y " +
                                    std::to_string(ordenMaximoFIR) + ")");
}

double sinc(double x) {
    if (x == 0.0) return 1.0;
    const double px = M_PI * x;
    return std::sin(px) / px;
}

// t_m = m - M/2 for m = 0 ... M.
arma::vec argumentoVentana(int orden) {
    arma::vec t(static_cast<arma::uword>(orden) + 1);
    for (arma::uword m = 0; m < t.n_elem; ++m) t(m) = static_cast<double>(m) - 0.5 * orden;
    return t;
}

arma::vec sincEscalada(const arma::vec& t, double f) {
    arma::vec s(t.n_elem);
    for (arma::uword m = 0; m < t.n_elem; ++m) s(m) = sinc(t(m) * f);
    return s;
}

// |sum_n b[n] e^(-i pi n f)|: the magnitude of the response at normalised frequency f.
double gananciaEn(const arma::vec& b, double f) {
    std::complex<double> suma = 0.0;
    for (arma::uword n = 0; n < b.n_elem; ++n)
        suma += b(n) * std::polar(1.0, -M_PI * static_cast<double>(n) * f);
    return std::abs(suma);
}

arma::vec normalizar(arma::vec b, double ganancia, const char* rutina) {
    if (!std::isfinite(ganancia) || ganancia == 0.0)
        throw std::invalid_argument(std::string(rutina) +
                                    ": la ganancia de referencia del diseño es nula o no finita; "
                                    "revise las frecuencias de corte");
    b /= ganancia;
    return b;
}

}  // namespace

arma::vec disenoPasaBajos(int orden, double fc) {
    comprobarOrden(orden, "disenoPasaBajos");
    const arma::vec t = argumentoVentana(orden);
    arma::vec b = fc * ventanaHamming(t.n_elem) % sincEscalada(t, fc);
    const double g = arma::accu(b);
    return normalizar(std::move(b), g, "disenoPasaBajos");
}

arma::vec disenoPasaAltos(int orden, double fc) {
    comprobarOrdenPar(orden, lineaOrdenPasaAltos);
    comprobarOrden(orden, "disenoPasaAltos");
    const arma::vec t = argumentoVentana(orden);
    arma::vec b = ventanaHamming(t.n_elem) % (sincEscalada(t, 1.0) - fc * sincEscalada(t, fc));
    const double g = gananciaEn(b, 1.0);
    return normalizar(std::move(b), g, "disenoPasaAltos");
}

arma::vec disenoPasaBanda(int orden, double f0, double f1) {
    comprobarBordes(f0, f1, lineaBordesPasaBanda);
    comprobarOrden(orden, "disenoPasaBanda");
    const arma::vec t = argumentoVentana(orden);
    arma::vec b = ventanaHamming(t.n_elem) % (f1 * sincEscalada(t, f1) - f0 * sincEscalada(t, f0));
    const double g = gananciaEn(b, 0.5 * (f0 + f1));
    return normalizar(std::move(b), g, "disenoPasaBanda");
}

arma::vec disenoRechazaBanda(int orden, double f0, double f1) {
    comprobarOrdenPar(orden, lineaOrdenRechazaBanda);
    comprobarBordes(f0, f1, lineaBordesRechazaBanda);
    comprobarOrden(orden, "disenoRechazaBanda");
    const arma::vec t = argumentoVentana(orden);
    arma::vec b =
        ventanaHamming(t.n_elem) % (sincEscalada(t, 1.0) - f1 * sincEscalada(t, f1) + f0 * sincEscalada(t, f0));
    const double g = arma::accu(b);
    return normalizar(std::move(b), g, "disenoRechazaBanda");
}

namespace {

void comprobarTipo(TipoFiltro tipo, const char* rutina) {
    switch (tipo) {
        case TipoFiltro::pasaAltos:
        case TipoFiltro::pasaBajos:
        case TipoFiltro::pasaBanda:
        case TipoFiltro::rechazaBanda: return;
    }
    throw std::invalid_argument(std::string(rutina) + ": tipo de filtro desconocido (" +
                                std::to_string(static_cast<int>(tipo)) + "); los tipos son 0 a 3");
}

double anchoBorde(double f, double holgura) { return std::min(std::max(0.25 * f, 2.0), holgura); }

}  // namespace

double anchoTransicionFIR(TipoFiltro tipo, double frecInferior, double frecSuperior, int frecuenciaMuestreo) {
    comprobarTipo(tipo, "anchoTransicionFIR");
    const double separacion = frecSuperior - frecInferior;
    const double nyquist = 0.5 * static_cast<double>(frecuenciaMuestreo);
    switch (tipo) {
        case TipoFiltro::pasaAltos: return std::min(separacion, anchoBorde(frecInferior, frecInferior));
        case TipoFiltro::pasaBajos: return std::min(separacion, anchoBorde(frecInferior, nyquist - frecInferior));
        default:
            return std::min(
                {separacion, anchoBorde(frecInferior, frecInferior), anchoBorde(frecSuperior, nyquist - frecSuperior)});
    }
}

LimiteTransicion limiteTransicionFIR(TipoFiltro tipo, double frecInferior, double frecSuperior, int frecuenciaMuestreo) {
    comprobarTipo(tipo, "limiteTransicionFIR");
    const double separacion = frecSuperior - frecInferior;
    const double nyquist = 0.5 * static_cast<double>(frecuenciaMuestreo);
    if (tipo == TipoFiltro::pasaBajos) {
        // The cut-off is the lower limit, with the upper edge's rule.
        const double corte = anchoBorde(frecInferior, nyquist - frecInferior);
        if (separacion <= corte) return LimiteTransicion::separacion;
        return nyquist - frecInferior < std::max(0.25 * frecInferior, 2.0) ? LimiteTransicion::corteCercaDeNyquist
                                                                             : LimiteTransicion::inferior;
    }
    const double inferior = anchoBorde(frecInferior, frecInferior);
    if (tipo == TipoFiltro::pasaAltos)
        return separacion <= inferior ? LimiteTransicion::separacion : LimiteTransicion::inferior;
    const double superior = anchoBorde(frecSuperior, nyquist - frecSuperior);
    if (separacion <= inferior && separacion <= superior) return LimiteTransicion::separacion;
    return superior < inferior ? LimiteTransicion::superior : LimiteTransicion::inferior;
}

double ordenBaseFIR(TipoFiltro tipo, double frecInferior, double frecSuperior, int frecuenciaMuestreo,
                    int atenuacionDb) {
    // In doubles: fs * A can overflow 32 bits for high rates.
    const double m0 = static_cast<double>(frecuenciaMuestreo) * static_cast<double>(atenuacionDb) /
                      (22.0 * anchoTransicionFIR(tipo, frecInferior, frecSuperior, frecuenciaMuestreo));
    return std::trunc(m0);
}

void disenarFiltroFIR(FiltroFIR& filtro, double frecInferior, double frecSuperior, int frecuenciaMuestreo,
                      int atenuacionDb, TipoFiltro tipo) {
    comprobarTipo(tipo, "disenarFiltroFIR");
    if (frecuenciaMuestreo <= 0)
        throw std::invalid_argument("frecuencia de muestreo no válida (" +
                                    std::to_string(frecuenciaMuestreo) + " Hz)");

    // Normalised to Nyquist; fs / 2 in floating point so odd rates are not
    // rounded down.
    const double nyquist = 0.5 * static_cast<double>(frecuenciaMuestreo);
    const double wInferior = frecInferior / nyquist;
    const double wSuperior = frecSuperior / nyquist;

    // Band edges out of order make the gap zero or negative, and with it the
    // order; report them as the band designers would before converting it.
    if (tipo == TipoFiltro::pasaBanda) comprobarBordes(wInferior, wSuperior, lineaBordesPasaBanda);
    if (tipo == TipoFiltro::rechazaBanda) comprobarBordes(wInferior, wSuperior, lineaBordesRechazaBanda);

    const double m0Real = ordenBaseFIR(tipo, frecInferior, frecSuperior, frecuenciaMuestreo, atenuacionDb);
    if (!std::isfinite(m0Real) || std::abs(m0Real) > ordenMaximoFIR)
        throw std::invalid_argument("el orden del filtro (" + numero(m0Real) +
                                    ") no es representable; revise los límites y la atenuación");
    const int m0 = static_cast<int>(m0Real);
    // Even for every type: an odd number of taps has a centre sample, so the
    // filter's delay is a whole number of samples and can be removed.
    const int ordenPar = (m0 % 2 == 1) ? m0 + 1 : m0;

    arma::vec b;
    switch (tipo) {
        case TipoFiltro::pasaAltos: b = disenoPasaAltos(ordenPar, wInferior); break;
        case TipoFiltro::pasaBajos: b = disenoPasaBajos(ordenPar, wInferior); break;
        case TipoFiltro::pasaBanda: b = disenoPasaBanda(ordenPar, wInferior, wSuperior); break;
        case TipoFiltro::rechazaBanda: b = disenoRechazaBanda(ordenPar, wInferior, wSuperior); break;
    }
    prepararFiltroFIR(filtro, std::move(b));
}

RespuestaFIR respuestaFIR(const arma::vec& coeficientes, int frecuenciaMuestreo, arma::uword puntos) {
    if (coeficientes.is_empty()) throw std::invalid_argument("el filtro no tiene coeficientes");
    if (frecuenciaMuestreo <= 0)
        throw std::invalid_argument("frecuencia de muestreo no válida (" +
                                    std::to_string(frecuenciaMuestreo) + " Hz)");
    if (puntos < 2) throw std::invalid_argument("hacen falta al menos 2 puntos");
    RespuestaFIR r;
    r.frecuenciasHz = arma::linspace(0.0, 0.5 * static_cast<double>(frecuenciaMuestreo), puntos);
    arma::vec magnitud(puntos);
    const arma::uword intervalos = puntos - 1;
    if (coeficientes.n_elem * puntos <= (arma::uword{1} << 22)) {
        for (arma::uword j = 0; j < puntos; ++j)  // normalised to Nyquist: j / (puntos - 1)
            magnitud(j) = gananciaEn(coeficientes, static_cast<double>(j) / static_cast<double>(intervalos));
    } else {
        // Long filters: one zero-padded FFT whose bins fall on the grid, so the
        // dialog stays responsive up to the largest order (a power-of-two
        // multiple of the grid keeps the transform fast).
        arma::uword paso = 1;
        while (2 * intervalos * paso < coeficientes.n_elem) paso *= 2;
        const arma::cx_vec espectro = arma::fft(coeficientes, 2 * intervalos * paso);
        for (arma::uword j = 0; j < puntos; ++j) magnitud(j) = std::abs(espectro(j * paso));
    }
    r.magnitudDb = 20.0 * arma::log10(arma::clamp(magnitud, 1e-15, arma::datum::inf));
    return r;
}

arma::vec respuestaFIREn(const arma::vec& coeficientes, int frecuenciaMuestreo, const arma::vec& frecuenciasHz) {
    if (coeficientes.is_empty()) throw std::invalid_argument("el filtro no tiene coeficientes");
    if (frecuenciaMuestreo <= 0)
        throw std::invalid_argument("frecuencia de muestreo no válida (" +
                                    std::to_string(frecuenciaMuestreo) + " Hz)");
    const double nyquist = 0.5 * static_cast<double>(frecuenciaMuestreo);
    arma::vec magnitud(frecuenciasHz.n_elem);
    if (coeficientes.n_elem * frecuenciasHz.n_elem <= (arma::uword{1} << 23)) {
        for (arma::uword j = 0; j < frecuenciasHz.n_elem; ++j)
            magnitud(j) = gananciaEn(coeficientes, frecuenciasHz(j) / nyquist);
    } else {
        arma::uword n = 1;
        while (n < 4 * coeficientes.n_elem) n *= 2;
        const arma::cx_vec espectro = arma::fft(coeficientes, n);
        for (arma::uword j = 0; j < frecuenciasHz.n_elem; ++j) {
            const double bin = std::round(frecuenciasHz(j) / static_cast<double>(frecuenciaMuestreo) * n);
            magnitud(j) = std::abs(espectro(static_cast<arma::uword>(std::clamp(bin, 0.0, n / 2.0))));
        }
    }
    return 20.0 * arma::log10(arma::clamp(magnitud, 1e-15, arma::datum::inf));
}
