#include "app/pasoVentana.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <exception>
#include <limits>
#include <mutex>
#include <new>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "app/Ondelar.h"
#include "ui_Ondelar.h"

std::string mensajeConMotivo(const std::string& mensajeFallo, const std::string& motivo) {
    if (motivo.empty()) return mensajeFallo;
    return mensajeFallo + "\n\nMotivo: " + motivo;
}

ResultadoPaso calcularPaso(const Paso& paso, const EEG& entrada, const Avance& avance) {
    ResultadoPaso r;
    try {
        EEG salida = paso.calcular(entrada, r.avisos, avance);
        r.etiqueta = etiquetaHistoria(paso, entrada, salida);
        r.rama = clonarEEG(std::move(salida));
    } catch (const Cancelado&) {
        r.rama.reset();
        r.avisos.clear();
        r.cancelado = true;
        return r;
    } catch (const RechazoPaso& e) {
        r.fallo = e.what();
    } catch (const std::bad_alloc&) {
        r.fallo = mensajeConMotivo(paso.mensajeFallo, "no hay memoria suficiente");
    } catch (const std::exception& e) {
        r.fallo = mensajeConMotivo(paso.mensajeFallo, e.what());
    } catch (...) {
        r.fallo = mensajeConMotivo(paso.mensajeFallo, "error inesperado");
    }
    if (!r.rama && r.fallo.empty()) r.fallo = paso.mensajeFallo;
    return r;
}

// What the worker and the GUI thread share while a step runs: nothing else
// crosses between them.
struct TrabajoEnCurso {
    std::atomic<bool> cancelar{false};
    std::atomic<bool> terminado{false};
    std::atomic<double> fraccion{0.0};
    std::mutex mutexEtapa;
    std::string etapa;
};

int Ondelar::retardoDialogoProgreso = 400;

bool Ondelar::ocupado() const { return static_cast<bool>(trabajo); }

void Ondelar::cancelarTrabajo() {
    if (trabajo) trabajo->cancelar = true;
}

namespace {

// Commands and selectors off while a step runs; only what was on comes back on.
QList<QPointer<QObject>> apagarControles(QObject* ventana, const QList<QWidget*>& selectores) {
    QList<QPointer<QObject>> apagados;
    for (QAction* accion : ventana->findChildren<QAction*>())
        if (accion->isEnabled()) {
            accion->setEnabled(false);
            apagados << accion;
        }
    for (QWidget* w : selectores)
        if (w->isEnabled()) {
            w->setEnabled(false);
            apagados << w;
        }
    return apagados;
}

void encenderControles(const QList<QPointer<QObject>>& apagados) {
    for (const QPointer<QObject>& o : apagados) {
        if (auto* accion = qobject_cast<QAction*>(o)) accion->setEnabled(true);
        else if (auto* w = qobject_cast<QWidget*>(o)) w->setEnabled(true);
    }
}

// Shown only if the step outlasts the delay, so quick steps do not flash it.
void prepararDialogo(QProgressDialog& dialogo, const QString& nombre, const std::shared_ptr<TrabajoEnCurso>& estado) {
    dialogo.setObjectName(QStringLiteral("dialogoProgreso"));
    dialogo.setWindowTitle(nombre);
    dialogo.setWindowModality(Qt::WindowModal);
    dialogo.setAutoReset(false);
    dialogo.setAutoClose(false);
    dialogo.setMinimumDuration(std::numeric_limits<int>::max());
    dialogo.setValue(0);
    dialogo.hide();
    QObject::connect(&dialogo, &QProgressDialog::canceled, [estado, &dialogo, nombre] {
        estado->cancelar = true;
        dialogo.setLabelText(nombre + QStringLiteral(": cancelando…"));
    });
}

// One tick of the GUI thread while the worker runs: the dialog after its
// delay, the stage's name and the fraction done.
void sondear(QProgressDialog& dialogo, const QString& nombre, TrabajoEnCurso& estado, const QElapsedTimer& reloj,
             int retardo) {
    if (estado.cancelar) return;
    if (!dialogo.isVisible() && reloj.elapsed() >= retardo) dialogo.show();
    // Never wait for the worker: if it holds the stage's name (it may be
    // preempted meanwhile, being the nicer thread), the label waits a tick.
    std::unique_lock<std::mutex> cerrojo(estado.mutexEtapa, std::try_to_lock);
    if (cerrojo.owns_lock()) {
        QString texto = nombre;
        if (!estado.etapa.empty()) texto += QStringLiteral(": ") + QString::fromStdString(estado.etapa);
        cerrojo.unlock();
        if (dialogo.labelText() != texto) dialogo.setLabelText(texto);
    }
    const int valor = static_cast<int>(estado.fraccion.load(std::memory_order_relaxed) * 1000.0);
    if (valor > dialogo.value()) dialogo.setValue(valor);
}

// The worker: runs the task, keeps its exception, then says it is done.
QThread* crearHilo(const std::function<void(const Avance&)>& tarea, const Avance& avance,
                   std::exception_ptr& fallo, const std::shared_ptr<TrabajoEnCurso>& estado) {
    return QThread::create([&tarea, &avance, &fallo, estado] {
        // A little nicer than the GUI thread, so that on a busy machine the
        // window still gets the processor first (Linux lets one thread be niced).
        const pid_t hiloId = static_cast<pid_t>(syscall(SYS_gettid));
        errno = 0;
        const int actual = getpriority(PRIO_PROCESS, static_cast<id_t>(hiloId));
        if (errno == 0) setpriority(PRIO_PROCESS, static_cast<id_t>(hiloId), std::min(actual + 5, 19));
        try {
            tarea(avance);
        } catch (...) {
            fallo = std::current_exception();
        }
        estado->terminado = true;
    });
}

}  // namespace

