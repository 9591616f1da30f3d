#include "dsp/fir/ErrorDisenoFIR.h"

#include "io/diagnostico.h"


ErrorDisenoFIR::ErrorDisenoFIR(std::string ruta, int linea, std::string mensaje, const std::string& explicacion)
    : std::invalid_argument(explicacion), ruta_(std::move(ruta)), linea_(linea), mensaje_(std::move(mensaje)) {}

std::string ErrorDisenoFIR::lineaInforme() const {
    return "FIR Error [" + ruta_ + "@" + std::to_string(linea_) + "]: " + mensaje_;
}

void informarErrorFIR(const std::string& ruta, int linea, const std::string& mensaje, const std::string& explicacion) {
    ErrorDisenoFIR error(ruta, linea, mensaje, explicacion);
    // The report line stays a diagnostic line; nothing is
    // read from standard input and the process goes on.
    diagnostico(error.lineaInforme());
    throw error;
}
