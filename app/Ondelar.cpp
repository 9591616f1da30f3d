#include "app/Ondelar.h"
#include "filtering/ventana/menuLimpieza.h"

#include <stdexcept>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/arbolRegistros.h"
#include "app/interaccion.h"
#include "mara/ventana/comandoMARA.h"
#include "pasos/catalogoPasos.h"
#include "ui_Ondelar.h"

Ondelar::Ondelar(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::OndelarClass>()) {
    ui->setupUi(this);

    connect(ui->indiceArchivoEEG, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &Ondelar::ramaEEGhasChanged);
    connect(ui->indiceProcesado, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &Ondelar::selectedEEGhasChanged);
    // The list names what the selectors number; choosing there chooses in them.
    prepararArbol(ui->arbolRegistros);
    ui->divisorPanel->setStretchFactor(1, 1);
    ui->divisorPanel->setSizes({260, 640});
    connect(ui->arbolRegistros, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* fila) {
        const auto posicion = posicionFila(fila);
        if (!posicion || ocupado()) return;
        ui->indiceArchivoEEG->setCurrentIndex(posicion->first);
        ui->indiceProcesado->setCurrentIndex(posicion->second);
    });

    connect(ui->cargar_nuevo_archivo_GDF, &QAction::triggered, this, &Ondelar::cargarEEG);
    connect(ui->elegir_canales, &QAction::triggered, this, &Ondelar::graficoDibujar);
    connect(ui->explorar_rama, &QAction::triggered, this, &Ondelar::explorarRama);
    connect(ui->aplicar_ASR, &QAction::triggered, this, &Ondelar::graficoASR);
    connect(ui->aplicar_filtro_frecuencial, &QAction::triggered, this, &Ondelar::graficoFiltro);
    connect(ui->aplicar_promediado, &QAction::triggered, this, &Ondelar::graficoPromediado);
    connect(ui->aplicar_MARA, &QAction::triggered, this, &Ondelar::graficoMARA);
    connect(ui->aplicar_analisis_frecuencial, &QAction::triggered, this, &Ondelar::lanzarAnalisisFrecuencial);
    connect(ui->ver_ERP, &QAction::triggered, this, &Ondelar::verERP);
    connect(ui->licencia_y_atribuciones, &QAction::triggered, this, &Ondelar::popUpLicenciasAtribuciones);
    connect(ui->borrar_datos_seleccionados, &QAction::triggered, this, &Ondelar::borrarDatosSeleccionados);
    connect(ui->guardar_rama_seleccionada, &QAction::triggered, this, &Ondelar::guardarRamaSeleccionada);
    agregarPasosSinDialogo();
    agregarMenuLimpieza(*this);
    agregarRevisionComponentes();
    agregarMenuEpocas();
    ui->panelTabs->setTabsClosable(true);
    connect(ui->panelTabs, &QTabWidget::tabCloseRequested, this, &Ondelar::cerrarPestana);
    // Every numerical step runs natively: there is no outside engine session
    // to open here, so start-up cannot fail for lack of one.
}

Ondelar::~Ondelar() = default;

// The steps that run with no dialog get their "procesar" entry from the
// catalogue, before the separator that sets off the frequency analysis.
void Ondelar::agregarPasosSinDialogo() {
    QAction* separador = nullptr;
    for (QAction* a : ui->menuprocesar->actions())
        if (a->isSeparator()) separador = a;
    for (const EntradaPaso& e : catalogoPasos()) {
        if (e.textoMenu.empty()) continue;
        auto* accion = new QAction(QString::fromStdString(e.textoMenu), this);
        accion->setObjectName(QStringLiteral("aplicar_") + QString::fromStdString(e.nombre));
        ui->menuprocesar->insertAction(separador, accion);
        connect(accion, &QAction::triggered, this, [this, nombre = e.nombre] { lanzarPaso(nombre); });
    }
}

// "revisar componentes" follows the catalogue's entries ("aplicar ICA" among
// them); it is on only while a branch with a decomposition is selected.
void Ondelar::agregarRevisionComponentes() {
    QAction* separador = nullptr;
    for (QAction* a : ui->menuprocesar->actions())
        if (a->isSeparator()) separador = a;
    auto* accion = new QAction(QStringLiteral("revisar componentes"), this);
    accion->setObjectName(QStringLiteral("revisar_componentes"));
    accion->setEnabled(false);
    ui->menuprocesar->insertAction(separador, accion);
    connect(accion, &QAction::triggered, this, &Ondelar::revisarComponentes);
}

void Ondelar::lanzarPaso(const std::string& nombre) {
    // The seed a test fixes for MARA fixes the ICA too (the clock otherwise).
    OpcionesPasos opciones;
    opciones.semilla = semillaMara();
    const Paso paso = interpretarPaso(nombre, opciones);
    escribirTraza(QStringLiteral("triger ") + QString::fromStdString(paso.etiqueta));
    ejecutarPaso(paso);
}

void Ondelar::pausaDebug(std::string cad) { interaccion::mostrarMensaje(QString::fromStdString(cad)); }

namespace {

// The frequency-analysis and other auxiliary windows are top-level windows
// of their own: once the main window goes, they go too, and with the last
// of them the process ends.
void aceptarCierre(QWidget* principal, QCloseEvent* evento) {
    evento->accept();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != principal && w->isVisible()) w->close();
}

}  // namespace

