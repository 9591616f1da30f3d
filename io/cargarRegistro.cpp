#include "io/cargarRegistro.h"

#include "io/crearLector.h"

EEG cargarRegistro(const std::string& ruta) {
    std::unique_ptr<FileReader> lector = crearLector(ruta);
    if (!lector)
        throw ErrorLectura("No se puede cargar «" + ruta +
                           "»: la extensión no es de un registro conocido (se esperaba .dat o .gdf).");
    EEG eeg = lector->leer(ruta);
    if (!lector->motivoFallo().empty())
        throw ErrorLectura("No se puede cargar «" + ruta + "»: " + lector->motivoFallo());
    if (eeg.numeroCanales == 0 || eeg.numeroMuestras <= 0 || eeg.matrices.empty())
        throw ErrorLectura("No se puede cargar «" + ruta + "»: el archivo no contiene muestras.");
    return eeg;
}
