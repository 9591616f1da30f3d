#pragma once
// Small hand-built branches with events for the averaging tests.

#include <string>

#include "io/EEG.h"

namespace prueba {

// Channel c, sample s holds 1000 c + s: every epoch is recognisable by its
// first column.
inline EEG eegRampa(int32_t frecuencia, uint32_t canales, int64_t muestras) {
    EEG eeg(frecuencia, canales, muestras);
    for (uint32_t c = 0; c < canales; ++c) {
        (*eeg.canales)[c].etiqueta = "C" + std::to_string(c + 1);
        eeg.matrices[0].row(c) = 1000.0 * c + arma::regspace<arma::rowvec>(0, double(muestras - 1));
    }
    eeg.sujeto = "sujeto";
    eeg.tablaEventos = std::make_shared<TablaEventos>();
    eeg.tablaEventos->modo = 1;
    return eeg;
}

// Appends events of kind (tipo, calificador) at the given positions.
inline void anadirEventos(EEG& eeg, int32_t tipo, std::initializer_list<int32_t> posiciones, int32_t calificador = 1) {
    TablaEventos& tabla = *eeg.tablaEventos;
    for (int32_t p : posiciones)
        fijarEvento(tabla, Evento{tipo, p, calificador}, static_cast<int32_t>(tabla.eventos.size()));
    tabla.numeroEventos = static_cast<int32_t>(tabla.eventos.size());
}

}  // namespace prueba
