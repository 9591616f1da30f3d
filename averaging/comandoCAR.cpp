#include "app/Ondelar.h"

void Ondelar::lanzarCAR() { pausaDebug("Esta función todavía no está disponible."); }

