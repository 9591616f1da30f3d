// Any bytes as a GDF file: the reader must refuse or read them
// without a crash, a leak or a sanitizer report.

#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "fuzz/silenciarSalida.h"
#include "io/GdfFileReader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenciarSalidaEstandar();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    GdfFileReader lector;
    const EEG e = lector.leerMemoria(datos, n);
    // A record is either refused and empty, or whole.
    const bool vacio = e.numeroCanales == 0 && e.matrices.empty();
    if (lector.motivoFallo().empty() == vacio) throw std::logic_error("resultado y motivo no concuerdan");
    if (!vacio && (e.datos().n_rows != e.numeroCanales ||
                   e.datos().n_cols != static_cast<arma::uword>(e.numeroMuestras) || e.frecuenciaMuestreo <= 0))
        throw std::logic_error("registro incoherente");
    if (!vacio && e.tablaEventos &&
        static_cast<size_t>(e.tablaEventos->numeroEventos) != e.tablaEventos->eventos.size())
        throw std::logic_error("tabla de eventos incoherente");
    return 0;
}
