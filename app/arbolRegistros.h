#pragma once
// The main window's list of recordings: one row per recording (its file),
// one child row per branch, with the columns of representacion/resumenRegistro.h.
// It mirrors the store and the two selectors; choosing a row chooses in the
// selectors and the window's slot keeps the row in step the other way.

#include <optional>
#include <utility>

class AlmacenEEG;
class QTreeWidget;
class QTreeWidgetItem;

// Headers and look of the list; once, before it is filled.
void prepararArbol(QTreeWidget* arbol);

// Rebuilds the rows when the store's recordings or branches changed since the
// last call, then marks the row of `seleccion` (archivo, rama) as current,
// with the tree's signals blocked so that nothing echoes back.
void reflejarAlmacen(QTreeWidget* arbol, const AlmacenEEG& almacen, std::optional<std::pair<int, int>> seleccion);

// (archivo, rama) a row stands for: a recording's row stands for its first
// branch, the recording as read. nullopt for no row.
std::optional<std::pair<int, int>> posicionFila(const QTreeWidgetItem* fila);
