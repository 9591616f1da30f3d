#include "app/Ondelar.h"

void Ondelar::lanzarAnalisisFrecuencial() { pausaDebug("Esta función todavía no está disponible."); }

void Ondelar::popUpLicenciasAtribuciones() { pausaDebug("Esta función todavía no está disponible."); }

