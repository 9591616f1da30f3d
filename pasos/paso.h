#pragma once
// One processing step as both the window and the runner run it: the tag it
// adds to the branch's history, the window's fixed failure message, and the
// computation, which touches no widget and no store, so it can run away from
// the GUI thread.

#include <functional>
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

// Runs a core computation whose std::invalid_argument is a refusal of the
// step's parameters against the branch: the user reads its reason alone.
template <class F>
auto comoRechazo(F&& calculo) -> decltype(calculo()) {
    try {
        return calculo();
    } catch (const std::invalid_argument& e) {
        throw RechazoPaso(e.what());
    }
}

// Notes for the user gathered while the step computes; shown once it ends.
using AvisosPaso = std::vector<std::string>;

// The computation over the input branch: the new record (typically by
// derivarEEG), or an exception. avance takes the progress and may throw
// Cancelado.
using CalculoPaso = std::function<EEG(const EEG& entrada, AvisosPaso& avisos, const Avance& avance)>;

struct Paso {
    std::string etiqueta;      // appended to the new branch's history ("CAR", "BANDPASS")
    std::string mensajeFallo;  // the window's fixed failure message; the reason follows it
    CalculoPaso calcular;
    std::string texto = {};    // as the runner writes it ("filtro:BANDPASS,1,40,60")
    // What the history adds in brackets after the tag, from the step's input
    // and result ("38 de 40" after a rejection); none when empty.
    std::function<std::string(const EEG& entrada, const EEG& salida)> detalle = {};
};

// The tag the result's history takes: "Rechazo(38 de 40)", or the bare tag.
std::string etiquetaHistoria(const Paso& paso, const EEG& entrada, const EEG& salida);
