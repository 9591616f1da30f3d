#pragma once
// The common body of the reader fuzz targets: any bytes must be refused or read
// without a crash, a leak or a sanitizer report. The readers' diagnostic lines
// (a .dat file's whole header among them) would flood standard output: /dev/null.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "io/EEG.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::FILE* nulo = std::freopen("/dev/null", "w", stdout);
    static_cast<void>(nulo);
    return 0;
}

template <class Lector>
int probarLector(const uint8_t* datos, size_t n) {
    Lector lector;
    const EEG e = lector.leerMemoria(datos, n);
    // A record is either refused and empty, or whole.
    const bool vacio = e.numeroCanales == 0 && e.matrices.empty();
    if (lector.motivoFallo().empty() == vacio) throw std::logic_error("resultado y motivo no concuerdan");
    if (vacio) return 0;
    if (e.datos().n_rows != e.numeroCanales || e.datos().n_cols != static_cast<arma::uword>(e.numeroMuestras) ||
        e.frecuenciaMuestreo <= 0)
        throw std::logic_error("registro incoherente");
    if (e.tablaEventos && static_cast<size_t>(e.tablaEventos->numeroEventos) != e.tablaEventos->eventos.size())
        throw std::logic_error("tabla de eventos incoherente");
    return 0;
}
