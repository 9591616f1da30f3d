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
    explicit GuiASR(QWidget* parent = nullptr);
    ~GuiASR() override;

    std::unique_ptr<Ui::GuiASR> ui;
    QPointer<Ondelar> ventanaPrincipal;  // set by the code that opens the dialog

    // The widgets' current values.
    OpcionesASR opciones() const;

public slots:
    // Reads the values, closes the dialog and runs the ASR command with them.
    void onClickAceptar();
};
