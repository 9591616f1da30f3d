#include "app/Ondelar.h"

void Ondelar::guardarRamaSeleccionada() { pausaDebug("Esta función todavía no está disponible."); }

