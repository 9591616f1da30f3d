#include "averaging/erp.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>
#include <stdexcept>

#include "averaging/promediado.h"
#include "io/textoNumero.h"

namespace {

[[noreturn]] void rechazar(const std::string& motivo) { throw std::invalid_argument(motivo); }

bool historiaPromediada(const std::string& historia) {
    std::istringstream s(historia);
    for (std::string paso; s >> paso;)
        if (paso == "Promediado") return true;
    return false;
}

PromedioERP deContinua(const EEG& rama) {
    PromedioERP p;
    p.frecuencia = rama.frecuenciaMuestreo;
    // promediarEventos keeps msPrev / 1000 as the start time; the event column
    // is the one its window took for those whole milliseconds.
    const double ms = std::round(rama.tiempoInicio * 1000.0);
    if (!std::isfinite(ms) || ms < 0.0 || ms > 2.0e9) rechazar("el promedio no dice dónde está el evento");
    p.pre = calcularVentana(rama.frecuenciaMuestreo, static_cast<int32_t>(ms), 0).pre;
    p.ancho = static_cast<int32_t>(std::min<arma::uword>(rama.datos().n_cols, INT32_MAX));
    if (p.pre >= p.ancho)
        rechazar("el evento del promedio (columna " + std::to_string(p.pre) + ") cae fuera de sus " +
                 std::to_string(p.ancho) + " muestras");
    return p;
}

PromedioERP porTipo(const EEG& rama) {
    const Epocas& e = *rama.epocas;
    PromedioERP p;
    p.frecuencia = rama.frecuenciaMuestreo;
    p.pre = e.pre;
    p.ancho = e.ancho;
    p.tipos = e.tipos;
    p.promediadas = e.promediadas;
    if (e.pre < 0 || e.ancho <= e.pre || p.tipos.empty() ||
        rama.datos().n_cols != static_cast<arma::uword>(e.ancho) * p.tipos.size())
        rechazar("la rama promediada por tipo no tiene la forma de sus épocas");
    return p;
}

}  // namespace

bool esPromedio(const EEG& rama) {
    if (rama.epocas) return !rama.epocas->promediadas.empty();
    return !rama.tieneEventos() && (rama.tiempoInicio > 0.0 || historiaPromediada(rama.historia));
}

PromedioERP describirPromedio(const EEG& rama) {
    if (rama.epocas && rama.epocas->promediadas.empty())
        rechazar("la rama está en épocas sin promediar: aplique antes el promediado por tipo");
    if (!esPromedio(rama))
        rechazar("la rama no está promediada: aplique antes el promediado");
    if (rama.frecuenciaMuestreo <= 0) rechazar("la rama no tiene frecuencia de muestreo");
    if (rama.matrices.empty() || rama.datos().n_rows == 0 || rama.datos().n_cols == 0)
        rechazar("la rama promediada no tiene muestras");
    return rama.epocas ? porTipo(rama) : deContinua(rama);
}

arma::vec ejeTiempoMs(const PromedioERP& p) {
    return (arma::regspace<arma::vec>(0, static_cast<double>(p.ancho) - 1.0) - p.pre) * (1000.0 / p.frecuencia);
}

arma::mat bloqueERP(const EEG& rama, const PromedioERP& p, std::size_t bloque) {
    if (bloque >= p.bloques())
        throw std::out_of_range("el promedio tiene " + std::to_string(p.bloques()) + " tipos y se pidió el " +
                                std::to_string(bloque + 1));
    const auto W = static_cast<arma::uword>(p.ancho);
    return rama.datos().cols(bloque * W, (bloque + 1) * W - 1);
}

arma::rowvec potenciaCampoGlobal(const arma::mat& X) {
    if (X.n_rows == 0) rechazar("la potencia de campo global necesita al menos un canal");
    if (X.n_cols == 0) return arma::rowvec();
    // norm_type 1: divided by the channel count, not by one less.
    return arma::stddev(X, 1, 0);
}

arma::uword columnaDeLatencia(const PromedioERP& p, double ms) {
    // The epoch holds a latency when its nearest sample is one of the
    // block's: a time typed as the axis prints it ("-97.7" for -97.65625)
    // still names the first sample.
    const double muestras = ms * p.frecuencia / 1000.0;
    const int64_t k = std::isfinite(muestras) && std::abs(muestras) < 1e15
                          ? static_cast<int64_t>(p.pre) + std::llround(muestras)
                          : -1;
    if (k < 0 || k >= p.ancho) {
        const double primera = -static_cast<double>(p.pre) * 1000.0 / p.frecuencia;
        const double ultima = static_cast<double>(p.ancho - 1 - p.pre) * 1000.0 / p.frecuencia;
        rechazar("la latencia " + textoGeneral(ms) + " ms está fuera de la época (de " + textoGeneral(primera) +
                 " a " + textoGeneral(ultima) + " ms)");
    }
    return static_cast<arma::uword>(k);
}

arma::vec valoresEnLatencia(const arma::mat& bloque, const PromedioERP& p, double ms) {
    const arma::uword k = columnaDeLatencia(p, ms);
    if (k >= bloque.n_cols) throw std::out_of_range("el bloque del promedio es más corto que su época");
    return bloque.col(k);
}

RangoColor rangoComun(const std::vector<arma::vec>& valores) {
    double m = -1.0;
    for (const arma::vec& v : valores) {
        const arma::vec finitos = v.elem(arma::find_finite(v));
        if (!finitos.is_empty()) m = std::max(m, arma::abs(finitos).max());
    }
    if (m < 0.0) rechazar("no hay valores para la escala de los mapas");
    if (m == 0.0) m = 1.0;
    return {-m, m};
}

std::vector<double> leerLatencias(const std::string& texto) {
    std::vector<double> r;
    std::size_t i = 0;
    auto separador = [](char c) { return c == ',' || c == ';' || c == ' ' || c == '\t'; };
    while (i < texto.size()) {
        while (i < texto.size() && separador(texto[i])) ++i;
        std::size_t fin = i;
        while (fin < texto.size() && !separador(texto[fin])) ++fin;
        if (fin == i) break;
        const std::string pieza = texto.substr(i, fin - i);
        // from_chars does not read the C library's locale, which Qt sets.
        const char* inicio = pieza.data() + (pieza[0] == '+' ? 1 : 0);
        double v = 0.0;
        const auto [fuera, error] = std::from_chars(inicio, pieza.data() + pieza.size(), v);
        if (error != std::errc() || fuera != pieza.data() + pieza.size() || !std::isfinite(v))
            rechazar("«" + pieza + "» no es una latencia en ms");
        r.push_back(v);
        i = fin;
    }
    return r;
}
