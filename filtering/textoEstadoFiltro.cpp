#include "filtering/textoEstadoFiltro.h"

#include "io/textoNumero.h"

namespace {
std::string general(double x) { return textoGeneral(x, 6); }
}  // namespace

std::string textoEstadoFiltro(TipoFiltro tipo, double frecInferior, double frecSuperior,
                              int32_t frecuenciaPrimeraRama, int numeroArchivos, int numeroRamas) {
    switch (tipo) {
        case TipoFiltro::pasaAltos: return "alto " + general(frecSuperior);
        case TipoFiltro::pasaBajos: return "bajo " + general(frecInferior);
        case TipoFiltro::pasaBanda:
            return "frecuencia " + std::to_string(frecuenciaPrimeraRama) + " " + std::to_string(numeroArchivos) +
                   " " + std::to_string(numeroRamas);
        case TipoFiltro::rechazaBanda: return "notch " + general(frecInferior) + " " + general(frecSuperior);
    }
    return std::string();
}
