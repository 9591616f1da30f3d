#pragma once
// A processing step (pasos/paso.h) as the window runs it, in two phases: the computation
// (calcularPaso: no widget, no store, nothing shared, so it can run away from
// the GUI thread) and the window's part (Ondelar::terminarPaso: tag, store,
// selectors, messages). Ondelar::ejecutarPaso runs the first on a worker
// thread while the window stays live, then the second on the GUI thread.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/EEG.h"
#include "io/progreso.h"
#include "pasos/paso.h"

struct ResultadoPaso {
    std::unique_ptr<EEG> rama;  // the store's own deep copy; null when the step failed
    std::string fallo;          // the message for the user when it failed
    AvisosPaso avisos;
    bool cancelado = false;     // stopped by the user: nothing to add, nothing to say
    std::string etiqueta;       // the history's tag for the new branch (etiquetaHistoria)
};

// The step's fixed message followed by the reason, as the user reads it.
std::string mensajeConMotivo(const std::string& mensajeFallo, const std::string& motivo);

// Runs paso.calcular on entrada and makes the deep copy the store keeps.
// Never throws: a failure becomes resultado.fallo.
ResultadoPaso calcularPaso(const Paso& paso, const EEG& entrada, const Avance& avance = {});