void Ondelar::closeEvent(QCloseEvent* evento) {
    if (ocupado()) {
        // The step is stopped and waited for first; the window then closes
        // through the usual path (unsaved branches are still asked about).
        evento->ignore();
        if (interaccion::preguntarSiNo(
                QStringLiteral("Hay un paso en curso. ¿Quiere cancelarlo y cerrar la ventana?"))) {
            cerrarAlTerminar = true;
            cancelarTrabajo();
        }
        return;
    }
    const int sinGuardar = archivosEEG.ramasSinGuardar();
    if (sinGuardar == 0) {
        aceptarCierre(this, evento);
        return;
    }
    const QString texto =
        (sinGuardar == 1 ? QStringLiteral("Hay 1 rama derivada que no se ha guardado; se perderá al cerrar.")
                         : QStringLiteral("Hay %1 ramas derivadas que no se han guardado; se perderán al cerrar.")
                               .arg(sinGuardar)) +
        QStringLiteral(" ¿Quiere guardarlas antes de cerrar?");
    switch (interaccion::preguntarCierre(texto)) {
        case interaccion::RespuestaCierre::descartar: aceptarCierre(this, evento); return;
        case interaccion::RespuestaCierre::cancelar: evento->ignore(); return;
        case interaccion::RespuestaCierre::guardar: break;
    }
    // One save dialog per branch; giving up on any keeps the window open.
    for (const auto& [archivo, rama] : archivosEEG.posicionesSinGuardar()) {
        ui->indiceArchivoEEG->setCurrentIndex(archivo);
        ui->indiceProcesado->setCurrentIndex(rama);
        if (!guardarSeleccionada()) {
            evento->ignore();
            return;
        }
    }
    aceptarCierre(this, evento);
}

const EEG& Ondelar::eegSeleccionado() const {
    return archivosEEG.rama(ui->indiceArchivoEEG->currentIndex(), ui->indiceProcesado->currentIndex());
}

std::optional<std::pair<int, int>> Ondelar::seleccion() const {
    const int archivo = ui->indiceArchivoEEG->currentIndex();
    const int rama = ui->indiceProcesado->currentIndex();
    if (!archivosEEG.nombraRama(archivo, rama)) return std::nullopt;
    return std::make_pair(archivo, rama);
}

void Ondelar::escribirTraza(const QString& texto) { ui->labelDatos->setText(texto); }

void Ondelar::rellenarSelector(QComboBox* selector, int n) {
    selector->clear();
    for (int i = 1; i <= n; ++i) selector->addItem(QString::number(i));
}

void Ondelar::anadirArchivo(std::unique_ptr<EEG> eeg, const std::string& ruta) {
    archivosEEG.anadirArchivo(std::move(eeg), ruta);
    rellenarSelector(ui->indiceArchivoEEG, archivosEEG.numeroArchivos());
    ui->indiceArchivoEEG->setCurrentIndex(ui->indiceArchivoEEG->count() - 1);
}

void Ondelar::anadirRama(std::unique_ptr<EEG> eeg) {
    archivosEEG.anadirRama(ui->indiceArchivoEEG->currentIndex(), std::move(eeg));
    ramaEEGhasChanged(1);
}

void Ondelar::ramaEEGhasChanged(int indice) {
    ui->labelDatos->setText(QStringLiteral("Rama eeg changed ") + QString::number(indice));
    const int archivo = ui->indiceArchivoEEG->currentIndex();
    if (indice != -1 && archivo >= 0 && archivo < archivosEEG.numeroArchivos()) {
        rellenarSelector(ui->indiceProcesado, archivosEEG.numeroRamas(archivo));
        ui->indiceProcesado->setCurrentIndex(ui->indiceProcesado->count() - 1);
    } else {
        ui->indiceProcesado->clear();
    }
    reflejarAlmacen(ui->arbolRegistros, archivosEEG, seleccion());
}

void Ondelar::selectedEEGhasChanged(int indice) {
    const int archivo = ui->indiceArchivoEEG->currentIndex();
    const int rama = ui->indiceProcesado->currentIndex();
    reflejarAlmacen(ui->arbolRegistros, archivosEEG, seleccion());
    if (auto* revisar = findChild<QAction*>(QStringLiteral("revisar_componentes")))
        revisar->setEnabled(indice != -1 && archivosEEG.nombraRama(archivo, rama) &&
                            archivosEEG.rama(archivo, rama).descomposicion);
    if (indice == -1 || !archivosEEG.nombraRama(archivo, rama)) {
        ui->labelDatos->setText(QStringLiteral("No hay ningun eeg seleccionado"));
        return;
    }
    ui->labelDatos->setText(QString::fromStdString(archivosEEG.descripcion(archivo, rama)));
}

void Ondelar::borrarDatosSeleccionados() {
    const int archivo = ui->indiceArchivoEEG->currentIndex();
    const int rama = ui->indiceProcesado->currentIndex();
    if (!archivosEEG.nombraRama(archivo, rama)) {
        pausaDebug("No hay ningún eeg seleccionado que se pueda borrar.");
        return;
    }
    const QString descripcion = QString::fromStdString(archivosEEG.descripcion(archivo, rama));
    const QString pregunta =
        rama == 0 ? QStringLiteral("¿Borrar el archivo %1 entero, con todas sus ramas (%2)?")
                        .arg(archivo + 1)
                        .arg(archivosEEG.numeroRamas(archivo))
                  : QStringLiteral("¿Borrar la rama %1?").arg(descripcion);
    if (!interaccion::preguntarSiNo(pregunta)) return;

    archivosEEG.borrarRama(archivo, rama);
    actualizarPestanas();
    if (rama == 0) {
        const int n = archivosEEG.numeroArchivos();
        rellenarSelector(ui->indiceArchivoEEG, n);
        if (n > 0) ui->indiceArchivoEEG->setCurrentIndex(std::min(archivo, n - 1));
    } else {
        rellenarSelector(ui->indiceProcesado, archivosEEG.numeroRamas(archivo));
        ui->indiceProcesado->setCurrentIndex(rama - 1);
    }
}
