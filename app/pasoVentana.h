#pragma once
// One processing step as the window runs it, in two phases: the computation
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

// A failure whose text is the whole message for the user (a refusal that
// already says what to do), not a reason to put after the step's own message.
class RechazoPaso : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Notes for the user gathered while the step computes; shown once it ends.
using AvisosPaso = std::vector<std::string>;

// The computation over the input branch: the new record (typically by
// derivarEEG), or an exception. avance takes the progress and may throw
// Cancelado.
using CalculoPaso = std::function<EEG(const EEG& entrada, AvisosPaso& avisos, const Avance& avance)>;

struct PasoVentana {
    std::string etiqueta;      // appended to the new branch's history
    std::string mensajeFallo;  // the step's fixed failure message; the reason follows it
    CalculoPaso calcular;
};

struct ResultadoPaso {
    std::unique_ptr<EEG> rama;  // the store's own deep copy; null when the step failed
    std::string fallo;          // the message for the user when it failed
    AvisosPaso avisos;
    bool cancelado = false;     // stopped by the user: nothing to add, nothing to say
};

// The step's fixed message followed by the reason, as the user reads it.
std::string mensajeConMotivo(const std::string& mensajeFallo, const std::string& motivo);

// Runs paso.calcular on entrada and makes the deep copy the store keeps.
// Never throws: a failure becomes resultado.fallo.
ResultadoPaso calcularPaso(const PasoVentana& paso, const EEG& entrada, const Avance& avance = {});
