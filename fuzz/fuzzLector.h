#pragma once
// The common body of the reader fuzz targets: any bytes must be refused or read
// without a crash, a leak or a sanitizer report, and a record that is read must
// keep the readers' promises; a broken promise aborts, which libFuzzer reports
// as a finding. The readers' diagnostic lines (a .dat file's whole header among
// them) would flood standard output: /dev/null.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "io/EEG.h"
#include "io/fechaHora.h"
#include "io/textoCabecera.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::FILE* nulo = std::freopen("/dev/null", "w", stdout);
    static_cast<void>(nulo);
    return 0;
}

inline void exigir(bool condicion, const char* que) {
    if (condicion) return;
    std::fprintf(stderr, "invariante rota: %s\n", que);
    std::abort();
}

template <class Lector>
int probarLector(const uint8_t* datos, size_t n) {
    Lector lector;
    const EEG e = lector.leerMemoria(datos, n);
    // A record is either refused and empty, or whole.
    const bool vacio = e.numeroCanales == 0 && e.matrices.empty();
    exigir(lector.motivoFallo().empty() != vacio, "resultado y motivo no concuerdan");
    if (vacio) return 0;
    exigir(e.datos().n_rows == e.numeroCanales && e.datos().n_cols == static_cast<arma::uword>(e.numeroMuestras) &&
               e.frecuenciaMuestreo > 0 && e.frecuenciaMuestreo <= 1000000 && e.canales->size() == e.numeroCanales,
           "registro incoherente");
    // Every value takes at least one byte of the file: no sample was invented.
    exigir(static_cast<uint64_t>(e.numeroMuestras) * e.numeroCanales <= n, "más muestras de las que caben en el archivo");
    for (const Canal& c : *e.canales)
        exigir(esUTF8Valido(c.etiqueta) && esUTF8Valido(c.unidad), "etiqueta o unidad que no es UTF-8");
    exigir(esUTF8Valido(e.sujeto) && esUTF8Valido(e.identificacionRegistro), "texto de cabecera que no es UTF-8");
    exigir(!e.fechaHora || fechaHoraValida(*e.fechaHora), "fecha de inicio que no existe");
    if (e.tablaEventos) {
        const TablaEventos& t = *e.tablaEventos;
        exigir(t.modo == 1 || t.modo == 3, "modo de eventos distinto de 1 y 3");
        exigir(static_cast<size_t>(t.numeroEventos) == t.eventos.size() &&
                   static_cast<size_t>(t.numeroTipos) == t.tipos.size(),
               "tabla de eventos incoherente");
        for (const Evento& ev : t.eventos)
            exigir(ev.posicion >= 0 && ev.posicion < e.numeroMuestras, "evento fuera de las muestras");
    }
    return 0;
}
