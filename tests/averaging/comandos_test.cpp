// The CAR, reference, line and averaging commands in the window: the dialog, the new branches,
// the trace and failure texts, and the refusals that add nothing.

#include <cmath>

#include "averaging/ventana/GuiEventosPromediado.h"
#include "eegSintetico.h"
#include "tests/comun/ventanaPrueba.h"
#include "ui_GuiEventosPromediado.h"

using namespace prueba;

namespace {

const QString falloPromediado = "Fallo en el promediado, revisa que existan datos para los tiempos elegidos.";

// Three kinds (768.1, 769.1, 770.1) interleaved, 250 Hz, 2 channels, 2000 samples.
EEG tresTipos() {
    EEG eeg = eegRampa(250, 2, 2000);
    anadirEventos(eeg, 768, {500});
    anadirEventos(eeg, 769, {700});
    anadirEventos(eeg, 768, {900});
    anadirEventos(eeg, 770, {1100});
    anadirEventos(eeg, 769, {1300});
    return eeg;
}

GuiEventosPromediado* elegir(QList<int> filas, int msPrev, int msPost) {
    GuiEventosPromediado* d = abierta<GuiEventosPromediado>();
    if (!d) return nullptr;
    for (int f : filas) d->ui->listWidget->item(f)->setSelected(true);
    d->ui->msPrev->setValue(msPrev);
    d->ui->msPost->setValue(msPost);
    return d;
}

}  // namespace

class PruebaComandosPromediado : public QObject {
    Q_OBJECT
private slots:
    void dialogoYRamaPromediada() {
        VentanaPrueba f;
        EEG eeg = tresTipos();
        anadirEventos(eeg, 768, {1500}, 2);
        f.anadir(eeg);
        f->graficoPromediado();
        GuiEventosPromediado* d = abierta<GuiEventosPromediado>();
        QVERIFY(d);
        QCOMPARE(d->windowModality(), Qt::NonModal);
        QCOMPARE(d->ui->msPrev->value(), 7000);
        QCOMPARE(d->ui->msPost->value(), 10000);
        QListWidget* lista = d->ui->listWidget;
        QStringList tipos;
        for (int i = 0; i < lista->count(); ++i) tipos << lista->item(i)->text();
        QCOMPARE(tipos, QStringList({"768.1", "769.1", "770.1", "768.2"}));
        QVERIFY(QTest::qWaitForWindowExposed(d));
        pulsarFila(lista, 2);
        pulsarFila(lista, 0);
        d->ui->msPrev->setValue(100);
        d->ui->msPost->setValue(200);
        QTest::mouseClick(d->ui->aceptar, Qt::LeftButton);
        QVERIFY(!abierta<GuiEventosPromediado>());
        QCOMPARE(f.estado(), QString("eeg 1-2 Promediado"));
        // Kinds 768.1 (500, 900) and 770.1 (1100): epochs start at 475, 875, 1075.
        const EEG& p = f.rama(0, 1);
        QCOMPARE(p.numeroMuestras, int64_t(76));
        QCOMPARE(p.datos()(0, 0), (475.0 + 875.0 + 1075.0) / 3.0);
        QCOMPARE(f.archivosEnCarpeta().size(), 1);
        // A second run never overwrites the first one's cube file.
        f.seleccionar(0, 0);
        f->aplicarPromediado({1}, 0, 100);
        QCOMPARE(f.archivosEnCarpeta().size(), 2);
        // An averaged branch has no event table: the dialog does not open.
        f->graficoPromediado();
        QCOMPARE(f.mensajes.size(), 1);
        QVERIFY(f.mensajes[0].contains("no tiene eventos"));
        QVERIFY(!abierta<GuiEventosPromediado>());
    }

