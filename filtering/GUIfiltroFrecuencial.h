#pragma once
// Parameter dialog of the frequency filter: the filter type, the two limits
// and the attenuation. It only collects them; the main window's command does
// the work once the user accepts.

#include <memory>

#include <QPointer>
#include <QWidget>

#include "filtering/opcionesFiltro.h"

class Ondelar;
namespace Ui {
class GUIfiltroFrecuencial;
}

class GUIfiltroFrecuencial : public QWidget {
    Q_OBJECT

public:
    // Builds the form and connects `aceptar`; top-level when parent is null.
    explicit GUIfiltroFrecuencial(QWidget* parent = nullptr);
    ~GUIfiltroFrecuencial() override;

    // The window whose filter command runs on acceptance.
    void fijarVentanaPrincipal(Ondelar* ventana) { principal = ventana; }
    Ondelar* ventanaPrincipal() const { return principal; }

    // The options shown: type 0 high-pass when rbAltos is checked, else 1
    // low-pass for rbBajos, else 2 band-pass for rbBanda, else 3 band-stop.
    int codigoTipo() const;
    OpcionesFiltro opciones() const;

    std::unique_ptr<Ui::GUIfiltroFrecuencial> ui;

public slots:
    // Reads the options, closes the dialog, then runs the main window's filter command.
    void onClickAceptar();

private:
    QPointer<Ondelar> principal;  // null once that window is gone
};
