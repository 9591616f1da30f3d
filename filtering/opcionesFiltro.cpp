#include "filtering/opcionesFiltro.h"

#include <cctype>

#include "filtering/filtroFrecuencial.h"

TipoFiltro tipoFiltroDesdeCodigo(int codigo) {
    switch (codigo) {
        case 0: return TipoFiltro::pasaAltos;
        case 1: return TipoFiltro::pasaBajos;
        case 2: return TipoFiltro::pasaBanda;
        case 3: return TipoFiltro::rechazaBanda;
        default:
            throw ParametrosFiltroNoValidos("tipo de filtro desconocido (código " +
                                            std::to_string(codigo) + "); los tipos son 0 a 3");
    }
}

std::string nombreTipoFiltro(TipoFiltro tipo) {
    switch (tipo) {
        case TipoFiltro::pasaAltos: return "HIGH";
        case TipoFiltro::pasaBajos: return "LOW";
        case TipoFiltro::pasaBanda: return "BANDPASS";
        case TipoFiltro::rechazaBanda: return "BANDSTOP";
    }
    return std::string();
}

TipoFiltro tipoFiltroDesdeNombre(const std::string& nombre) {
    std::string mayusculas = nombre;
    for (char& c : mayusculas) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (int codigo = 0; codigo <= 3; ++codigo) {
        const TipoFiltro tipo = tipoFiltroDesdeCodigo(codigo);
        if (nombreTipoFiltro(tipo) == mayusculas) return tipo;
    }
    throw ParametrosFiltroNoValidos("tipo de filtro desconocido (\"" + nombre +
                                    "\"); los tipos son HIGH, LOW, BANDPASS y BANDSTOP");
}
