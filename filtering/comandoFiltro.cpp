#include "app/Ondelar.h"

void Ondelar::graficoFiltro() { pausaDebug("Esta función todavía no está disponible."); }

void Ondelar::aplicarFiltro(int, double, double, int) { pausaDebug("Esta función todavía no está disponible."); }

