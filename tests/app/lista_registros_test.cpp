// The list of recordings and branches beside the selectors: what each row
// says, and that choosing there or in the selectors chooses in both.

#include <algorithm>

#include <QTreeWidget>

#include "tests/comun/ventanaPrueba.h"

using namespace prueba;

namespace {
QStringList fila(const QTreeWidgetItem* f) {
    QStringList r;
    for (int c = 0; c < f->columnCount(); ++c) r << f->text(c);
    return r;
}
void pulsar(QTreeWidget* arbol, QTreeWidgetItem* f) {
    arbol->scrollToItem(f);
    // The row may be wider than the list: a click where it shows.
    const QRect r = arbol->visualItemRect(f);
    QTest::mouseClick(arbol->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(std::min(r.center().x(), arbol->viewport()->width() / 2), r.center().y()));
}
}  // namespace

class PruebaListaRegistros : public QObject {
    Q_OBJECT
private slots:
    void nombraCadaRamaYSigueALosSelectores() {
        VentanaPrueba f;
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.v.get()));
        QTreeWidget* arbol = f.ui().arbolRegistros;
        QCOMPARE(arbol->topLevelItemCount(), 0);
        f.cargar("p300_8ch.gdf", "p300_8ch.ced");
        f.ramaEtiquetada("CAR");
        f.cargar("motor_64ch.dat", "motor_64ch.ced");
        QCOMPARE(arbol->topLevelItemCount(), 2);
        const QStringList p300 = fila(arbol->topLevelItem(0));
        QCOMPARE(p300.mid(0, 4), QStringList({"p300_8ch.gdf", "GDF", "8", "256 Hz"}));
        QVERIFY2(p300[5].startsWith("6.1 ×60, 12.1 ×60, "), qPrintable(p300[5]));  // events by kind, with their count
        QCOMPARE(fila(arbol->topLevelItem(0)->child(0)).at(6), QString("registro leído"));
        QCOMPARE(fila(arbol->topLevelItem(0)->child(1)).at(0), QString("eeg 1-2"));
        QCOMPARE(fila(arbol->topLevelItem(0)->child(1)).at(6), QString("CAR"));
        QCOMPARE(fila(arbol->topLevelItem(1)).mid(0, 3), QStringList({"motor_64ch.dat", "BCI2000", "64"}));
        // The new recording is chosen in the selectors and in the list; the seeded label stays.
        QCOMPARE(arbol->currentItem()->text(0), QString("eeg 2-1"));
        QCOMPARE(f.estado(), QString("eeg 2-1"));
        QCOMPARE(textos(f.ui().indiceArchivoEEG), QStringList({"1", "2"}));

        // Choosing in the list or in the selectors chooses in both.
        f.seleccionar(0, 1);
        f.ramaEtiquetada("Promediado");
        f.seleccionar(1, 0);
        // A click on a branch chooses it in the selectors.
        pulsar(arbol, arbol->topLevelItem(0)->child(1));
        QCOMPARE(f.ui().indiceArchivoEEG->currentIndex(), 0);
        QCOMPARE(f.ui().indiceProcesado->currentIndex(), 1);
        QCOMPARE(f.estado(), QString("eeg 1-2 CAR"));
        // A recording's row chooses the recording as read.
        pulsar(arbol, arbol->topLevelItem(1));
        QCOMPARE(f.estado(), QString("eeg 2-1"));
        QCOMPARE(arbol->currentItem()->text(0), QString("eeg 2-1"));
        // The selectors move the list.
        f.seleccionar(0, 2);
        QCOMPARE(arbol->currentItem()->text(0), QString("eeg 1-3"));
        // Removing a branch removes its row; the others keep their names.
        f.seleccionar(0, 1);
        f.ui().borrar_datos_seleccionados->trigger();
        QCOMPARE(arbol->topLevelItem(0)->childCount(), 2);
        QCOMPARE(arbol->topLevelItem(0)->child(1)->text(0), QString("eeg 1-2"));
        QCOMPARE(arbol->topLevelItem(0)->child(1)->text(6), QString("CAR Promediado"));
        QCOMPARE(arbol->currentItem()->text(0), QString("eeg 1-1"));
        f.seleccionar(0, 0);
        f.ui().borrar_datos_seleccionados->trigger();  // the whole recording
        QCOMPARE(arbol->topLevelItemCount(), 1);
        QCOMPARE(arbol->topLevelItem(0)->text(0), QString("motor_64ch.dat"));
        QCOMPARE(arbol->currentItem()->text(0), QString("eeg 1-1"));
    }
};

QTEST_MAIN(PruebaListaRegistros)
#include "lista_registros_test.moc"
