#include "app/Ondelar.h"

void Ondelar::cargarEEG() { pausaDebug("Esta función todavía no está disponible."); }

