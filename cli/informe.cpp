#include "cli/informe.h"

#include <map>
#include <sstream>

#include "cli/json.h"
#include "io/fechaHora.h"

namespace {

// Fixed-width header fields keep their padding in the record; the report
// shows the text alone.
std::string sinRelleno(std::string t) {
    while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) t.pop_back();
    return t;
}

}  // namespace

std::string informeJSON(const EEG& eeg, const std::string& ruta) {
    std::ostringstream j;
    j << "{\n";
    j << "  \"archivo\": " << cadenaJSON(ruta) << ",\n";
    j << "  \"cabecera\": {\n";
    j << "    \"sujeto\": " << cadenaJSON(sinRelleno(eeg.sujeto)) << ",\n";
    j << "    \"identificacionRegistro\": " << cadenaJSON(sinRelleno(eeg.identificacionRegistro)) << ",\n";
    j << "    \"fechaRegistro\": " << cadenaJSON(sinRelleno(eeg.fechaRegistro)) << ",\n";
    // The start as the reader understood it, ISO 8601 local time; null when the file gives none.
    j << "    \"fechaHora\": " << (eeg.fechaHora ? cadenaJSON(textoISO8601(*eeg.fechaHora)) : std::string("null"))
      << ",\n";
    j << "    \"idEquipo\": " << eeg.idEquipo << ",\n";
    j << "    \"idLaboratorio\": " << eeg.idLaboratorio << ",\n";
    j << "    \"idTecnico\": " << eeg.idTecnico << "\n";
    j << "  },\n";
    j << "  \"frecuenciaMuestreo\": " << eeg.frecuenciaMuestreo << ",\n";
    j << "  \"muestras\": " << eeg.numeroMuestras << ",\n";
    j << "  \"numeroCanales\": " << eeg.numeroCanales << ",\n";
    j << "  \"canales\": [";
    const size_t n = eeg.canales ? eeg.canales->size() : 0;
    for (size_t i = 0; i < n; ++i) {
        const Canal& c = (*eeg.canales)[i];
        j << (i ? ",\n" : "\n") << "    {\"etiqueta\": " << cadenaJSON(sinRelleno(c.etiqueta))
          << ", \"unidad\": " << cadenaJSON(sinRelleno(c.unidad)) << ", \"localizacion\": ";
        if (c.localizacion)
            j << "[" << numeroJSON((*c.localizacion)[0]) << ", " << numeroJSON((*c.localizacion)[1]) << ", "
              << numeroJSON((*c.localizacion)[2]) << "]";
        else
            j << "null";
        j << "}";
    }
    j << (n ? "\n  ],\n" : "],\n");
    j << "  \"canalesMalos\": [";
    for (size_t i = 0; i < eeg.canalesMalos.size(); ++i) j << (i ? ", " : "") << cadenaJSON(eeg.canalesMalos[i]);
    j << "],\n";
    j << "  \"eventos\": ";
    if (!eeg.tablaEventos) {
        j << "null\n";
    } else {
        const TablaEventos& t = *eeg.tablaEventos;
        j << "{\n    \"modo\": " << t.modo << ",\n    \"total\": " << t.eventos.size() << ",\n    \"tipos\": [";
        const std::vector<size_t> cuentas = cuentaPorTipo(t);
        for (size_t k = 0; k < t.tipos.size(); ++k) {
            j << (k ? ",\n" : "\n") << "      {\"tipo\": " << t.tipos[k].tipo
              << ", \"calificador\": " << t.tipos[k].calificador
              << ", \"nombre\": " << cadenaJSON(nombreTipo(t, t.tipos[k])) << ", \"cuenta\": " << cuentas[k] << "}";
        }
        j << (t.tipos.empty() ? "]\n  }\n" : "\n    ]\n  }\n");
    }
    j << "}\n";
    return j.str();
}
