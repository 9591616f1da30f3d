// The main window: its selectors, the recording store behind the selectors,
// removing branches, the loading command and the licences window.

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QTextEdit>

#include "app/traducciones.h"
#include "filtering/opcionesFiltro.h"
#include "tests/comun/ventanaPrueba.h"

using namespace prueba;

namespace {
EEG registro(uint32_t canales = 2) {
    EEG e(256, canales, 10);
    e.matrices[0].randu();
    return e;
}
}  // namespace

class PruebaVentana : public QObject {
    Q_OBJECT
private slots:
    void selectoresYRamas() {
        VentanaPrueba f;
        f.anadir(registro());
        QCOMPARE(textos(f.ui().indiceArchivoEEG), QStringList({"1"}));
        QCOMPARE(f.estado(), QString("eeg 1-1"));
        f.anadir(registro());
        f.ramaEtiquetada("CAR");
        QCOMPARE(textos(f.ui().indiceArchivoEEG), QStringList({"1", "2"}));
        QCOMPARE(f.estado(), QString("eeg 2-2 CAR"));
        // Recording 1 again: only its branches, its last one selected.
        f.ui().indiceArchivoEEG->setCurrentIndex(0);
        QCOMPARE(textos(f.ui().indiceProcesado), QStringList({"1"}));
        QCOMPARE(f.estado(), QString("eeg 1-1"));
        // A command over branch 1 of three adds the fourth.
        f.ramaEtiquetada("CAR");
        f.ramaEtiquetada("ASR");
        QCOMPARE(f.estado(), QString("eeg 1-3 CAR ASR"));
        f.seleccionar(0, 0);
        f.ramaEtiquetada("BANDPASS");
        QCOMPARE(f.estado(), QString("eeg 1-4 BANDPASS"));
        QCOMPARE(f.rama(0, 0).historia, std::string());
    }

    // The selectors start with placeholders "1" and "2" and no tab.
    void marcadoresDePosicionNoNombranNada() {
        VentanaPrueba f;
        QCOMPARE(f.estado(), QString("No hay ningun eeg seleccionado"));
        QCOMPARE(textos(f.ui().indiceArchivoEEG), QStringList({"1", "2"}));
        f.ui().indiceProcesado->setCurrentIndex(1);
        QCOMPARE(f.estado(), QString("No hay ningun eeg seleccionado"));
        f.ui().indiceArchivoEEG->setCurrentIndex(1);  // "2" before anything is loaded
        QCOMPARE(f.ui().indiceProcesado->count(), 0);
        // The branch selector is already empty: clearing it again emits nothing.
        f.ui().indiceArchivoEEG->setCurrentIndex(0);
        QCOMPARE(f.estado(), QString("Rama eeg changed 0"));
        QVERIFY_EXCEPTION_THROWN(f->eegSeleccionado(), std::out_of_range);
        // Commands on the placeholders fail and add nothing (CAR's entry is the
        // catalogue's, placed in "procesar").
        QAction* car = f->findChild<QAction*>("aplicar_car");
        QVERIFY(car && f.ui().menuprocesar->actions().contains(car));
        car->trigger();
        f->aplicarFiltro(OpcionesFiltro{TipoFiltro::pasaBanda, 1, 40, 60});
        QCOMPARE(f.mensajes.size(), 2);
        QCOMPARE(f->archivosEEG.numeroArchivos(), 0);
        f.anadir(registro());
        QCOMPARE(f.estado(), QString("eeg 1-1"));
    }

    void borrarPreguntaYRespetaElNo() {
        VentanaPrueba f;
        f.anadir(registro());
        f.anadir(registro(3));
        f.ramaEtiquetada("CAR");
        f.si = false;
        f.ui().borrar_datos_seleccionados->trigger();
        QCOMPARE(f.preguntas, QStringList({"¿Borrar la rama eeg 2-2 CAR?"}));
        QCOMPARE(f.ramas(1), 2);
        f.si = true;
        f.ui().borrar_datos_seleccionados->trigger();
        QCOMPARE(textos(f.ui().indiceProcesado), QStringList({"1"}));
        QCOMPARE(f.estado(), QString("eeg 2-1"));
        // Branch 1 takes the whole recording with it.
        f.seleccionar(0, 0);
        f.ui().borrar_datos_seleccionados->trigger();
        QCOMPARE(textos(f.ui().indiceArchivoEEG), QStringList({"1"}));
        QCOMPARE(f->eegSeleccionado().numeroCanales, 3u);
        f.ui().borrar_datos_seleccionados->trigger();
        QCOMPARE(f.ui().indiceArchivoEEG->count(), 0);
        QCOMPARE(f.estado(), QString("No hay ningun eeg seleccionado"));
        f.ui().borrar_datos_seleccionados->trigger();  // nothing left: told, nothing asked
        QCOMPARE(f.preguntas.size(), 4);
        QCOMPARE(f.mensajes.size(), 1);
    }

