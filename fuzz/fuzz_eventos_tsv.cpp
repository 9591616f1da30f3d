// Any text as a BIDS *_events.tsv table, for a recording of 1000 samples at
// 100 Hz: it is read or refused with ErrorEventosTSV, never anything else.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "io/eventosTSV.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    std::istringstream texto(std::string(reinterpret_cast<const char*>(datos), n));
    try {
        const EventosTSV r = leerEventosTSV(texto, 100.0, 1000);
        if (!r.tabla) return 0;
        // Every event kept lies inside the recording, and every kind has a representative.
        for (const Evento& e : r.tabla->eventos)
            if (e.posicion < 0 || e.posicion >= 1000 || e.duracion < 0) abort();
        if (r.tabla->eventos.empty() || r.tabla->tipos.empty()) abort();
    } catch (const ErrorEventosTSV&) {
    }
    return 0;
}
