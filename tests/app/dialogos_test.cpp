// What a new user meets around the dialogs: each parameter dialog can be
// left with "Cancelar" or Escape, the save dialog offers every format the
// runner writes, the open dialogs start where the last file was and the
// browser grows with the window.

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSpinBox>

#include "app/exploradorRegistro.h"
#include "asr/ventana/GuiASR.h"
#include "averaging/ventana/GuiEventosPromediado.h"
#include "filtering/ventana/GUIfiltroFrecuencial.h"
#include "io/cargarRegistro.h"
#include "tests/comun/ventanaPrueba.h"

using namespace prueba;

namespace {
// Opens T from its menu entry, leaves it the given way and checks that nothing ran.
template <class T>
void dejarSinAplicar(VentanaPrueba& f, QAction* entrada, bool conEscape) {
    const int ramas = f.ramas();
    entrada->trigger();
    T* d = abierta<T>();
    QVERIFY(d);
    QVERIFY(QTest::qWaitForWindowExposed(d));
    if (conEscape) {
        QTest::keyClick(d, Qt::Key_Escape);
    } else {
        auto* cancelar = d->template findChild<QPushButton*>("cancelar");
        QVERIFY(cancelar);
        QTest::mouseClick(cancelar, Qt::LeftButton);
    }
    QCOMPARE(cuantas<T>(), 0);
    QCOMPARE(f.ramas(), ramas);
    QCOMPARE(f.mensajes, QStringList());
}
}  // namespace

class PruebaDialogos : public QObject {
    Q_OBJECT
private slots:
    void cancelarYEscapeNoAplicanNada() {
        VentanaPrueba f;
        f.cargar("p300_8ch.gdf", "p300_8ch.ced");
        for (const bool escape : {false, true}) {
            dejarSinAplicar<GUIfiltroFrecuencial>(f, f.ui().aplicar_filtro_frecuencial, escape);
            dejarSinAplicar<GuiASR>(f, f.ui().aplicar_ASR, escape);
            dejarSinAplicar<GuiEventosPromediado>(f, f.ui().aplicar_promediado, escape);
        }
        QCOMPARE(f.archivosEnCarpeta(), QStringList());
    }

    // The five formats of `ondelar-cli run --out`; an .edf chosen there is an EDF+.
    void guardarOfreceCadaFormato() {
        VentanaPrueba f;
        const QString carpeta = f.carpetaTemporal();
        f.cargar("p300_8ch.gdf", "p300_8ch.ced");
        f.guardarEn = QDir(carpeta).filePath("rama.edf");
        f.ui().guardar_rama_seleccionada->trigger();
        QCOMPARE(f.filtrosGuardar.front().split(";;").size(), 5);
        for (const char* ext : {"(*.gdf)", "(*.edf)", "(*.bdf)", "(*.csv)", "(*.bin)"})
            QVERIFY2(f.filtrosGuardar.front().contains(ext), ext);
        QCOMPARE(f.mensajes, QStringList());
        const EEG leido = cargarRegistro(QFile::encodeName(*f.guardarEn).toStdString());
        QCOMPARE(leido.numeroCanales, 8u);
        QCOMPARE(leido.frecuenciaMuestreo, 256);
    }

    // The open dialog starts in the folder of the last recording, the .CED
    // one in the last .CED's (at first, the recording's) and says it may be skipped.
    void lasCarpetasSeRecuerdan() {
        QTemporaryDir otra;
        QFile::copy(muestra("p300_8ch.ced"), otra.filePath("p300_8ch.ced"));
        VentanaPrueba f;
        const QString datos = QFileInfo(muestra("p300_8ch.gdf")).absolutePath();
        f.abrir = {muestra("p300_8ch.gdf"), otra.filePath("p300_8ch.ced")};
        f->cargarEEG();
        f.cargar("motor_64ch.dat", "motor_64ch.ced");
        QCOMPARE(f.carpetasAbrir, QStringList({"", datos, datos, QFileInfo(otra.path()).absoluteFilePath()}));
        QVERIFY(f.titulosAbrir[1].contains("puede omitirse"));
        // Cancelling the recording's dialog forgets nothing.
        f->cargarEEG();
        QCOMPARE(f.carpetasAbrir.last(), datos);
        QCOMPARE(f.ramas(0), 1);
    }

    // The browser takes the window's height: rows as many as fit (up to 32)
    // until the user sets them, and taller rows in a taller window.
    void elExploradorOcupaElAltoDeLaVentana() {
        VentanaPrueba f;
        f.cargar("motor_64ch.dat", "motor_64ch.ced");
        f->resize(1000, 420);
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.v.get()));
        f.ui().explorar_rama->trigger();
        auto* e = qobject_cast<ExploradorRegistro*>(f.ui().panelTabs->currentWidget());
        QVERIFY(e);
        QTest::qWait(20);
        const int bajo = e->lienzo()->height();
        QCOMPARE(e->estado().filasPorPagina(), filasQueCaben(e->lienzo()->areaTrazo().height()));
        QVERIFY2(e->estado().filasPorPagina() < 32, qPrintable(QString::number(e->estado().filasPorPagina())));
        f->resize(1000, 1000);
        QTest::qWait(20);
        QVERIFY2(e->lienzo()->height() > bajo + 400, qPrintable(QString("%1 -> %2").arg(bajo).arg(e->lienzo()->height())));
        QCOMPARE(e->estado().filasPorPagina(), 32);
        // Once the user sets the rows, a resize keeps them.
        e->campoFilas()->setValue(5);
        f->resize(1000, 500);
        QTest::qWait(20);
        QCOMPARE(e->estado().filasPorPagina(), 5);
    }
};

QTEST_MAIN(PruebaDialogos)
#include "dialogos_test.moc"
