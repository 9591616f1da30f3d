// Any text as a .CED channel-location file, laid onto a 64-channel record.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

#include "app/leerCED.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    EEG eeg(256, 64, 1);
    for (uint32_t i = 0; i < 64; ++i) (*eeg.canales)[i].etiqueta = "c" + std::to_string(i);
    std::istringstream texto(std::string(reinterpret_cast<const char*>(datos), n));
    const ResultadoCED r = leerCED(eeg, texto);
    // Channels 0 .. leidos-1 have a location, the others none and their own label.
    if (r.canalesLeidos > 64) throw std::logic_error("más canales leídos que canales");
    for (uint32_t i = 0; i < 64; ++i) {
        const Canal& c = (*eeg.canales)[i];
        if (c.localizacion.has_value() != (i < r.canalesLeidos)) throw std::logic_error("localización incoherente");
        if (i >= r.canalesLeidos && c.etiqueta != "c" + std::to_string(i)) throw std::logic_error("etiqueta cambiada");
    }
    return 0;
}
