#pragma once
// The channel chooser of the signal plot: lists the branch's channels,
// suggests an amplitude range from the chosen channels' samples and, on
// "aceptar", asks the main window to plot them. Not modal; each use of the
// menu action opens another one.

#include <memory>

#include <QList>
#include <QPointer>
#include <QWidget>

#include "io/EEG.h"

class Ondelar;
namespace Ui {
class GuiElegirCanalesDibujar;
}

class GuiElegirCanalesDibujar : public QWidget {
    Q_OBJECT

public:
    explicit GuiElegirCanalesDibujar(QWidget* parent = nullptr);
    ~GuiElegirCanalesDibujar() override;

    // The window that draws the plot on acceptance.
    void fijarVentanaPrincipal(Ondelar* ventana) { principal = ventana; }

    // Keeps a deep copy of eeg (for the list and the suggested range only)
    // and lists its channels as "can <n> - <label>", nothing selected.
    // Throws what clonarEEG throws.
    void configurar(const EEG& eeg);

    const QList<int>& canales() const { return canalesElegidos; }

    std::unique_ptr<Ui::GuiElegirCanalesDibujar> ui;

public slots:
    void onClickList();
    void onClickAceptar();

private:
    QPointer<Ondelar> principal;  // null once the main window is gone
    std::unique_ptr<EEG> eeg;
    QList<int> canalesElegidos;  // ascending
};
