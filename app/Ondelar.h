#pragma once
// The main window: menus, the two selectors of the recording store and the
// information label. Every menu action runs one command to completion; the
// commands live beside their subsystem (asr/, filtering/, averaging/, mara/)
// and compute through the core library.

#include <memory>
#include <string>

#include <QList>
#include <QMainWindow>

#include "app/almacenEEG.h"

class QComboBox;
class QCloseEvent;
namespace Ui {
class OndelarClass;
}

class Ondelar : public QMainWindow {
    Q_OBJECT

public:
    explicit Ondelar(QWidget* parent = nullptr);
    ~Ondelar() override;

    std::unique_ptr<Ui::OndelarClass> ui;
    AlmacenEEG archivosEEG;

    // Store operations tied to the selectors.
    const EEG& eegSeleccionado() const;  // throws std::out_of_range
    void anadirArchivo(std::unique_ptr<EEG> eeg);
    void anadirRama(std::unique_ptr<EEG> eeg);
    static void rellenarSelector(QComboBox* selector, int n);

    // Commands started from the parameter dialogs.
    void aplicarASR(int burstCritic, double maxBadChan, double tolInf, double tolSup);
    void aplicarFiltro(int tipo, double frecInferior, double frecSuperior, int caidaDecibelios);
    void aplicarPromediado(QList<int> filas, double msPrev, double msPost);
    void dibujarCanales(QList<int> canales, double maximo, double minimo);

public slots:
    void ramaEEGhasChanged(int indice);
    void selectedEEGhasChanged(int indice);
    void cargarEEG();
    void graficoDibujar();
    void graficoASR();
    void graficoFiltro();
    void graficoPromediado();
    void graficoMARA();
    void lanzarCAR();
    void lanzarAnalisisFrecuencial();
    void popUpLicenciasAtribuciones();
    static void pausaDebug(std::string cad);
    void borrarDatosSeleccionados();
    void guardarRamaSeleccionada();

protected:
    void closeEvent(QCloseEvent* evento) override;
};
