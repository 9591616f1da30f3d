#include "app/Ondelar.h"

void Ondelar::graficoMARA() { pausaDebug("Esta función todavía no está disponible."); }

