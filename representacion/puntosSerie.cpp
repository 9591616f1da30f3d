#include "representacion/puntosSerie.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace {
void comprobarFrecuencia(const char* rutina, int frecuencia) {
    if (frecuencia <= 0)
        throw std::invalid_argument(std::string(rutina) + ": frecuencia de muestreo no valida (" +
                                    std::to_string(frecuencia) + " Hz)");
}
}  // namespace

std::vector<PuntoSerie> puntosCanal(const arma::rowvec& fila, int frecuencia, double desfase) {
    comprobarFrecuencia("puntosCanal", frecuencia);
    const double fs = frecuencia;
    std::vector<PuntoSerie> puntos(fila.n_elem);
    for (arma::uword i = 0; i < fila.n_elem; ++i) puntos[i] = {static_cast<double>(i) / fs - desfase, fila[i]};
    return puntos;
}

TramoMuestras tramoVisible(int64_t muestras, int frecuencia, double desfase, const GeometriaHorizontal& g,
                           double margen) {
    comprobarFrecuencia("tramoVisible", frecuencia);
    const double segundos = g.tMax - g.tMin;
    if (muestras <= 0 || !(g.anchoEje > 0.0) || !(g.anchoVisible > 0.0) || !(segundos > 0.0) || !(margen >= 0.0))
        return {};
    const double extra = margen * g.anchoVisible;
    // Pixel x is at tMin + (x - xEje) / anchoEje * segundos, and that time at
    // sample (t + desfase) * frecuencia.
    const auto muestra = [&](double x) { return (g.tMin + (x - g.xEje) / g.anchoEje * segundos + desfase) * frecuencia; };
    // An edge that lands on a sample up to rounding counts as on it.
    constexpr double holgura = 1e-6;
    const double n = static_cast<double>(muestras);
    const double desde = std::clamp(std::floor(muestra(g.xVisible - extra) + holgura), 0.0, n);
    const double hasta = std::clamp(std::ceil(muestra(g.xVisible + g.anchoVisible + extra) - holgura) + 1.0, 0.0, n);
    if (!(desde < hasta)) return {};  // off the channel's span (or NaN)
    return {static_cast<int64_t>(desde), static_cast<int64_t>(hasta)};
}

TramoMuestras tramoParaMostrar(const TramoMuestras& mostrado, int64_t muestras, int frecuencia, double desfase,
                               const GeometriaHorizontal& g, double margen) {
    const TramoMuestras necesario = tramoVisible(muestras, frecuencia, desfase, g, margen / 2);
    if (necesario.vacio()) return mostrado;  // nothing on screen to draw: keep what there is
    const TramoMuestras ancho = tramoVisible(muestras, frecuencia, desfase, g, margen);
    const bool cubre = mostrado.desde <= necesario.desde && necesario.hasta <= mostrado.hasta;
    if (cubre && mostrado.longitud() <= 2 * ancho.longitud()) return mostrado;
    return ancho;
}

VentanaTiempo encajarVentana(VentanaTiempo v, double tMin, double tMax) {
    const double lapso = tMax - tMin;
    if (!std::isfinite(v.inicio) || !std::isfinite(v.ancho) || !(v.ancho > 0.0) || !(lapso > 0.0))
        return {tMin, std::max(lapso, 0.0)};
    if (v.ancho >= lapso) return {tMin, lapso};  // exactly the span, not tMax - lapso rounded
    v.inicio = std::clamp(v.inicio, tMin, tMax - v.ancho);
    return v;
}

PasoEjeTiempo pasoEjeTiempo(double segundos, double pixeles, double separacionMinima) {
    if (!(segundos > 0.0) || !(pixeles > 0.0) || !std::isfinite(segundos)) return {};
    const double minimo = std::max(segundos * std::max(separacionMinima, 1.0) / pixeles, 1e-9);
    // The smallest 1, 2 or 5 times a power of ten at or above the minimum.
    const double potencia = std::pow(10.0, std::floor(std::log10(minimo)));
    double paso = potencia;
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * potencia >= minimo * (1.0 - 1e-9)) {
            paso = m * potencia;
            break;
        }
    const int decimales = paso >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(paso) - 1e-9));
    return {paso, decimales};
}

