#pragma once
// The main window: menus, the two selectors of the recording store, the
// information label and the list of recordings and branches by name. Every menu action runs one command to completion; the
// commands live beside their subsystem (asr/, filtering/, averaging/, mara/)
// and compute through the core library.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <QList>
#include <QMainWindow>
#include <QString>

#include "io/almacenEEG.h"

class Avance;
class QComboBox;
class QCloseEvent;
struct Paso;
struct ResultadoPaso;
struct OpcionesASR;
struct OpcionesFiltro;
namespace Ui {
class OndelarClass;
}

struct TrabajoEnCurso;  // what a step's worker shares with the window

class Ondelar : public QMainWindow {
    Q_OBJECT

public:
    explicit Ondelar(QWidget* parent = nullptr);
    ~Ondelar() override;

    std::unique_ptr<Ui::OndelarClass> ui;
    AlmacenEEG archivosEEG;

    // Store operations tied to the selectors.
    const EEG& eegSeleccionado() const;  // throws std::out_of_range
    // (archivo, rama) named by the two selectors; nullopt when they name no branch.
    std::optional<std::pair<int, int>> seleccion() const;
    // A command's trace text in the information label.
    void escribirTraza(const QString& texto);
    // `ruta`: the file it was read from, which names it in the list of recordings.
    void anadirArchivo(std::unique_ptr<EEG> eeg, const std::string& ruta = {});
    void anadirRama(std::unique_ptr<EEG> eeg);
    static void rellenarSelector(QComboBox* selector, int n);

    // Runs one processing step on the selected branch: the computation, then
    // the new branch tagged, added to the recording it came from and
    // selected; or the failure shown once, or written to `fallo` when given
    // (a dialog that stays open shows it). True when a branch was added.
    bool ejecutarPaso(const Paso& paso, std::string* fallo = nullptr);
    // The same on the branch with that store number, wherever it is now.
    bool ejecutarPasoSobre(uint64_t numeroRama, const Paso& paso);
    // The window's part of a step whose computation has ended (calcularPaso).
    bool terminarPaso(const Paso& paso, int archivo, ResultadoPaso resultado, std::string* fallo = nullptr);

    // Runs tarea on a worker thread while the window keeps painting, with the
    // commands off and, after retardoDialogoProgreso ms, a modal progress
    // dialog named `nombre` whose "Cancelar" makes the Avance throw
    // Cancelado. Returns false when cancelled; rethrows any other exception
    // of tarea here, on the GUI thread. Nothing of the window is touched from
    // the worker: tarea must only compute.
    bool enSegundoPlano(const QString& nombre, const std::function<void(const Avance&)>& tarea);
    bool ocupado() const;     // a step is running on the worker
    void cancelarTrabajo();   // the same as "Cancelar" in the progress dialog
    static int retardoDialogoProgreso;

    // Commands started from the parameter dialogs.
    void aplicarASR(const OpcionesASR& opciones);
    void aplicarFiltro(const OpcionesFiltro& opciones);
    void aplicarPromediado(QList<int> filas, double msPrev, double msPost);
    void dibujarCanales(QList<int> canales, double maximo, double minimo);

    // Plot tabs: each remembers the branch it was drawn from.
    void cerrarPestana(int indice);
    // Closes the tabs whose branch left the store and retitles the others
    // with their branch's position now.
    void actualizarPestanas();
    static QString tituloPestana(int archivo, int rama);
    static const char* const propiedadRamaDibujada;

public slots:
    void ramaEEGhasChanged(int indice);
    void selectedEEGhasChanged(int indice);
    void cargarEEG();
    void graficoDibujar();
    void explorarRama();
    void graficoASR();
    void graficoFiltro();
    void graficoPromediado();
    void graficoEpocas();
    void graficoLineaBase();
    void graficoRechazo();
    void graficoMARA();
    void lanzarAnalisisFrecuencial();
    void verERP();
    // Opens the component review on the selected branch of ICA activations.
    void revisarComponentes();
    void popUpLicenciasAtribuciones();
    static void pausaDebug(std::string cad);
    void borrarDatosSeleccionados();
    void guardarRamaSeleccionada();

public:
    // Runs the catalogue's step of that runner name as it stands, with no
    // dialog (the "procesar" entries made from the catalogue's menu texts).
    void lanzarPaso(const std::string& nombre);
    // Opens the browser on the selected branch in a new tab; null (the user
    // told why) when it cannot be drawn. An epoched branch's "aplicar
    // rechazo" there makes a branch without the marked epochs.
    class ExploradorRegistro* abrirExplorador();
    // Marks the channel bad on the branch with that store number, or good
    // when it was bad (a click on its label in the browser); refused while a
    // step runs, since the step may be reading the branch.
    void alternarCanalMalo(uint64_t numeroRama, const std::string& etiqueta);
    // Saves the selected branch through the save dialog and marks it saved;
    // false when nothing was written (cancelled or failed, the user told why).
    bool guardarSeleccionada();

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    void agregarPasosSinDialogo();
    void agregarMenuEpocas();
    void agregarRevisionComponentes();
    std::shared_ptr<TrabajoEnCurso> trabajo;  // set while a step runs
    // Where the open dialogs start: the folder of the last recording and of
    // the last .CED chosen in this session.
    QString carpetaRegistros, carpetaCED;
    bool cerrarAlTerminar = false;            // close confirmed during a step
};
