#include "app/Ondelar.h"
#include "app/pasoVentana.h"
#include "averaging/car.h"

void Ondelar::lanzarCAR() {
    escribirTraza(QStringLiteral("triger CAR"));
    ejecutarPaso({"CAR", "Problema con CAR. Revisa el EEG seleccionado",
                  [](const EEG& eeg, AvisosPaso&, const Avance& avance) { return aplicarCAR(eeg, avance); }});
}
