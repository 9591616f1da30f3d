#pragma once
// The set-up every window test shares: a main window whose questions the test
// answers, and the lookup of the windows a command opens. Everything is undone
// when the object goes: responders reset, stray windows closed, folder restored.

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Ondelar.h"
#include "io/almacenEEG.h"
#include "app/interaccion.h"
#include "ui_Ondelar.h"

namespace prueba {

inline QString muestra(const QString& nombre) { return QStringLiteral(ONDELAR_RAIZ "/../shared/data/") + nombre; }

inline QStringList textos(const QComboBox* c) {
    QStringList r;
    for (int i = 0; i < c->count(); ++i) r << c->itemText(i);
    return r;
}

// The visible top-level window of type T opened last, or null.
template <class T>
T* abierta() {
    T* r = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) r = t;
    return r;
}

template <class T>
int cuantas() {
    const QWidgetList l = QApplication::topLevelWidgets();
    return int(std::count_if(l.begin(), l.end(), [](QWidget* w) { return qobject_cast<T*>(w) && w->isVisible(); }));
}

inline void cerrarVentanasSueltas() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// One click on row `fila` of a multi-selection list, as the user toggles it.
inline void pulsarFila(QListWidget* lista, int fila) {
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, Qt::NoModifier, lista->visualItemRect(lista->item(fila)).center());
}

class Respuestas {
public:
    QStringList mensajes, preguntas, titulosAbrir, filtrosAbrir, carpetasAbrir, titulosGuardar, filtrosGuardar;
    std::deque<std::optional<QString>> abrir;  // answers of the open dialogs, in turn; then "cancel"
    std::optional<QString> guardarEn;          // answer of every save dialog
    bool si = true;                            // answer of every yes/no question
    QStringList preguntasCierre;
    interaccion::RespuestaCierre cierre = interaccion::RespuestaCierre::cancelar;  // answer before closing

    Respuestas() {
        interaccion::fijarRespondedorMensaje([this](const QString& t) { mensajes << t; });
        interaccion::fijarRespondedorPregunta([this](const QString& t) {
            preguntas << t;
            return si;
        });
        interaccion::fijarRespondedorCierre([this](const QString& t) {
            preguntasCierre << t;
            return cierre;
        });
        interaccion::fijarRespondedorArchivoAbrir([this](const QString& titulo, const QString& filtro,
                                                         const QString& carpeta) {
            titulosAbrir << titulo;
            filtrosAbrir << filtro;
            carpetasAbrir << carpeta;
            if (abrir.empty()) return std::optional<QString>();
            const std::optional<QString> r = abrir.front();
            abrir.pop_front();
            return r;
        });
        interaccion::fijarRespondedorArchivoGuardar([this](const QString& titulo, const QString& filtro,
                                                           const QString&) {
            titulosGuardar << titulo;
            filtrosGuardar << filtro;
            return guardarEn;
        });
        // Averaging writes its cube into the current folder: each window test
        // works in an empty one of its own, never in the source tree.
        QDir::setCurrent(carpeta.path());
    }
    ~Respuestas() {
        // Dialogs that do not delete themselves on close are released here.
        cerrarVentanasSueltas();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!w->parentWidget()) delete w;
        interaccion::fijarRespondedorMensaje({});
        interaccion::fijarRespondedorPregunta({});
        interaccion::fijarRespondedorCierre({});
        interaccion::fijarRespondedorArchivoAbrir({});
        interaccion::fijarRespondedorArchivoGuardar({});
        QDir::setCurrent(carpetaPrevia);
    }
    Respuestas(const Respuestas&) = delete;
    Respuestas& operator=(const Respuestas&) = delete;

    // The test's own empty folder, which is the current one while it lives.
    QString carpetaTemporal() const { return carpeta.path(); }
    QStringList archivosEnCarpeta(const QStringList& filtro = {}) const {
        return QDir(carpeta.path()).entryList(filtro, QDir::Files | QDir::Hidden);
    }

private:
    // The folder the test started in, current again once it ends.
    QString carpetaPrevia = QDir::currentPath();
    QTemporaryDir carpeta;
};

// A main window with answered dialogs. The window goes first, then the answers.
class VentanaPrueba : public Respuestas {
public:
    std::unique_ptr<Ondelar> v = std::make_unique<Ondelar>();

    Ondelar* operator->() const { return v.get(); }
    Ui::OndelarClass& ui() const { return *v->ui; }
    QString estado() const { return v->ui->labelDatos->text(); }
    int ramas(int archivo = 0) const { return v->archivosEEG.numeroRamas(archivo); }
    const EEG& rama(int archivo, int r) const { return v->archivosEEG.rama(archivo, r); }

    // Loads a sample recording with its .ced through the loading command.
    void cargar(const QString& registro, const QString& ced) {
        abrir = {muestra(registro), muestra(ced)};
        v->cargarEEG();
    }
    void anadir(const EEG& e) { v->anadirArchivo(clonarEEG(e)); }
    // Adds a copy of the selected branch tagged `etiqueta`, as a command does.
    void ramaEtiquetada(const char* etiqueta) {
        auto r = clonarEEG(v->eegSeleccionado());
        etiquetarRama(*r, etiqueta);
        v->anadirRama(std::move(r));
    }
    void seleccionar(int archivo, int r) {
        v->ui->indiceArchivoEEG->setCurrentIndex(archivo);
        v->ui->indiceProcesado->setCurrentIndex(r);
    }
};

}  // namespace prueba
