#pragma once
// The "procesar" entries of the cleaning dialogs.

class Ondelar;

// Adds "remuestrear…", "quitar el ruido de línea…" and "re-referenciar…"
// before the separator of the "procesar" menu.
void agregarMenuLimpieza(Ondelar& ventana);
