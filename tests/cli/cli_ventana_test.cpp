// The runner and the window compute the same branch: the window's commands
// are driven with answered dialogs, the runner as a process with the same
// parameters, and the results are compared sample for sample. The window's
// "guardar rama seleccionada" writes the same file as the runner.

#include "asr/ContextoASR.h"
#include "filtering/opcionesFiltro.h"
#include "tests/cli/procesoCLI.h"
#include "tests/comun/ventanaPrueba.h"

using namespace prueba;

namespace {

// The row of kind tipo.1 in the averaging dialog's list of the branch.
int filaDeTipo(const EEG& eeg, int tipo) {
    for (size_t k = 0; k < eeg.tablaEventos->tipos.size(); ++k)
        if (eeg.tablaEventos->tipos[k].tipo == tipo && eeg.tablaEventos->tipos[k].calificador == 1) return int(k);
    return -1;
}

QByteArray contenido(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// p300_8ch.gdf with its .CED through the runner's steps, in the current (temporary) folder.
arma::mat ejecutor(const QStringList& pasos, const QString& salida = "r.bin") {
    return correrCLI(QDir::currentPath(), muestra("p300_8ch.gdf"), pasos, {"--ced", muestra("p300_8ch.ced")}, salida);
}

}  // namespace

class PruebaCLIVentana : public QObject {
    Q_OBJECT
private slots:
    void filtroASRCARYPromediadoComoEnLaVentana() {
        VentanaPrueba f;
        f.cargar("p300_8ch.gdf", "p300_8ch.ced");
        f->aplicarFiltro(OpcionesFiltro{TipoFiltro::pasaBanda, 1.0, 40.0, 60});
        QVERIFY(iguales(ejecutor({"filtro:BANDPASS,1,40,60"}), f->eegSeleccionado().datos()));
        f->aplicarFiltro(OpcionesFiltro{TipoFiltro::rechazaBanda, 8.0, 12.0, 40});  // band-stop over the filtered branch
        QVERIFY(iguales(ejecutor({"filtro:BANDPASS,1,40,60", "filtro:BANDSTOP,8,12,40"}), f->eegSeleccionado().datos()));

        f.seleccionar(0, 0);
        f->aplicarASR({3, 0.2, -4.0, 7.25});
        QVERIFY(iguales(ejecutor({"asr:3,0.2,-4,7.25"}), f->eegSeleccionado().datos()));

        f.seleccionar(0, 0);
        f->lanzarPaso("car");
        QVERIFY(iguales(ejecutor({"car"}), f->eegSeleccionado().datos()));
        f->aplicarPromediado({filaDeTipo(f->eegSeleccionado(), 3), filaDeTipo(f->eegSeleccionado(), 7)}, 100, 600);
        QVERIFY(iguales(ejecutor({"car", "promediado:3.1+7.1,100,600"}), f->eegSeleccionado().datos()));
        QCOMPARE(f.mensajes, QStringList());
        QCOMPARE(f.ramas(), 6);
        QCOMPARE(f.archivosEnCarpeta({"Promediado-*.bin"}).size(), 2);  // the window's and the runner's
    }

    // The branch saved from the window is the file the runner writes, byte for byte.
    void guardarRamaSeleccionada() {
        VentanaPrueba f;
        f.ui().guardar_rama_seleccionada->trigger();
        QCOMPARE(f.mensajes, QStringList{"No hay ningún eeg seleccionado que guardar."});
        QCOMPARE(f.titulosGuardar, QStringList());

        f.cargar("p300_8ch.gdf", "p300_8ch.ced");
        f->aplicarFiltro(OpcionesFiltro{TipoFiltro::pasaAltos, 0.5, 30.0, 60});
        f->aplicarPromediado({filaDeTipo(f->eegSeleccionado(), 1)}, 200.0, 500.0);
        for (const char* ext : {"gdf", "csv", "bin"}) {
            f.guardarEn = QString("ventana.") + ext;
            f.ui().guardar_rama_seleccionada->trigger();
            ejecutor({"filtro:HIGH,0.5,30,60", "promediado:1.1,200,500"}, QString("ejecutor.") + ext);
            QVERIFY(!contenido(*f.guardarEn).isEmpty());
            QVERIFY2(contenido(*f.guardarEn) == contenido(QString("ejecutor.") + ext), ext);
        }

        // Cancelled, unknown format, missing folder: told in Spanish, nothing written.
        const QStringList antes = f.archivosEnCarpeta();
        f.mensajes.clear();
        for (const std::optional<QString>& destino :
             {std::optional<QString>(), std::optional<QString>("rama.txt"), std::optional<QString>("no/existe/rama.gdf")}) {
            f.guardarEn = destino;
            f.ui().guardar_rama_seleccionada->trigger();
        }
        QCOMPARE(f.mensajes.size(), 2);
        QVERIFY(f.mensajes[0].startsWith("No se pudo guardar la rama: formato de salida desconocido"));
        QVERIFY(f.mensajes[1].startsWith("No se pudo guardar la rama: "));
        QCOMPARE(f.archivosEnCarpeta(), antes);
    }
};

QTEST_MAIN(PruebaCLIVentana)
#include "cli_ventana_test.moc"
