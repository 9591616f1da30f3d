// Any text as a BrainVision header: refused with a reason, or a usable description.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "io/BrainVisionFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    try {
        const CabeceraBrainVision c =
            interpretarCabeceraBrainVision(std::string_view(reinterpret_cast<const char*>(datos), n));
        if (c.canales.empty() || c.canales.size() > n || !(c.intervaloMicrosegundos > 0.0) || c.archivoDatos.empty())
            throw std::logic_error("cabecera aceptada incoherente");
    } catch (const ErrorBrainVision& e) {
        if (std::string_view(e.what()).empty()) throw std::logic_error("rechazo sin motivo");
    }
    return 0;
}