std::string tituloEjeAmplitud(const EEG& eeg, const std::vector<int>& canales) {
    std::vector<std::string> unidades;
    for (const int c : canales) {
        if (c < 0 || static_cast<std::size_t>(c) >= eeg.canales->size()) continue;
        std::string u = etiquetaVisible((*eeg.canales)[static_cast<std::size_t>(c)].unidad);
        if (u.empty() || u == "uV" || u == "UV" || u == "\xCE\xBCV") u = "\xC2\xB5V";  // µV, micro sign
        if (std::find(unidades.begin(), unidades.end(), u) == unidades.end()) unidades.push_back(u);
    }
    if (unidades.empty()) unidades.push_back("\xC2\xB5V");
    std::string texto = "Amplitud (";
    for (std::size_t i = 0; i < unidades.size(); ++i) texto += (i ? ", " : "") + unidades[i];
    return texto + ")";
}

std::array<PuntoSerie, 2> puntosEvento(const Evento& e, int frecuencia, double maximo, double minimo) {
    comprobarFrecuencia("puntosEvento", frecuencia);
    const double t = static_cast<double>(e.posicion) / frecuencia;
    return {PuntoSerie{t, minimo}, PuntoSerie{t, maximo}};
}

RangoEjes rangoEjes(int64_t columnas, int frecuencia, double tiempoInicio, double maximo, double minimo) {
    comprobarFrecuencia("rangoEjes", frecuencia);
    RangoEjes r;
    const double duracion = static_cast<double>(columnas) / frecuencia;
    r.tMin = -tiempoInicio;
    r.tMax = duracion - tiempoInicio;
    r.vMin = std::min(minimo, maximo);
    r.vMax = std::max(minimo, maximo);
    if (r.vMin == r.vMax) {
        r.vMin -= 1.0;
        r.vMax += 1.0;
    }
    return r;
}

std::vector<bool> primerosDeSuTipo(const std::vector<Evento>& eventos) {
    std::vector<bool> primeros(eventos.size(), false);
    std::vector<std::pair<int32_t, int32_t>> vistos;
    for (std::size_t i = 0; i < eventos.size(); ++i) {
        const std::pair<int32_t, int32_t> tipo{eventos[i].tipo, eventos[i].calificador};
        if (std::find(vistos.begin(), vistos.end(), tipo) == vistos.end()) {
            vistos.push_back(tipo);
            primeros[i] = true;
        }
    }
    return primeros;
}

ColorRGB colorAleatorioCanal() {
    ColorRGB c;
    c.azul = std::rand() % 255;
    c.verde = std::rand() % 255;
    c.rojo = std::rand() % 255;
    return c;
}

std::vector<int> canalesExistentes(const std::vector<int>& canales, uint32_t numeroCanales) {
    std::vector<int> r;
    for (int c : canales)
        if (c >= 0 && static_cast<uint32_t>(c) < numeroCanales) r.push_back(c);
    return r;
}

std::optional<std::pair<double, double>> extremosFilas(const arma::mat& datos, const std::vector<int>& filas) {
    if (filas.empty() || datos.n_cols == 0) return std::nullopt;
    arma::uvec indices(filas.size());
    for (std::size_t i = 0; i < filas.size(); ++i) {
        if (filas[i] < 0 || static_cast<arma::uword>(filas[i]) >= datos.n_rows)
            throw std::out_of_range("el canal " + std::to_string(filas[i] + 1) +
                                    " no existe en los datos");
        indices[i] = static_cast<arma::uword>(filas[i]);
    }
    const arma::mat elegidas = datos.rows(indices);
    return std::make_pair(elegidas.max(), elegidas.min());
}

std::string motivoNoDibujable(const EEG& eeg) {
    if (eeg.matrices.empty() || eeg.numeroCanales == 0 || eeg.datos().n_rows == 0 || eeg.datos().n_cols == 0)
        return "Fallo en los datos, revise que en el EEG seleccionado hay datos";
    if (eeg.frecuenciaMuestreo <= 0)
        return "No se puede dibujar la rama seleccionada: su frecuencia de muestreo es " +
               std::to_string(eeg.frecuenciaMuestreo) + " Hz y tiene que ser mayor que 0.";
    return {};
}

std::string etiquetaVisible(const std::string& etiqueta) {
    const std::size_t fin = etiqueta.find_last_not_of(std::string(" \t\r\n\0", 5));
    return fin == std::string::npos ? std::string() : etiqueta.substr(0, fin + 1);
}
