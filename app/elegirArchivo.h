#pragma once
// The loading command's file choice: a modal open-file dialog with one filter.

#include <stdexcept>
#include <string>

#include <QString>

// The user cancelled the dialog, or it failed.
class EleccionCancelada : public std::runtime_error {
public:
    EleccionCancelada() : std::runtime_error("problema al elegir el archivo o se ha cancelado") {}
};

// Shows "Seleccione el archivo de bioseñales" with the single, selected filter
// "descripcion (patrones)" and returns the chosen existing file's path as the
// file system's own bytes, so that names with accents open as they are.
// Throws EleccionCancelada.
std::string elegirArchivo(const QString& descripcion, const QString& patrones);
