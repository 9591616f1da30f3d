#include "representacion/resumenRegistro.h"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <vector>

#include "representacion/exploracion.h"

namespace {

// Channels, rate, duration and events: what every line shows.
LineaRegistro cifras(const EEG& eeg) {
    LineaRegistro l;
    l.canales = std::to_string(eeg.numeroCanales);
    l.frecuencia = std::to_string(eeg.frecuenciaMuestreo) + " Hz";
    const int64_t muestras = eeg.matrices.empty() ? eeg.numeroMuestras : static_cast<int64_t>(eeg.datos().n_cols);
    if (eeg.frecuenciaMuestreo > 0) {
        const double segundos = static_cast<double>(muestras) / eeg.frecuenciaMuestreo;
        l.duracion = textoTiempo(segundos, 1, segundos >= 60.0);
    }
    if (!eeg.tieneEventos() || eeg.tablaEventos->eventos.empty()) {
        l.eventos = "sin eventos";
        return l;
    }
    const TablaEventos& tabla = *eeg.tablaEventos;
    const std::vector<size_t> cuentas = cuentaPorTipo(tabla);
    for (size_t k = 0; k < tabla.tipos.size(); ++k) {
        if (cuentas[k] == 0) continue;
        if (!l.eventos.empty()) l.eventos += ", ";
        l.eventos += nombreTipo(tabla, tabla.tipos[k]) + " \xC3\x97" + std::to_string(cuentas[k]);  // ×
    }
    return l;
}

std::string recortada(const std::string& texto) {
    const auto desde = texto.find_first_not_of(' ');
    if (desde == std::string::npos) return {};
    return texto.substr(desde, texto.find_last_not_of(' ') - desde + 1);
}

}  // namespace

std::string formatoDeRuta(const std::string& ruta) {
    const std::string nombre = ruta.substr(ruta.find_last_of('/') + 1);
    const auto punto = nombre.find_last_of('.');
    if (punto == std::string::npos) return {};
    std::string ext = nombre.substr(punto + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
    if (ext == "GDF") return "GDF";
    if (ext == "EDF") return "EDF/EDF+";
    if (ext == "BDF") return "BDF/BDF+";
    if (ext == "DAT") return "BCI2000";
    if (ext == "VHDR") return "BrainVision";
    return ext;
}

LineaRegistro lineaArchivo(const EEG& registro, const std::string& ruta, int archivo) {
    LineaRegistro l = cifras(registro);
    l.nombre = ruta.empty() ? "registro " + std::to_string(archivo + 1) : ruta.substr(ruta.find_last_of('/') + 1);
    l.formato = formatoDeRuta(ruta);
    return l;
}

namespace {

// An epoched branch is measured in epochs: "40 épocas de -200 a 800 ms", or
// for its averages the epochs behind each: "promedios de 19 + 21 épocas".
std::string duracionEpocas(const Epocas& e, int32_t frecuencia) {
    if (!e.promediadas.empty()) {
        std::string r;
        for (int64_t n : e.promediadas) r += (r.empty() ? "" : " + ") + std::to_string(n);
        return (e.promediadas.size() == 1 ? "promedio de " : "promedios de ") + r + " \xC3\xA9pocas";
    }
    const auto ms = [frecuencia](int32_t muestras) {
        return std::to_string(static_cast<long long>(std::llround(1000.0 * muestras / std::max(frecuencia, 1))));
    };
    return std::to_string(e.numero()) + (e.numero() == 1 ? " \xC3\xA9poca" : " \xC3\xA9pocas") + " de -" + ms(e.pre) +
           " a " + ms(e.post) + " ms";
}

}  // namespace

LineaRegistro lineaRama(const EEG& rama, int archivo, int indiceRama) {
    LineaRegistro l = cifras(rama);
    if (rama.epocas) l.duracion = duracionEpocas(*rama.epocas, rama.frecuenciaMuestreo);
    l.nombre = "eeg " + std::to_string(archivo + 1) + "-" + std::to_string(indiceRama + 1);
    l.historia = recortada(rama.historia);
    if (l.historia.empty()) l.historia = "registro le\xC3\xAD" "do";  // leído
    return l;
}

std::string textoLinea(const LineaRegistro& linea) {
    std::string r;
    for (const std::string* c : {&linea.nombre, &linea.formato, &linea.canales, &linea.frecuencia, &linea.duracion,
                                 &linea.eventos, &linea.historia}) {
        if (c->empty()) continue;
        if (!r.empty()) r += " \xC2\xB7 ";  // ·
        r += *c;
    }
    return r;
}
