// Bad channels in the window: a click on a channel's label in the browser
// marks it on its branch (and greys its trace), "interpolar los canales
// malos" makes a branch without bad channels, "re-referenciar…"
// leaves the bad ones out of the mean, and MARA then runs on the rank-deficient
// average. p300_8ch.gdf with its .ced.

#include <QAction>
#include <QApplication>

#include "app/exploradorRegistro.h"
#include "averaging/referencia.h"
#include "canales/interpolacionEsferica.h"
#include "filtering/ventana/dialogosLimpieza.h"
#include "mara/ventana/comandoMARA.h"
#include "tests/comun/ventanaPrueba.h"

using namespace prueba;

namespace {

const QRgb gris = qRgb(170, 170, 170), azul = qRgb(0, 0, 139);

// Pixels of that colour in the band of page row `fila`.
int pixelesEnFila(const ExploradorRegistro& e, int fila, QRgb color) {
    QImage imagen(e.lienzo()->size(), QImage::Format_RGB32);
    e.lienzo()->render(&imagen);
    const QRect area = e.lienzo()->areaTrazo();
    const double centro = e.lienzo()->centroFila(fila), alto = e.lienzo()->altoFila();
    int n = 0;
    for (int y = int(centro - alto / 2) + 1; y < int(centro + alto / 2); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += imagen.pixel(x, y) == color;
    return n;
}

// "re-referenciar…" with its default, the mean of the good channels.
void referenciaMedia(VentanaPrueba& f) {
    f->findChild<QAction*>("re_referenciar")->trigger();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<DialogoReferencia*>(w); d && d->isVisible()) return d->aceptar();
    QFAIL("no se abrió el diálogo de referencia");
}

void pulsarEtiqueta(ExploradorRegistro& e, int fila) {
    const QPoint punto(LienzoExplorador::margenIzquierdo / 2, int(e.lienzo()->centroFila(fila)));
    QTest::mouseClick(e.lienzo(), Qt::LeftButton, Qt::NoModifier, punto);
}

}  // namespace

class PruebaCanalesMalosVentana : public QObject {
    Q_OBJECT
private slots:
    void marcarInterpolarYReferenciar() {
        VentanaPrueba f;
        f.cargar("p300_8ch.gdf", "p300_8ch.ced");
        QCOMPARE(f.ramas(), 1);
        ExploradorRegistro* e = f->abrirExplorador();
        QVERIFY(e);
        e->lienzo()->setFixedSize(LienzoExplorador::margenIzquierdo + 600 + LienzoExplorador::margenDerecho, 400);
        QCOMPARE(e->etiquetaCanal(1), QString("Cz"));

        // Cz's label clicked: bad on branch 1, drawn in grey; clicked twice, good again.
        // (Neighbouring traces reach into a row's band, so some blue stays.)
        QCOMPARE(pixelesEnFila(*e, 1, gris), 0);
        const int azulAntes = pixelesEnFila(*e, 1, azul);
        pulsarEtiqueta(*e, 1);
        QCOMPARE(f.rama(0, 0).canalesMalos, std::vector<std::string>{"Cz"});
        QVERIFY(pixelesEnFila(*e, 1, gris) > azulAntes / 2);
        QVERIFY(pixelesEnFila(*e, 1, azul) < azulAntes / 4);
        pulsarEtiqueta(*e, 1);
        QVERIFY(f.rama(0, 0).canalesMalos.empty());
        QCOMPARE(pixelesEnFila(*e, 1, gris), 0);
        pulsarEtiqueta(*e, 6);
        pulsarEtiqueta(*e, 1);
        QCOMPARE(f.rama(0, 0).canalesMalos, (std::vector<std::string>{"Oz", "Cz"}));

        // Interpolation: branch 2 has them replaced as the core computes, and no bad list.
        f->findChild<QAction*>("aplicar_interpolar")->trigger();
        QCOMPARE(f.mensajes, QStringList{"interpolar: Oz, Cz desde 6 canales buenos"});
        QCOMPARE(f.ramas(), 2);
        QCOMPARE(f.estado(), QString("eeg 1-2 Interpolacion(2)"));
        std::vector<std::string> notas;
        const EEG esperado = interpolarCanalesMalos(f.rama(0, 0), notas);
        QVERIFY(arma::approx_equal(f.rama(0, 1).datos(), esperado.datos(), "absdiff", 1e-9));
        QVERIFY(f.rama(0, 1).canalesMalos.empty());
        QCOMPARE(f.rama(0, 0).canalesMalos, (std::vector<std::string>{"Oz", "Cz"}));

        // The average reference of branch 2 uses all eight channels; of branch 1, six.
        referenciaMedia(f);
        QCOMPARE(f.estado(), QString("eeg 1-3 Interpolacion(2) RefMedia"));
        QVERIFY(
            arma::approx_equal(f.rama(0, 2).datos(), rereferenciar(esperado, {}, "media").datos(), "absdiff", 1e-9));
        f.seleccionar(0, 0);
        referenciaMedia(f);
        QCOMPARE(f.estado(), QString("eeg 1-4 RefMedia"));
        QCOMPARE(f.rama(0, 3).canalesMalos, (std::vector<std::string>{"Oz", "Cz"}));
        const arma::mat& x = f.rama(0, 0).datos();
        const arma::rowvec mediaBuenos = arma::mean(x.rows(arma::uvec{0, 2, 3, 4, 5, 7}), 0);
        QVERIFY(arma::approx_equal(f.rama(0, 3).datos(), arma::mat(x.each_row() - mediaBuenos), "absdiff", 1e-9));

        // MARA on the average of the re-referenced branch: two channels
        // interpolated from six and the reference leave rank 5 of 8; it
        // completes with 5 components and says which it removed.
        f.seleccionar(0, 2);
        f->aplicarPromediado({0, 1}, 0, 2500);
        QCOMPARE(f.estado(), QString("eeg 1-5 Interpolacion(2) RefMedia Promediado"));
        f.mensajes.clear();
        fijarDirectorioModelosMara(std::filesystem::path(ONDELAR_MODELOS));
        fijarSemillaMara(3);
        f->findChild<QAction*>("aplicar_MARA")->trigger();
        fijarDirectorioModelosMara(std::nullopt);
        fijarSemillaMara(std::nullopt);
        QVERIFY2(f.mensajes.size() == 3 && f.mensajes[0] == "patterns 5 8" && f.mensajes[2].contains(" de 5 componentes"),
                 qPrintable(f.mensajes.join('|')));
        QCOMPARE(f.estado(), QString("eeg 1-6 Interpolacion(2) RefMedia Promediado MARA"));
        QVERIFY(f.rama(0, 5).canalesMalos.empty());

        // Detection on the clean recording marks nothing and says so.
        f.mensajes.clear();
        f.seleccionar(0, 1);
        f->findChild<QAction*>("aplicar_canales-malos")->trigger();
        QCOMPARE(f.estado(), QString("eeg 1-7 Interpolacion(2) CanalesMalos(0)"));
        QCOMPARE(f.mensajes, QStringList{"canales-malos: ningún canal marcado"});
    }
};

QTEST_MAIN(PruebaCanalesMalosVentana)
#include "canales_malos_ventana_test.moc"
