// Any text as a BrainVision marker file, made into the event table of a
// 1000-sample, 8-channel recording.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "io/BrainVisionFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    try {
        const auto marcas = interpretarMarcasBrainVision(std::string_view(reinterpret_cast<const char*>(datos), n));
        size_t descartados = 0;
        const auto tabla = eventosBrainVision(marcas, 1000, 8, &descartados);
        if (tabla->eventos.size() + descartados != marcas.size()) throw std::logic_error("marcas perdidas");
        for (const Evento& e : tabla->eventos)
            if (e.posicion < 0 || e.posicion >= 1000 || e.canal < 0 || e.canal > 8 || e.duracion < 0)
                throw std::logic_error("evento fuera del registro");
    } catch (const ErrorBrainVision&) {
    }
    return 0;
}