    // Closing with derived branches never saved asks first and names how
    // many; "cancelar" keeps the window, a saved branch is not counted.
    void cerrarConRamasSinGuardarPregunta() {
        VentanaPrueba f;
        f->show();
        f.anadir(registro());
        QVERIFY(f->close());  // only the recording as read: nothing to lose, nothing asked
        QCOMPARE(f.preguntasCierre, QStringList());
        f->show();
        f.ramaEtiquetada("CAR");
        f.ramaEtiquetada("ASR");
        f.cierre = interaccion::RespuestaCierre::cancelar;
        QVERIFY(!f->close());
        QVERIFY(f->isVisible());
        QCOMPARE(f.preguntasCierre.size(), 1);
        QVERIFY2(f.preguntasCierre[0].contains("2 ramas"), qPrintable(f.preguntasCierre[0]));

        f.guardarEn = QString("asr.csv");  // branch 3, selected, is saved
        f.ui().guardar_rama_seleccionada->trigger();
        QVERIFY(!f->close());
        QVERIFY2(f.preguntasCierre[1].contains("1 rama"), qPrintable(f.preguntasCierre[1]));

        // "guardar" saves what is left (branch 2) and then closes.
        f.cierre = interaccion::RespuestaCierre::guardar;
        f.guardarEn = QString("car.csv");
        QVERIFY(f->close());
        QVERIFY(QFile::exists("car.csv"));
        QCOMPARE(f->archivosEEG.ramasSinGuardar(), 0);
        f->show();
        f.ramaEtiquetada("MARA");
        f.cierre = interaccion::RespuestaCierre::descartar;
        QVERIFY(f->close());
        QCOMPARE(f.preguntasCierre.size(), 4);
    }

    // Qt's own buttons read in Spanish once its translations are installed.
    void botonesDeQtEnCastellano() {
        QVERIFY2(instalarTraduccionesQt(*qApp), "falta qtbase_es.qm (paquete qttranslations5-l10n)");
        QMessageBox caja;
        caja.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(caja.button(QMessageBox::Yes)->text().remove('&'), QString("Sí"));
        QCOMPARE(caja.button(QMessageBox::Cancel)->text().remove('&'), QString("Cancelar"));
    }

    void pausaDebugEsUnaCajaModalConAcentos() {
        QString visto;
        QTimer::singleShot(0, [&] {
            auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(caja);
            visto = caja->text();
            QCOMPARE(caja->standardButtons(), QMessageBox::Ok);
            caja->button(QMessageBox::Ok)->click();
        });
        Ondelar::pausaDebug("Se cierra la aplicación.");
        QCOMPARE(visto, QString("Se cierra la aplicación."));
    }

    void cargarRegistros() {
        QTemporaryDir t;
        QFile::copy(muestra("p300_8ch.gdf"), t.filePath("señal_ñandú.gdf"));  // paths with accents load
        VentanaPrueba f;
        f.abrir = {t.filePath("señal_ñandú.gdf"), muestra("p300_8ch.ced")};
        f->cargarEEG();
        QVERIFY(f.filtrosAbrir[0].contains("*.vhdr") && f.filtrosAbrir[1].contains("*.ced"));
        QCOMPARE((*f->eegSeleccionado().canales)[7].etiqueta, std::string("PO8"));
        QVERIFY((*f->eegSeleccionado().canales)[7].localizacion.has_value());
        f.cargar("motor_64ch.dat", "motor_64ch.ced");
        QCOMPARE(f.estado(), QString("eeg 2-1"));
        QCOMPARE(f.mensajes, QStringList());
        // A .CED that cannot be opened or is too short: the recording stays, the user is told.
        f.cargar("p300_8ch.gdf", "no-existe.ced");
        f.cargar("motor_64ch.dat", "p300_8ch.ced");
        QCOMPARE(f.mensajes.size(), 2);
        QVERIFY(f.mensajes[0].contains("sin localizaciones"));
        QVERIFY2(f.mensajes[1].contains("8 de los 64 canales"), qPrintable(f.mensajes[1]));
        QVERIFY(!(*f->eegSeleccionado().canales)[8].localizacion.has_value());

        // No .CED chosen: the recording is stored with its own labels (and
        // their standard positions), and the user is told.
        f.abrir = {muestra("p300_8ch.dat"), std::nullopt};
        f->cargarEEG();
        QCOMPARE(f->archivosEEG.numeroArchivos(), 5);
        QVERIFY2(f.mensajes.back().startsWith("Sin archivo de localizaciones"), qPrintable(f.mensajes.back()));
        QVERIFY((*f->eegSeleccionado().canales)[0].localizacion.has_value());

        // Cancelled or unreadable: nothing stored, the .CED not asked for.
        QFile corto(t.filePath("corto.dat"));
        QVERIFY(corto.open(QIODevice::WriteOnly) && corto.write("HeaderLen= 4\r\n") > 0);
        corto.close();
        f.abrir = {std::nullopt};
        f->cargarEEG();
        for (const QString& ruta : {QString("/no/existe.gdf"), corto.fileName(), muestra("p300_8ch.ced")}) {
            f.abrir = {ruta, muestra("p300_8ch.ced")};
            f->cargarEEG();
            QVERIFY2(f.mensajes.back().startsWith("No se puede cargar «" + ruta + "»: "),
                     qPrintable(f.mensajes.back()));
            QCOMPARE(f.abrir.size(), size_t(1));
        }
        QCOMPARE(f.mensajes.size(), 6);
        QCOMPARE(f->archivosEEG.numeroArchivos(), 5);
    }

    // The licences window (the frequency analysis window is tested in tests/frecuencial).
    void ventanaDeLicencias() {
        VentanaPrueba f;
        f->show();
        f->popUpLicenciasAtribuciones();
        QTextEdit* texto = abierta<QTextEdit>();
        QVERIFY(texto && texto->isReadOnly());
        QCOMPARE(QApplication::activeModalWidget(), texto);
        const QString contenido = texto->toPlainText();
        for (const char* t : {"Qt 5", "Qt Charts", "Armadillo", "OpenBLAS", "Boost.Math", "LGPL v3", "GPL v3",
                              "Apache, versión 2.0", "BSD de 3 cláusulas", "Boost Software License, versión 1.0"})
            QVERIFY2(contenido.contains(QString::fromUtf8(t)), t);
    }
};

QTEST_MAIN(PruebaVentana)
#include "ventana_test.moc"
