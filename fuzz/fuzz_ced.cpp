// Any text as a .CED channel-location file, laid onto a 64-channel record.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <cstdlib>
#include <string>

#include "io/leerCED.h"
#include "io/textoCabecera.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    EEG eeg(256, 64, 1);
    for (uint32_t i = 0; i < 64; ++i) (*eeg.canales)[i].etiqueta = "c" + std::to_string(i);
    std::istringstream texto(std::string(reinterpret_cast<const char*>(datos), n));
    const ResultadoCED r = leerCED(eeg, texto);
    // Channels past leidos keep their own label and have no location; every
    // channel read without a location was warned about; labels are UTF-8.
    if (r.canalesLeidos > 64) abort();
    uint32_t sinLocalizacion = 0;
    for (uint32_t i = 0; i < 64; ++i) {
        const Canal& c = (*eeg.canales)[i];
        if (i >= r.canalesLeidos && (c.localizacion || c.etiqueta != "c" + std::to_string(i))) abort();
        if (i < r.canalesLeidos && !c.localizacion) ++sinLocalizacion;
        if (!esUTF8Valido(c.etiqueta)) abort();
    }
    if (sinLocalizacion != r.avisos.size()) abort();
    return 0;
}
