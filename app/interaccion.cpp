#include "app/interaccion.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace interaccion {
namespace {
RespondedorMensaje respondedorMensaje;
RespondedorArchivo respondedorAbrir;
RespondedorArchivo respondedorGuardar;
RespondedorPregunta respondedorPregunta;
RespondedorCierre respondedorCierre;
}  // namespace

void mostrarMensaje(const QString& texto) {
    if (respondedorMensaje) {
        respondedorMensaje(texto);
        return;
    }
    QMessageBox caja;
    caja.setText(texto);
    caja.setStandardButtons(QMessageBox::Ok);
    caja.setDefaultButton(QMessageBox::Ok);
    caja.exec();
}

std::optional<QString> elegirArchivoAbrir(const QString& titulo, const QString& filtro, const QString& carpeta) {
    if (respondedorAbrir) return respondedorAbrir(titulo, filtro, carpeta);
    QFileDialog dialogo(nullptr, titulo, carpeta, filtro);
    dialogo.setFileMode(QFileDialog::ExistingFile);
    dialogo.setAcceptMode(QFileDialog::AcceptOpen);
    dialogo.selectNameFilter(filtro);
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return std::nullopt;
    return dialogo.selectedFiles().front();
}

std::optional<QString> elegirArchivoGuardar(const QString& titulo, const QString& filtro) {
    if (respondedorGuardar) return respondedorGuardar(titulo, filtro, QString());
    QFileDialog dialogo(nullptr, titulo, QString(), filtro);
    dialogo.setFileMode(QFileDialog::AnyFile);
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without extension takes the one of the chosen filter.
    auto sufijoDe = [](const QString& f) {
        const auto m = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(f);
        return m.hasMatch() ? m.captured(1) : QString();
    };
    dialogo.setDefaultSuffix(sufijoDe(filtro));
    QObject::connect(&dialogo, &QFileDialog::filterSelected,
                     [&](const QString& f) { dialogo.setDefaultSuffix(sufijoDe(f)); });
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return std::nullopt;
    return dialogo.selectedFiles().front();
}

bool preguntarSiNo(const QString& texto) {
    if (respondedorPregunta) return respondedorPregunta(texto);
    QMessageBox caja;
    caja.setText(texto);
    caja.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    caja.setDefaultButton(QMessageBox::No);
    return caja.exec() == QMessageBox::Yes;
}

RespuestaCierre preguntarCierre(const QString& texto) {
    if (respondedorCierre) return respondedorCierre(texto);
    QMessageBox caja;
    caja.setText(texto);
    caja.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    caja.button(QMessageBox::Save)->setText(QStringLiteral("Guardar…"));
    caja.button(QMessageBox::Discard)->setText(QStringLiteral("Cerrar sin guardar"));
    caja.button(QMessageBox::Cancel)->setText(QStringLiteral("Cancelar"));
    caja.setDefaultButton(QMessageBox::Cancel);
    caja.setEscapeButton(QMessageBox::Cancel);
    switch (caja.exec()) {
        case QMessageBox::Save: return RespuestaCierre::guardar;
        case QMessageBox::Discard: return RespuestaCierre::descartar;
        default: return RespuestaCierre::cancelar;
    }
}

void fijarRespondedorMensaje(RespondedorMensaje r) { respondedorMensaje = std::move(r); }
void fijarRespondedorArchivoAbrir(RespondedorArchivo r) { respondedorAbrir = std::move(r); }
void fijarRespondedorArchivoGuardar(RespondedorArchivo r) { respondedorGuardar = std::move(r); }
void fijarRespondedorPregunta(RespondedorPregunta r) { respondedorPregunta = std::move(r); }
void fijarRespondedorCierre(RespondedorCierre r) { respondedorCierre = std::move(r); }

}  // namespace interaccion

namespace {

// Sees the key presses the window's widgets leave unhandled, as the window does.
class CierreConEscape : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::KeyPress) {
            const auto* tecla = static_cast<QKeyEvent*>(evento);
            if (tecla->key() == Qt::Key_Escape && tecla->modifiers() == Qt::NoModifier) {
                static_cast<QWidget*>(objeto)->close();
                return true;
            }
        }
        return false;
    }
};

}  // namespace

void interaccion::cerrarConEscape(QWidget* ventana) { ventana->installEventFilter(new CierreConEscape(ventana)); }
