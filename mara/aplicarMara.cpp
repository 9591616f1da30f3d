#include "mara/aplicarMara.h"

#include <stdexcept>

#include "mara/Mara.h"

const char* const textoMaraSinPromediado =
    "Parece que todavia no se ha aplicado el promediado sobre los datos, se suspende la ejecucion de Mara";

EEG aplicarMara(const EEG& eeg, const OpcionesMara& opciones) {
    if (eeg.tieneEventos()) throw std::invalid_argument(textoMaraSinPromediado);
    Mara mara(eeg, opciones.directorioModelos);
    mara.avisar = opciones.avisar;
    mara.semilla = opciones.semilla;
    mara.avance = opciones.avance;
    return mara.procesar();
}
