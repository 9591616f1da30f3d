#pragma once
// The ERP view of an averaged branch: the butterfly plot of its channels with
// the global field power below, a row of scalp maps at the latencies the user
// picks (typed in ms or clicked on the plot), all on one colour scale, and an
// export of the whole view as PNG. For an average per kind a selector picks
// the kind. The view copies the average (a few columns per kind), so it stays
// whole when the branch leaves the store.

#include <memory>
#include <vector>

#include <QImage>
#include <QString>
#include <QWidget>

#include "io/EEG.h"

class vistaERP : public QWidget {
    Q_OBJECT

public:
    explicit vistaERP(QWidget* parent = nullptr);
    ~vistaERP() override;

    // Shows `rama`, named `nombre` ("eeg 1-2 …") in the title. Throws
    // std::invalid_argument (from the core) when it is not averaged.
    void mostrar(const EEG& rama, const QString& nombre);

    // The maps at these latencies (ms) replace the row; each latency moves to
    // its nearest sample. False, with a message to the user and the row
    // unchanged, when one lies outside the epoch.
    bool fijarLatencias(const std::vector<double>& ms);
    // Adds one map at the end of the row, as a click on the plot does.
    bool anadirLatencia(double ms);
    const std::vector<double>& latencias() const;

    // The whole view (title, butterfly and maps) as one image.
    QImage imagen() const;
    // Writes imagen() as PNG; false, with a message to the user, on failure.
    bool exportarPNG(const QString& ruta);

private:
    struct Estado;
    std::unique_ptr<Estado> d_;
    void construir();
    void prepararMapas(const EEG& rama);
    void elegirTipo(int indice);
    void leerCampo();
    void dibujarMapas();
    void pintarMapas(QPainter& p, const QRectF& area) const;
};
