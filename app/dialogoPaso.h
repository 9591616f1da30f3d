#pragma once
// A small parameter dialog for one step: its fields, a message line,
// "aceptar" and "cancelar" (or Esc). "aceptar" builds the step from the
// fields and runs it on the main window's selected branch; the dialog closes
// when a branch was added and otherwise stays open, the reason in its
// message line, so the user can change a field and try again.

#include <stdexcept>
#include <string>

#include <QPointer>
#include <QWidget>

class Ondelar;
class QFormLayout;
class QLabel;
class QPushButton;
struct Paso;

class DialogoPaso : public QWidget {
    Q_OBJECT

public:
    DialogoPaso(const QString& titulo, Ondelar* principal, QWidget* parent = nullptr);

    QLabel* mensaje() const { return mensaje_; }
    QPushButton* botonAceptar() const { return aceptar_; }
    void aceptar();

protected:
    QFormLayout* campos() const { return campos_; }
    Ondelar* principal() const { return principal_; }
    // The step from the fields; std::invalid_argument with the text to show
    // when they do not make one.
    virtual Paso construirPaso() const = 0;
    // What "aceptar" does; by default runs construirPaso. True closes the dialog.
    virtual bool ejecutar(std::string& fallo);

private:
    QPointer<Ondelar> principal_;
    QFormLayout* campos_;
    QLabel* mensaje_;
    QPushButton* aceptar_;
};
