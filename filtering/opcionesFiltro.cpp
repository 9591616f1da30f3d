#include "filtering/opcionesFiltro.h"

#include "filtering/filtroFrecuencial.h"

TipoFiltro tipoFiltroDesdeCodigo(int codigo) {
    switch (codigo) {
        case 0: return TipoFiltro::pasaAltos;
        case 1: return TipoFiltro::pasaBajos;
        case 2: return TipoFiltro::pasaBanda;
        case 3: return TipoFiltro::rechazaBanda;
        default:
            throw ParametrosFiltroNoValidos("tipoFiltroDesdeCodigo: tipo de filtro desconocido (código " +
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
