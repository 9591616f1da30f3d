#pragma once
// The loading command's file choice: a modal open-file dialog with one filter
// that starts in the folder last used for that kind of file.

#include <stdexcept>
#include <string>

#include <QString>

// The user cancelled the dialog, or it failed.
class EleccionCancelada : public std::runtime_error {
public:
    EleccionCancelada() : std::runtime_error("problema al elegir el archivo o se ha cancelado") {}
};

// Shows `titulo` with the single, selected filter "descripcion (patrones)",
// starting in `carpeta`, and returns the chosen existing file's path as the
// file system's own bytes, so that names with accents open as they are.
// `carpeta` then holds the chosen file's folder, for the next time.
// Throws EleccionCancelada (and leaves `carpeta` as it was).
std::string elegirArchivo(const QString& titulo, const QString& descripcion, const QString& patrones,
                          QString& carpeta);