    void fallosNoAnadenRamaNiCubo() {
        VentanaPrueba f;
        f->graficoPromediado();
        QCOMPARE(f.mensajes, QStringList{"Fallo preparando la interfaz de Mara. Comprueba que hay datos o que los "
                                         "seleccionados son correctos"});
        EEG eeg = eegRampa(250, 2, 1000);
        anadirEventos(eeg, 1, {500, 24});  // 24 needs column -1 at 100 ms before
        eeg.tablaEventos->tipos.push_back(Evento{2, 0, 1});  // a kind with no event: E = 0
        eeg.tablaEventos->numeroTipos = 2;
        f.anadir(eeg);
        f.mensajes.clear();
        f->aplicarPromediado({}, 100, 200);
        f->aplicarPromediado({0}, 100, 200);
        f->aplicarPromediado({1}, 100, 200);
        // The fixed message first, then the reason.
        QCOMPARE(f.mensajes.size(), 3);
        QCOMPARE(f.mensajes[0], QString("no se ha detectado ningun evento seleccionado"));
        QVERIFY(f.mensajes[1].startsWith(falloPromediado + "\n\nMotivo: "));
        QVERIFY2(f.mensajes[1].contains("columnas"), qPrintable(f.mensajes[1]));
        QVERIFY(f.mensajes[2].startsWith(falloPromediado + "\n\nMotivo: "));
        f->aplicarPromediado({0, 1}, 7000, 10000);
        f->aplicarPromediado({1}, 1234567.0, 0.5);
        QCOMPARE(f.ramas(0), 1);

        // The dialog averages the branch selected when "aceptar" is pressed.
        f.mensajes.clear();
        f.anadir(tresTipos());
        f->graficoPromediado();
        EEG otro = eegRampa(250, 2, 2000);
        anadirEventos(otro, 5, {1000});
        f.anadir(otro);  // one kind: row 2 of the dialog is beyond it
        elegir({0, 2}, 100, 100)->onClickAceptar();
        QVERIFY(f.mensajes.value(0).contains("no corresponden a la rama seleccionada"));
        cerrarVentanasSueltas();
        f->graficoPromediado();
        f.anadir(EEG(250, 2, 2000));  // no events at all
        elegir({0}, 100, 100)->onClickAceptar();
        QVERIFY(f.mensajes.value(1).contains("no tiene eventos"));
        cerrarVentanasSueltas();
        f.seleccionar(1, 0);
        f->graficoPromediado();
        GuiEventosPromediado* d = elegir({0}, 100, 100);
        QVERIFY(d);
        f.v.reset();
        d->onClickAceptar();  // no window to run it on: just closes
        QCOMPARE(f.mensajes.size(), 2);
        QVERIFY(!abierta<GuiEventosPromediado>());
        QCOMPARE(f.archivosEnCarpeta(), QStringList());
    }

    void carYPromediadoTrasCAR() {
        VentanaPrueba f;
        f->lanzarPaso("car");
        f.anadir(EEG(250, 1, 100));
        f->lanzarPaso("car");
        const QString falloCar = "Problema con CAR. Revisa el EEG seleccionado\n\nMotivo: ";
        QCOMPARE(f.mensajes.size(), 2);
        QVERIFY(f.mensajes[0].startsWith(falloCar + "no hay ningún eeg seleccionado"));
        QVERIFY(f.mensajes[1].startsWith(falloCar));
        f.mensajes.clear();

        f.anadir(tresTipos());
        f->lanzarPaso("car");
        QCOMPARE(f.estado(), QString("eeg 2-2 CAR"));
        f->graficoPromediado();
        elegir({1}, 100, 100)->onClickAceptar();
        QCOMPARE(f.mensajes, QStringList());
        QCOMPARE(f.estado(), QString("eeg 2-3 CAR Promediado"));
        QCOMPARE(f.rama(1, 2).datos()(0, 0), -1000.0);  // two channels a, b: a - b of the ramp

        // /proc takes no new files, not even from root: the average is still
        // stored, and the user learns that its epochs were not saved.
        f.seleccionar(1, 0);
        QVERIFY(QDir::setCurrent("/proc"));
        f->aplicarPromediado({0}, 0, 100);
        QCOMPARE(f.mensajes.size(), 1);
        QVERIFY(f.mensajes[0].contains("no se pudo guardar el archivo con las épocas"));
        QCOMPARE(f.ramas(1), 4);
    }
};

QTEST_MAIN(PruebaComandosPromediado)
#include "comandos_test.moc"
