#pragma once
// The frequency-analysis window: the Welch spectrum of one branch (plot with
// a channel list, a cursor readout and the segment length), its band powers
// per channel, and a scalp map of one band. Everything is computed by the
// core (frecuencial/); the window keeps its own copy of the branch's samples,
// so a branch deleted from the store later does not affect it.

#include <memory>

#include <QString>
#include <QWidget>

#include "io/EEG.h"

namespace Ui {
class ventanaEmergente;
}
struct EspectroPotencia;
struct TablaBandas;

class ventanaEmergente : public QWidget {
    Q_OBJECT

public:
    explicit ventanaEmergente(QWidget* parent = nullptr);
    ~ventanaEmergente() override;

    // Analyses `eeg`, named `nombre` ("eeg 1-3 …") in the title of the contents.
    // Throws std::exception (from the core) when the branch cannot be analysed.
    void analizar(const EEG& eeg, const QString& nombre);

    // Exports; false (with a message to the user) when writing fails.
    bool exportarEspectro(const QString& ruta);
    bool exportarBandas(const QString& ruta);
    bool exportarMapa(const QString& ruta);

    const EspectroPotencia* espectro() const;
    const TablaBandas* bandas() const;

    std::unique_ptr<Ui::ventanaEmergente> ui;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private slots:
    void recalcular();
    void dibujarEspectro();
    void dibujarMapa();

private:
    struct Estado;
    std::unique_ptr<Estado> d_;
    void construir();
    void rellenarTabla();
};
