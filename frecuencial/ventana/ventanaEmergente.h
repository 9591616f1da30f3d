#pragma once
// The frequency-analysis window: the Welch spectrum of one branch (plot with
// a channel list, a cursor readout and the segment length), its band powers
// per channel, and a scalp map of one band. Everything is computed by the
// core (frecuencial/). The window copies no samples: it reads the branch in
// place, through a FuenteRama, again only when the segment length changes.

#include <functional>
#include <memory>

#include <QString>
#include <QWidget>

#include "io/EEG.h"
#include "io/progreso.h"

namespace Ui {
class ventanaEmergente;
}
struct EspectroPotencia;
struct TablaBandas;

// The analysed branch as it is now, or null once it has left the store.
using FuenteRama = std::function<const EEG*()>;

// Runs a computation away from the GUI thread while the program stays live,
// with the step's progress dialog; false when it was cancelled or could not
// start (another step running). The main window's enSegundoPlano.
using EjecutorFondo = std::function<bool(const QString& nombre, const std::function<void(const Avance&)>& tarea)>;

class ventanaEmergente : public QWidget {
    Q_OBJECT

public:
    explicit ventanaEmergente(QWidget* parent = nullptr);
    ~ventanaEmergente() override;

    // Analyses `eeg`, named `nombre` ("eeg 1-3 …") in the title of the
    // contents, with the default segment length. `fuente` gives the branch
    // again for another segment length; null or returning null, the spectrum
    // shown stays and a new length is refused. Throws std::exception (from
    // the core) when the branch cannot be analysed.
    void analizar(const EEG& eeg, const QString& nombre, FuenteRama fuente);
    // The same with the spectrum of `eeg` already computed (on a worker).
    void mostrar(const EEG& eeg, const QString& nombre, EspectroPotencia espectro, FuenteRama fuente);

    // Where a new segment length is computed; without one (the default) it
    // is computed here, on the GUI thread.
    void fijarEjecutor(EjecutorFondo ejecutor);

    // Exports; false (with a message to the user) when writing fails.
    bool exportarEspectro(const QString& ruta);
    bool exportarBandas(const QString& ruta);
    bool exportarMapa(const QString& ruta);

    const EspectroPotencia* espectro() const;
    const TablaBandas* bandas() const;

    std::unique_ptr<Ui::ventanaEmergente> ui;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private slots:
    void recalcular();
    void dibujarEspectro();
    void dibujarMapa();

private:
    struct Estado;
    std::unique_ptr<Estado> d_;
    void construir();
    // The three columns: channels and exports; spectrum and bands; scalp map.
    void construirIzquierda();
    void construirCentro();
    void construirDerecha();
    void rellenarTabla();
    void prepararMapa(const EEG& eeg);
    void prepararSeries();
};
