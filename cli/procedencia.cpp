#include "cli/procedencia.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "cli/json.h"
#include "frecuencial/csvDensidad.h"
#include "io/sha256.h"
#include "io/textoNumero.h"
#include "ondelar_version.h"

namespace fs = std::filesystem;

namespace {

template <typename T>
std::string opcional(const std::optional<T>& v) {
    return v ? std::to_string(*v) : "null";
}

// {"ruta", "bytes", "sha256"} of a file; null figures when it cannot be read.
std::string archivoJSON(const std::string& ruta) {
    std::string bytes = "null", suma = "null";
    std::error_code e;
    const auto tamano = fs::file_size(ruta, e);
    if (!e) {
        bytes = std::to_string(tamano);
        try {
            suma = cadenaJSON(sha256Archivo(ruta));
        } catch (const std::runtime_error&) {
        }
    }
    return "{\"ruta\": " + cadenaJSON(ruta) + ", \"bytes\": " + bytes + ", \"sha256\": " + suma + "}";
}

std::string listaJSON(const std::vector<std::string>& textos) {
    std::string r = "[";
    for (size_t i = 0; i < textos.size(); ++i) r += (i ? ", " : "") + cadenaJSON(textos[i]);
    return r + "]";
}

std::string absoluta(const std::string& ruta) {
    std::error_code e;
    const fs::path p = fs::absolute(ruta, e);
    return e ? ruta : p.lexically_normal().string();
}

}  // namespace

void anotarRegistro(Procedencia& p, const EEG& eeg) {
    p.canales = eeg.numeroCanales;
    p.frecuencia = eeg.frecuenciaMuestreo;
    p.muestras = eeg.numeroMuestras;
    p.eventos = eeg.tablaEventos ? static_cast<int64_t>(eeg.tablaEventos->eventos.size()) : 0;
    p.canalesMalos = eeg.canalesMalos;
    const std::vector<std::string> etiquetas = etiquetasCanales(eeg);
    p.electrodos.clear();
    for (size_t c = 0; c < etiquetas.size(); ++c)
        p.electrodos.emplace_back(etiquetas[c], eeg.canales && c < eeg.canales->size()
                                                    ? (*eeg.canales)[c].localizacion
                                                    : std::nullopt);
}

void anotarSalida(Procedencia& p, const EEG& eeg) {
    p.infoSalida = InfoRegistro{eeg.numeroCanales, eeg.frecuenciaMuestreo, eeg.numeroMuestras,
                                eeg.tablaEventos ? static_cast<int64_t>(eeg.tablaEventos->eventos.size()) : 0};
}

std::string lineaDeOrden(const std::vector<std::string>& argumentos) {
    std::string r;
    for (const std::string& a : argumentos) {
        if (!r.empty()) r += ' ';
        const bool simple = !a.empty() && a.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                            "0123456789@%+=:,./_-") == std::string::npos;
        if (simple) {
            r += a;
            continue;
        }
        // Single quotes keep everything but a single quote, written as '"'"'.
        r += '\'';
        for (char c : a) r += c == '\'' ? std::string("'\"'\"'") : std::string(1, c);
        r += '\'';
    }
    return r;
}

namespace {

// MARA's vote: the components it removed (from 1) and, per component, the
// artefact probability and the features behind it.
std::string maraJSON(const std::optional<InformeMara>& m) {
    if (!m) return "null";
    static const char* const nombres[] = {"normaDensidadCorriente", "rangoPatron", "asimetriaLocal",
                                          "lambda", "alfa8a13dB", "errorAjuste"};
    std::ostringstream j;
    j << "{\"componentes\": " << m->componentes << ", \"quitadas\": [";
    for (arma::uword i = 0; i < m->quitadas.n_elem; ++i) j << (i ? ", " : "") << m->quitadas(i) + 1;
    j << "], \"porComponente\": [";
    for (arma::uword q = 0; q < m->componentes; ++q) {
        j << (q ? "," : "") << "\n    {\"componente\": " << q + 1
          << ", \"probabilidadArtefacto\": " << numeroJSON(m->probabilidades(q));
        for (arma::uword f = 0; f < m->caracteristicas.n_rows && f < 6; ++f)
            j << ", \"" << nombres[f] << "\": " << numeroJSON(m->caracteristicas(f, q));
        j << "}";
    }
    j << (m->componentes ? "\n  ]}" : "]}");
    return j.str();
}

}  // namespace

