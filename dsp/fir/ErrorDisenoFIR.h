#pragma once
// Failure of a FIR design check. The designers used to end the process after
// their report line; a window program must not lose the user's branches for a
// bad parameter, so the check throws this instead and the command refuses.

#include <stdexcept>
#include <string>

class ErrorDisenoFIR : public std::invalid_argument {
public:
    // mensaje: the designer's own text ("Filter order must be even", ...);
    // explicacion: the same in Spanish for the user, what() returns it.
    ErrorDisenoFIR(std::string ruta, int linea, std::string mensaje, const std::string& explicacion);

    const std::string& ruta() const { return ruta_; }
    int linea() const { return linea_; }
    const std::string& mensaje() const { return mensaje_; }
    // "FIR Error [<ruta>@<linea>]: <mensaje>", without the end of line.
    std::string lineaInforme() const;

private:
    std::string ruta_;
    int linea_;
    std::string mensaje_;
};

// Writes the report line to standard output and throws ErrorDisenoFIR.
[[noreturn]] void informarErrorFIR(const std::string& ruta, int linea, const std::string& mensaje,
                                   const std::string& explicacion);
