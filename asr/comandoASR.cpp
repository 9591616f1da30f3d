#include "app/Ondelar.h"

void Ondelar::graficoASR() { pausaDebug("Esta función todavía no está disponible."); }

void Ondelar::aplicarASR(int, double, double, double) { pausaDebug("Esta función todavía no está disponible."); }