bool Ondelar::enSegundoPlano(const QString& nombre, const std::function<void(const Avance&)>& tarea) {
    if (trabajo) return false;  // commands are off while a step runs; a stray call does nothing
    trabajo = std::make_shared<TrabajoEnCurso>();
    const std::shared_ptr<TrabajoEnCurso> estado = trabajo;
    std::exception_ptr fallo;

    const Avance avance([estado](double fraccion, const std::string& etapa) {
        if (estado->cancelar.load(std::memory_order_relaxed)) throw Cancelado();
        estado->fraccion.store(fraccion, std::memory_order_relaxed);
        std::lock_guard<std::mutex> cerrojo(estado->mutexEtapa);
        if (etapa != estado->etapa) estado->etapa = etapa;
    });

    const QList<QPointer<QObject>> apagados =
        apagarControles(this, {ui->menuBar, ui->indiceArchivoEEG, ui->indiceProcesado, ui->arbolRegistros});
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QProgressDialog dialogo(nombre, QStringLiteral("Cancelar"), 0, 1000, this);
    prepararDialogo(dialogo, nombre, estado);

    QEventLoop bucle;
    QThread* hilo = crearHilo(tarea, avance, fallo, estado);
    QObject::connect(hilo, &QThread::finished, &bucle, &QEventLoop::quit);
    QElapsedTimer reloj;
    reloj.start();
    QTimer sondeo;
    sondeo.setInterval(50);
    QObject::connect(&sondeo, &QTimer::timeout,
                     [&] { sondear(dialogo, nombre, *estado, reloj, retardoDialogoProgreso); });
    sondeo.start();
    hilo->start();
    if (!estado->terminado) bucle.exec();
    // The loop may also end because the application is quitting: the worker
    // is then told to stop and waited for, since it reads the store.
    if (!hilo->isFinished()) {
        estado->cancelar = true;
        hilo->wait();
    }
    delete hilo;
    sondeo.stop();
    dialogo.hide();

    QApplication::restoreOverrideCursor();
    encenderControles(apagados);
    trabajo.reset();
    if (cerrarAlTerminar) {
        cerrarAlTerminar = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
    if (fallo) {
        try {
            std::rethrow_exception(fallo);
        } catch (const Cancelado&) {
            return false;
        }
    }
    return true;
}

bool Ondelar::ejecutarPaso(const Paso& paso, std::string* fallo) {
    if (ocupado()) return false;
    const auto elegida = seleccion();
    if (!elegida) {
        const std::string texto = mensajeConMotivo(paso.mensajeFallo, "no hay ningún eeg seleccionado");
        if (fallo)
            *fallo = texto;
        else
            pausaDebug(texto);
        return false;
    }
    const auto [archivo, rama] = *elegida;
    // The worker reads the branch in place: the store cannot change meanwhile,
    // since every command (delete included) is off until the step ends.
    const EEG& entrada = archivosEEG.rama(archivo, rama);
    ResultadoPaso resultado;
    enSegundoPlano(QString::fromStdString(paso.etiqueta),
                   [&](const Avance& avance) { resultado = calcularPaso(paso, entrada, avance); });
    if (resultado.cancelado) return false;
    return terminarPaso(paso, archivo, std::move(resultado), fallo);
}

bool Ondelar::ejecutarPasoSobre(uint64_t numeroRama, const Paso& paso) {
    const auto donde = archivosEEG.posicion(numeroRama);
    if (!donde) {
        pausaDebug(mensajeConMotivo(paso.mensajeFallo, "la rama ya no existe"));
        return false;
    }
    if (ocupado()) return false;
    ui->indiceArchivoEEG->setCurrentIndex(donde->first);
    ui->indiceProcesado->setCurrentIndex(donde->second);
    return ejecutarPaso(paso);
}

bool Ondelar::terminarPaso(const Paso& paso, int archivo, ResultadoPaso resultado, std::string* fallo) {
    bool anadida = false;
    if (resultado.rama) {
        etiquetarRama(*resultado.rama, resultado.etiqueta.empty() ? paso.etiqueta : resultado.etiqueta);
        try {
            // The branch joins the recording it was computed from, even if
            // the selector has moved since.
            if (ui->indiceArchivoEEG->currentIndex() != archivo) ui->indiceArchivoEEG->setCurrentIndex(archivo);
            anadirRama(std::move(resultado.rama));
            anadida = true;
        } catch (const std::exception& e) {
            resultado.fallo = mensajeConMotivo(paso.mensajeFallo, e.what());
        }
    }
    for (const std::string& aviso : resultado.avisos) pausaDebug(aviso);
    if (!anadida) {
        if (fallo)
            *fallo = resultado.fallo;
        else
            pausaDebug(resultado.fallo);
    }
    return anadida;
}
