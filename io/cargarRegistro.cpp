#include "io/cargarRegistro.h"

#include "io/archivoRegular.h"

#include "io/leerCED.h"
#include "io/crearLector.h"
#include "io/posicionesEstandar.h"

EEG cargarRegistro(const std::string& ruta, std::vector<std::string>* avisos, const Avance& avance) {
    if (const std::string motivo = motivoArchivoEspecial(ruta); !motivo.empty())
        throw ErrorLectura("No se puede cargar «" + ruta + "»: " + motivo + ".");
    std::unique_ptr<FileReader> lector = crearLector(ruta);
    if (!lector)
        throw ErrorLectura("No se puede cargar «" + ruta +
                           "»: la extensión no es de un registro conocido (se esperaba .dat, .gdf, .edf, .bdf o .vhdr).");
    lector->fijarAvance(avance);
    EEG eeg = lector->leer(ruta);
    avance(1.0);
    if (!lector->motivoFallo().empty())
        throw ErrorLectura("No se puede cargar «" + ruta + "»: " + lector->motivoFallo());
    if (eeg.numeroCanales == 0 || eeg.numeroMuestras <= 0 || eeg.matrices.empty())
        throw ErrorLectura("No se puede cargar «" + ruta + "»: el archivo no contiene muestras.");
    if (avisos) avisos->insert(avisos->end(), lector->avisos().begin(), lector->avisos().end());
    return eeg;
}

EEG cargarRegistro(const std::string& ruta, const std::optional<std::string>& rutaCED,
                   std::vector<std::string>* avisos, const Avance& avance) {
    EEG eeg = cargarRegistro(ruta, avisos, avance);
    if (!rutaCED) {
        const std::string aviso = cargarSinCED(eeg);
        if (avisos) avisos->push_back(aviso);
        return eeg;
    }
    const ResultadoCED ced = leerCED(eeg, *rutaCED);
    if (!ced.abierto) throw ErrorLectura("No se puede abrir el archivo de localizaciones «" + *rutaCED + "».");
    if (!ced.error.empty())
        throw ErrorLectura("No se puede leer el archivo de localizaciones «" + *rutaCED + "»: " + ced.error);
    if (avisos) avisos->insert(avisos->end(), ced.avisos.begin(), ced.avisos.end());
    if (ced.canalesLeidos < eeg.numeroCanales)
        throw ErrorLectura("El archivo de localizaciones «" + *rutaCED + "» solo describe " +
                           std::to_string(ced.canalesLeidos) + " de los " + std::to_string(eeg.numeroCanales) +
                           " canales del registro.");
    return eeg;
}