std::string procedenciaJSON(const Procedencia& p, int estadoSalida, const std::string& motivo) {
    const bool completado = estadoSalida == 0;
    const char* hilos = std::getenv("OPENBLAS_NUM_THREADS");
    std::ostringstream j;
    j << "{\n";
    j << "  \"version\": " << cadenaJSON("ondelar-cli " ONDELAR_VERSION) << ",\n";
    j << "  \"comando\": " << cadenaJSON(lineaDeOrden(p.argumentos)) << ",\n";
    j << "  \"argumentos\": [";
    for (size_t i = 0; i < p.argumentos.size(); ++i) j << (i ? ", " : "") << cadenaJSON(p.argumentos[i]);
    j << "],\n";
    std::error_code e;
    const fs::path aqui = fs::current_path(e);
    j << "  \"directorio\": " << (e ? "null" : cadenaJSON(aqui.string())) << ",\n";
    j << "  \"pasos\": [";
    for (size_t i = 0; i < p.pasos.size(); ++i) j << (i ? ", " : "") << cadenaJSON(p.pasos[i]);
    j << "],\n";
    j << "  \"semilla\": " << opcional(p.semilla) << ",\n";
    j << "  \"hilos\": " << (hilos ? cadenaJSON(hilos) : "null") << ",\n";
    j << "  \"entrada\": " << archivoJSON(absoluta(p.registro)) << ",\n";
    j << "  \"ced\": " << (p.ced ? cadenaJSON(absoluta(*p.ced)) : "null") << ",\n";
    j << "  \"eventosTSV\": " << (p.eventosTSV ? archivoJSON(absoluta(*p.eventosTSV)) : "null") << ",\n";
    j << "  \"info\": ";
    if (p.canales)
        j << "{\"canales\": " << opcional(p.canales) << ", \"frecuencia\": " << opcional(p.frecuencia)
          << ", \"muestras\": " << opcional(p.muestras) << ", \"eventos\": " << opcional(p.eventos) << "},\n";
    else
        j << "null,\n";
    j << "  \"infoSalida\": ";
    if (completado && p.infoSalida)
        j << "{\"canales\": " << p.infoSalida->canales << ", \"frecuencia\": " << p.infoSalida->frecuencia
          << ", \"muestras\": " << p.infoSalida->muestras << ", \"eventos\": " << p.infoSalida->eventos << "},\n";
    else
        j << "null,\n";
    j << "  \"electrodos\": [";
    for (size_t i = 0; i < p.electrodos.size(); ++i) {
        const auto& [etiqueta, posicion] = p.electrodos[i];
        j << (i ? ", " : "") << "{\"etiqueta\": " << cadenaJSON(etiqueta) << ", \"posicion\": ";
        if (posicion)
            j << "[" << numeroJSON((*posicion)[0]) << ", " << numeroJSON((*posicion)[1]) << ", "
              << numeroJSON((*posicion)[2]) << "]}";
        else
            j << "null}";
    }
    j << "],\n";
    j << "  \"canalesMalos\": " << listaJSON(p.canalesMalos) << ",\n";
    j << "  \"tiempos\": [";
    for (size_t i = 0; i < p.tiempos.size(); ++i)
        j << (i ? "," : "") << "\n    {\"paso\": " << cadenaJSON(p.tiempos[i].first)
          << ", \"segundos\": " << textoFijo(p.tiempos[i].second, 3)
          << (i < p.malosTrasPaso.size() ? ", \"canalesMalos\": " + listaJSON(p.malosTrasPaso[i]) : std::string())
          << "}";
    j << (p.tiempos.empty() ? "],\n" : "\n  ],\n");
    j << "  \"segundosRun\": " << textoFijo(p.segundos, 3) << ",\n";
    j << "  \"segundosProcesador\": " << textoFijo(p.segundosProcesador, 3) << ",\n";
    j << "  \"epocas\": [";
    for (size_t i = 0; i < p.epocas.size(); ++i) j << (i ? ", " : "") << cadenaJSON(p.epocas[i]);
    j << "],\n";
    j << "  \"mara\": " << maraJSON(p.mara) << ",\n";
    j << "  \"estadoSalida\": " << estadoSalida << ",\n";
    j << "  \"estado\": " << (completado ? "\"completado\"" : "\"fallido\"") << ",\n";
    j << "  \"motivo\": " << cadenaJSON(motivo) << ",\n";
    j << "  \"salida\": " << (completado ? archivoJSON(absoluta(p.salida)) : "null") << ",\n";
    // The spectrum files, like the output: named only when the run completed.
    j << "  \"espectro\": " << (completado && p.espectro ? archivoJSON(absoluta(*p.espectro)) : "null") << ",\n";
    j << "  \"bandas\": " << (completado && p.bandas ? archivoJSON(absoluta(*p.bandas)) : "null") << ",\n";
    j << "  \"espectroInicial\": "
      << (completado && p.espectroInicial ? archivoJSON(absoluta(*p.espectroInicial)) : "null") << "\n";
    j << "}\n";
    return j.str();
}

void escribirProcedencia(const std::string& ruta, const Procedencia& p, int estadoSalida,
                         const std::string& motivo) {
    const std::string texto = procedenciaJSON(p, estadoSalida, motivo);
    const std::string temporal = ruta + ".tmp";
    {
        std::ofstream f(temporal, std::ios::binary);
        f << texto;
        f.close();
        if (!f) {
            std::error_code e;
            fs::remove(temporal, e);
            throw std::runtime_error("no se pudo escribir la procedencia \"" + ruta + "\"");
        }
    }
    std::error_code e;
    fs::rename(temporal, ruta, e);
    if (e) {
        fs::remove(temporal, e);
        throw std::runtime_error("no se pudo escribir la procedencia \"" + ruta + "\"");
    }
}
