#include "app/Ondelar.h"
#include "app/pasoVentana.h"
#include "pasos/catalogoPasos.h"

void Ondelar::lanzarCAR() {
    escribirTraza(QStringLiteral("triger CAR"));
    ejecutarPaso(pasoCAR());
}
