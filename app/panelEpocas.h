#pragma once
// The browser's panel for an epoched branch: one row per epoch (number, kind,
// a tick when marked for rejection, the reason), the count of marked epochs
// and "aplicar rechazo". It keeps no marks of its own: it shows a
// RevisionEpocas and reports the user's ticks and row choices.

#include <functional>
#include <string>

#include <QWidget>

#include "io/EEG.h"
#include "representacion/revisionEpocas.h"

class QLabel;
class QPushButton;
class QTableWidget;

class PanelEpocas : public QWidget {
    Q_OBJECT

public:
    std::function<void(std::size_t epoca)> alAlternar;  // a tick changed
    std::function<void(std::size_t epoca)> alElegir;    // a row chosen: show its epoch
    std::function<void()> alAplicar;                    // "aplicar rechazo"

    explicit PanelEpocas(QWidget* parent = nullptr);

    // Rebuilds every row from the review of `rama` (its kinds' names).
    void mostrar(const RevisionEpocas& revision, const EEG& rama);
    // Refreshes one row and the count after a change of its mark.
    void actualizar(const RevisionEpocas& revision, std::size_t epoca);

    QTableWidget* tabla() const { return tabla_; }
    QPushButton* botonAplicar() const { return aplicar_; }
    QLabel* resumen() const { return resumen_; }

private:
    QTableWidget* tabla_;
    QLabel* resumen_;
    QPushButton* aplicar_;
    bool rellenando_ = false;
};
