#pragma once
// Parameter dialog of ASR: four values, then the main window's ASR command.

#include <memory>

#include <QPointer>
#include <QWidget>

#include "asr/ContextoASR.h"

class Ondelar;
namespace Ui {
class GuiASR;
}

class GuiASR : public QWidget {
    Q_OBJECT

public:
    // The fields start at the core's defaults, within the ranges the core accepts.
    explicit GuiASR(QWidget* parent = nullptr);
    ~GuiASR() override;

    // The window whose ASR command runs on acceptance.
    void fijarVentanaPrincipal(Ondelar* ventana) { principal = ventana; }

    // The widgets' current values.
    OpcionesASR opciones() const;

    std::unique_ptr<Ui::GuiASR> ui;

public slots:
    // Reads the values, closes the dialog and runs the ASR command with them.
    void onClickAceptar();


private:
    QPointer<Ondelar> principal;  // null once that window is gone
};
