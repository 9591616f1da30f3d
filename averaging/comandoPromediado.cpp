#include "app/Ondelar.h"

void Ondelar::graficoPromediado() { pausaDebug("Esta función todavía no está disponible."); }

void Ondelar::aplicarPromediado(QList<int>, double, double) { pausaDebug("Esta función todavía no está disponible."); }

