#pragma once
// The program's only ways of asking the user something: a modal message box
// with one OK button and the file choosers. Each can be answered by a test
// through a replaceable responder instead of a real modal dialog.

#include <functional>
#include <optional>

#include <QString>

class QWidget;

namespace interaccion {

// Escape (no modifier) closes `ventana` like its "Cancelar": nothing is
// applied. For the parameter dialogs, which are plain widgets, not QDialogs.
void cerrarConEscape(QWidget* ventana);

// Modal message box, one OK button (default). Returns when it is closed.
void mostrarMensaje(const QString& texto);

// Modal open-file dialog starting in `carpeta` (the current folder when
// empty); nullopt when cancelled.
std::optional<QString> elegirArchivoAbrir(const QString& titulo, const QString& filtro, const QString& carpeta = {});

// Modal save-file dialog (asks before overwriting); nullopt when cancelled.
std::optional<QString> elegirArchivoGuardar(const QString& titulo, const QString& filtro);

// Modal yes/no question; true for yes.
bool preguntarSiNo(const QString& texto);

// Modal question before closing with work that would be lost.
enum class RespuestaCierre { guardar, descartar, cancelar };
RespuestaCierre preguntarCierre(const QString& texto);

// Test hooks: while set, they answer instead of the real dialogs.
using RespondedorMensaje = std::function<void(const QString& texto)>;
using RespondedorArchivo =
    std::function<std::optional<QString>(const QString& titulo, const QString& filtro, const QString& carpeta)>;
using RespondedorPregunta = std::function<bool(const QString& texto)>;
using RespondedorCierre = std::function<RespuestaCierre(const QString& texto)>;
void fijarRespondedorMensaje(RespondedorMensaje r);
void fijarRespondedorArchivoAbrir(RespondedorArchivo r);
void fijarRespondedorArchivoGuardar(RespondedorArchivo r);
void fijarRespondedorPregunta(RespondedorPregunta r);
void fijarRespondedorCierre(RespondedorCierre r);

}  // namespace interaccion
