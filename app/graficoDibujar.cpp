#include "app/Ondelar.h"

void Ondelar::graficoDibujar() { pausaDebug("Esta función todavía no está disponible."); }

void Ondelar::dibujarCanales(QList<int>, double, double) { pausaDebug("Esta función todavía no está disponible."); }

