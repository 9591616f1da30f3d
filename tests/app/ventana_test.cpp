#include <QtTest>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QTabWidget>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "ui_Ondelar.h"

namespace {

EEG registroPrueba(int canales = 2) {
    EEG e(256, static_cast<uint32_t>(canales), 10);
    e.matrices[0].randu();
    return e;
}

QStringList textosSelector(QComboBox* c) {
    QStringList r;
    for (int i = 0; i < c->count(); ++i) r << c->itemText(i);
    return r;
}

}  // namespace

class PruebaVentana : public QObject {
    Q_OBJECT

    QStringList mensajes;

private slots:
    void init() {
        mensajes.clear();
        interaccion::fijarRespondedorMensaje([this](const QString& t) { mensajes << t; });
    }
    void cleanup() {
        interaccion::fijarRespondedorMensaje({});
        interaccion::fijarRespondedorPregunta({});
    }

    void formularioInicial() {
        Ondelar v;
        QCOMPARE(v.windowTitle(), QString("Ondelar"));
        QCOMPARE(v.objectName(), QString("OndelarClass"));
        QCOMPARE(v.size(), QSize(929, 477));
        QCOMPARE(v.ui->centralWidget->maximumSize(), QSize(1428, 527));
        QCOMPARE(v.ui->Zlabel->text(), QString("Información del archivo"));
        QCOMPARE(v.ui->Zlabel_2->text(), QString("Archivo"));
        QCOMPARE(v.ui->Zlabel_3->text(), QString("procesamiento"));
        QCOMPARE(v.ui->labelDatos->text(), QString("No hay ningun eeg seleccionado"));
        QCOMPARE(v.ui->Zline->frameShape(), QFrame::VLine);
        QCOMPARE(textosSelector(v.ui->indiceArchivoEEG), QStringList({"1", "2"}));
        QCOMPARE(textosSelector(v.ui->indiceProcesado), QStringList({"1", "2"}));
        QCOMPARE(v.ui->indiceArchivoEEG->currentIndex(), 0);
        QCOMPARE(v.ui->indiceProcesado->currentIndex(), 0);
        QCOMPARE(v.ui->panelTabs->count(), 0);
        QCOMPARE(v.ui->menuBar->geometry().width(), 929);
    }

    void menusEnOrden() {
        Ondelar v;
        QStringList menus;
        for (QAction* a : v.ui->menuBar->actions()) menus << a->text();
        QCOMPARE(menus, QStringList({"cargar", "representar", "procesar", "reconocimientos"}));

        QStringList procesar;
        for (QAction* a : v.ui->menuprocesar->actions()) procesar << (a->isSeparator() ? "|" : a->text());
        QCOMPARE(procesar, QStringList({"aplicar ASR", "aplicar filtro frecuencial", "aplicar promediado",
                                        "aplicar MARA", "aplicar CAR", "|", "aplicar analisis frecuencial"}));
        QStringList cargar;
        for (QAction* a : v.ui->menucargar->actions()) cargar << a->text();
        QCOMPARE(cargar.mid(0, 2), QStringList({"cargar nuevo archivo GDF", "borrar datos seleccionados"}));
        QCOMPARE(v.ui->menudibuja->actions().front()->text(), QString("Elegir canales"));
        QCOMPARE(v.ui->menureconocimientos->actions().front()->text(), QString("licencia y atribuciones"));
        QCOMPARE(v.ui->aplicar_CAR->objectName(), QString("aplicar_CAR"));
        QCOMPARE(v.ui->cargar_nuevo_archivo_GDF->objectName(), QString("cargar_nuevo_archivo_GDF"));
    }

