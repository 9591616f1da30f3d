#pragma once
// Averaging dialog: lists the event kinds of the selected branch and asks
// for the window before and after each event. Not modal; "aceptar" hands the
// chosen rows and milliseconds to the main window's averaging command.

#include <memory>

#include <QPointer>
#include <QWidget>

#include "io/EEG.h"

class Ondelar;
namespace Ui {
class GuiEventosPromediado;
}

class GuiEventosPromediado : public QWidget {
    Q_OBJECT

public:
    explicit GuiEventosPromediado(QWidget* parent = nullptr);
    ~GuiEventosPromediado() override;

    // The window whose averaging command runs when "aceptar" is pressed.
    void fijarVentanaPrincipal(Ondelar* ventana) { principal = ventana; }

    // One item per kind, in kind order, reading "tipo.calificador" (768.1),
    // with the kind's text when the file names it ("1.1 (type A)").
    void rellenarLista(const TablaEventos& tabla);

    std::unique_ptr<Ui::GuiEventosPromediado> ui;

public slots:
    void onClickAceptar();


private:
    QPointer<Ondelar> principal;  // null once that window is gone
};