    void primerYSegundoRegistro() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(registroPrueba()));
        QCOMPARE(textosSelector(v.ui->indiceArchivoEEG), QStringList({"1"}));
        QCOMPARE(textosSelector(v.ui->indiceProcesado), QStringList({"1"}));
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-1"));

        v.anadirArchivo(clonarEEG(registroPrueba()));
        auto car = clonarEEG(v.eegSeleccionado());
        etiquetarRama(*car, "CAR");
        v.anadirRama(std::move(car));
        QCOMPARE(textosSelector(v.ui->indiceArchivoEEG), QStringList({"1", "2"}));
        QCOMPARE(v.ui->indiceArchivoEEG->currentText(), QString("2"));
        QCOMPARE(textosSelector(v.ui->indiceProcesado), QStringList({"1", "2"}));
        QCOMPARE(v.ui->indiceProcesado->currentText(), QString("2"));
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 2-2 CAR"));

        // Recording 1 again: only its branches, its last one selected.
        v.ui->indiceArchivoEEG->setCurrentIndex(0);
        QCOMPARE(textosSelector(v.ui->indiceProcesado), QStringList({"1"}));
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-1"));
    }

    void comandoSobreRamaUnoAnadeLaCuarta() {
        Ondelar v;
        EEG base = registroPrueba();
        v.anadirArchivo(clonarEEG(base));
        for (const char* t : {"CAR", "ASR"}) {
            auto r = clonarEEG(v.eegSeleccionado());
            etiquetarRama(*r, t);
            v.anadirRama(std::move(r));
        }
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-3 CAR ASR"));
        v.ui->indiceProcesado->setCurrentIndex(0);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-1"));
        auto r = clonarEEG(v.eegSeleccionado());
        etiquetarRama(*r, "BANDPASS");
        v.anadirRama(std::move(r));
        QCOMPARE(v.ui->indiceProcesado->count(), 4);
        QCOMPARE(v.ui->indiceProcesado->currentIndex(), 3);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-4 BANDPASS"));
        QCOMPARE(v.archivosEEG.rama(0, 0).historia, std::string());
    }

    void marcadoresDePosicionNoNombranNada() {
        Ondelar v;
        v.ui->indiceArchivoEEG->setCurrentIndex(1);  // "2" before anything is loaded
        QCOMPARE(v.ui->indiceProcesado->count(), 0);
        QCOMPARE(v.ui->labelDatos->text(), QString("No hay ningun eeg seleccionado"));
        // The branch selector is already empty: clearing it again emits nothing,
        // so the transient text stays visible.
        v.ui->indiceArchivoEEG->setCurrentIndex(0);
        QCOMPARE(v.ui->labelDatos->text(), QString("Rama eeg changed 0"));
        QVERIFY_EXCEPTION_THROWN(v.eegSeleccionado(), std::out_of_range);
        v.anadirArchivo(clonarEEG(registroPrueba()));
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-1"));
    }

    void seleccionarRamaDosSinDatosNoCambiaNada() {
        Ondelar v;
        v.ui->indiceProcesado->setCurrentIndex(1);
        QCOMPARE(v.ui->labelDatos->text(), QString("No hay ningun eeg seleccionado"));
        QCOMPARE(v.archivosEEG.numeroArchivos(), 0);
    }

    void borrarPreguntaYRespetaElNo() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(registroPrueba()));
        auto r = clonarEEG(v.eegSeleccionado());
        etiquetarRama(*r, "CAR");
        v.anadirRama(std::move(r));

        QStringList preguntas;
        interaccion::fijarRespondedorPregunta([&](const QString& t) {
            preguntas << t;
            return false;
        });
        v.ui->borrar_datos_seleccionados->trigger();
        QCOMPARE(preguntas, QStringList({"¿Borrar la rama eeg 1-2 CAR?"}));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 2);

        interaccion::fijarRespondedorPregunta([](const QString&) { return true; });
        v.ui->borrar_datos_seleccionados->trigger();
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
        QCOMPARE(textosSelector(v.ui->indiceProcesado), QStringList({"1"}));
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-1"));
    }

    void borrarRamaUnoQuitaElRegistro() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(registroPrueba()));
        v.anadirArchivo(clonarEEG(registroPrueba(3)));
        v.ui->indiceArchivoEEG->setCurrentIndex(0);
        interaccion::fijarRespondedorPregunta([](const QString&) { return true; });
        v.ui->borrar_datos_seleccionados->trigger();
        QCOMPARE(v.archivosEEG.numeroArchivos(), 1);
        QCOMPARE(textosSelector(v.ui->indiceArchivoEEG), QStringList({"1"}));
        QCOMPARE(v.eegSeleccionado().numeroCanales, 3u);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-1"));

        v.ui->borrar_datos_seleccionados->trigger();
        QCOMPARE(v.archivosEEG.numeroArchivos(), 0);
        QCOMPARE(v.ui->indiceArchivoEEG->count(), 0);
        QCOMPARE(v.ui->labelDatos->text(), QString("No hay ningun eeg seleccionado"));

        v.ui->borrar_datos_seleccionados->trigger();  // nothing left: told, nothing asked
        QCOMPARE(mensajes.size(), 1);
    }

    void pausaDebugMuestraUnaCajaModalConAcentos() {
        interaccion::fijarRespondedorMensaje({});
        QString visto;
        QTimer::singleShot(0, [&] {
            auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(caja);
            visto = caja->text();
            QCOMPARE(caja->buttons().size(), 1);
            QCOMPARE(caja->standardButtons(), QMessageBox::Ok);
            caja->button(QMessageBox::Ok)->click();
        });
        Ondelar::pausaDebug("Se cierra la aplicación.");
        QCOMPARE(visto, QString("Se cierra la aplicación."));
    }

    void cerrarAceptaElEvento() {
        Ondelar v;
        v.show();
        QVERIFY(v.close());
    }
};

QTEST_MAIN(PruebaVentana)
#include "ventana_test.moc"
