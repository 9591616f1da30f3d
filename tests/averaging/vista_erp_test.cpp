// The ERP view from the main window: the P300 sample averaged, two maps (one
// typed, one clicked) on one colour scale, the PNG export and its failure,
// an average per kind with its selector, a branch without positions, and
// the refusal of a branch that is not averaged.
// With ONDELAR_CAPTURA_ERP=<file.png> (relative to the project root) the
// P300 view is also written there: docs/vista_erp.png is made so.

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>

#include "averaging/epocas.h"
#include "averaging/ventana/graficoMariposa.h"
#include "averaging/ventana/vistaERP.h"
#include "eegSintetico.h"
#include "frecuencial/ventana/dibujoMapaCuero.h"
#include "tests/comun/ventanaPrueba.h"

using namespace prueba;

namespace {

template <class T>
T* hijo(QWidget* w, const char* nombre) {
    T* r = w->findChild<T*>(QString::fromLatin1(nombre));
    if (!r) qFatal("falta el control %s", nombre);
    return r;
}

QList<dibujoMapaCuero*> mapas(vistaERP* v) { return v->findChildren<dibujoMapaCuero*>(QStringLiteral("mapaERP")); }

void escribir(vistaERP* v, const QString& texto) {
    auto* campo = hijo<QLineEdit>(v, "latenciasERP");
    campo->clear();
    QTest::keyClicks(campo, texto);
    QTest::keyClick(campo, Qt::Key_Return);
}

// How many colours the image holds: a blank or one-colour view has one or two.
int colores(const QImage& im) {
    QSet<QRgb> r;
    for (int y = 0; y < im.height(); y += 2)
        for (int x = 0; x < im.width(); x += 2) r.insert(im.pixel(x, y));
    return r.size();
}

// The P300 sample averaged over all twelve kinds, 100 ms before and 600 after.
void promedioP300(VentanaPrueba& f) {
    f.cargar("p300_8ch.gdf", "p300_8ch.ced");
    QList<int> filas;
    for (int i = 0; i < 12; ++i) filas << i;
    f->aplicarPromediado(filas, 100, 600);
    QCOMPARE(f.estado(), QString("eeg 1-2 Promediado"));
}

}  // namespace

class PruebaVistaERP : public QObject {
    Q_OBJECT
private slots:
    void mapasEscritoYPulsadoConUnaEscala() {
        VentanaPrueba f;
        promedioP300(f);
        f.ui().ver_ERP->trigger();  // procesar → ver ERP
        vistaERP* v = abierta<vistaERP>();
        QVERIFY(v);
        QVERIFY(QTest::qWaitForWindowExposed(v));
        QVERIFY(hijo<QLabel>(v, "tituloERP")->text().contains("eeg 1-2 Promediado"));
        QVERIFY(!hijo<QComboBox>(v, "tipoERP")->isVisible());  // one average, no kinds to choose

        // 256 Hz, 100 ms before: the event at column 25 (25.6 truncated).
        // 300 ms is 76.8 samples after it: column 102.
        escribir(v, "300");
        QCOMPARE(v->latencias(), std::vector<double>({300.0}));
        QCOMPARE(mapas(v).size(), 1);

        auto* mariposa = hijo<graficoMariposa>(v, "mariposaERP");
        QTest::mouseClick(mariposa, Qt::LeftButton, Qt::NoModifier, mariposa->puntoMariposa(100.0).toPoint());
        QCOMPARE(v->latencias().size(), size_t(2));
        // The click takes the time of the nearest sample: a whole number of
        // 1000/256 ms steps from the event, within a few pixels of 100 ms.
        const double clic = v->latencias()[1];
        const double muestras = clic * 256.0 / 1000.0;
        QVERIFY2(std::abs(muestras - std::round(muestras)) < 1e-6, qPrintable(QString::number(clic)));
        QVERIFY(std::abs(clic - 100.0) < 8.0);
        QCOMPARE(hijo<QLineEdit>(v, "latenciasERP")->text(), QString("300, %1").arg(clic, 0, 'f', 1));

        const QList<dibujoMapaCuero*> m = mapas(v);
        QCOMPARE(m.size(), 2);
        QVERIFY(m[0]->isVisible() && m[1]->isVisible());
        QCOMPARE(m[0]->minimo(), m[1]->minimo());
        QCOMPARE(m[0]->maximo(), m[1]->maximo());
        QCOMPARE(m[0]->minimo(), -m[0]->maximo());
        // The scale reaches the largest |value| of the 8 channels at both columns.
        const arma::mat& x = f.rama(0, 1).datos();
        const auto columnaClic = arma::uword(25 + std::lround(muestras));
        const double mayor = std::max(arma::abs(x.col(102)).max(), arma::abs(x.col(columnaClic)).max());
        QCOMPARE(m[0]->maximo(), mayor);

        // Typing replaces the row; a latency outside -97.7 … 597.7 ms is refused.
        escribir(v, "100, 200, 300");
        QCOMPARE(mapas(v).size(), 3);
        escribir(v, "900");
        QCOMPARE(f.mensajes.size(), 1);
        QVERIFY(f.mensajes[0].contains("fuera de la época"));
        QCOMPARE(mapas(v).size(), 3);
        escribir(v, "100, cien");
        QCOMPARE(f.mensajes.size(), 2);
        QVERIFY(f.mensajes[1].contains("«cien»"));
        escribir(v, "145, 395");  // the two highest peaks of the GFP

        const QImage im = v->imagen();
        // A relative path is taken from the project root: the test now works in a temporary folder.
        if (const QString captura = qEnvironmentVariable("ONDELAR_CAPTURA_ERP"); !captura.isEmpty())
            QVERIFY(im.save(QDir(QStringLiteral(ONDELAR_RAIZ)).absoluteFilePath(captura), "PNG"));
        f.guardarEn = f.carpetaTemporal() + "/erp.png";
        hijo<QPushButton>(v, "exportarERP")->click();
        QCOMPARE(f.mensajes.size(), 2);
        // The file holds the view as drawn, maps and all.
        const QImage escrita(*f.guardarEn);
        QCOMPARE(escrita.convertToFormat(QImage::Format_RGB32), im.convertToFormat(QImage::Format_RGB32));
        QVERIFY2(colores(escrita) > 50, qPrintable(QString::number(colores(escrita))));
        // A folder that does not exist: the user is told, the view stays.
        f.guardarEn = f.carpetaTemporal() + "/no/existe/erp.png";
        hijo<QPushButton>(v, "exportarERP")->click();
        QCOMPARE(f.mensajes.size(), 3);
        QVERIFY(f.mensajes[2].contains("No se pudo guardar la vista ERP"));
        QVERIFY(v->isVisible());
    }

    void ramaSinPromediarSeRechaza() {
        VentanaPrueba f;
        f.cargar("p300_8ch.gdf", "p300_8ch.ced");
        f->verERP();
        QCOMPARE(f.mensajes.size(), 1);
        QVERIFY(f.mensajes[0].contains("no está promediada"));
        QVERIFY(!abierta<vistaERP>());
        std::vector<std::string> avisos;
        f.anadir(cortarEpocas(f.rama(0, 0), {{1, 1}}, 100.0, 600.0, avisos));
        f->verERP();
        QCOMPARE(f.mensajes.size(), 2);
        QVERIFY(f.mensajes[1].contains("épocas sin promediar"));
        QVERIFY(!abierta<vistaERP>());
    }

    void promedioPorTipoConSelector() {
        VentanaPrueba f;
        f.cargar("p300_8ch.gdf", "p300_8ch.ced");
        std::vector<std::string> avisos;
        const EEG epocas = cortarEpocas(f.rama(0, 0), {{1, 1}, {2, 1}}, 100.0, 600.0, avisos);
        f.anadir(promediarPorTipo(epocas, {{1, 1}, {2, 1}}));
        f->verERP();
        vistaERP* v = abierta<vistaERP>();
        QVERIFY(v);
        QVERIFY(QTest::qWaitForWindowExposed(v));
        auto* tipo = hijo<QComboBox>(v, "tipoERP");
        QVERIFY(tipo->isVisible());
        QCOMPARE(tipo->count(), 2);
        QVERIFY(tipo->itemText(0).startsWith("1.1"));
        QVERIFY(tipo->itemText(1).contains("60 épocas"));
        // MNE's rounding: 25.6 samples before give 26, so 0 ms is column 26.
        escribir(v, "0");
        const double kind1 = mapas(v)[0]->maximo();
        tipo->setCurrentIndex(1);
        QVERIFY(hijo<QLabel>(v, "tituloERP")->text().contains("tipo 2.1"));
        QCOMPARE(v->latencias(), std::vector<double>({0.0}));
        const arma::mat& x = f.rama(1, 0).datos();
        const arma::uword W = x.n_cols / 2;
        QCOMPARE(mapas(v)[0]->maximo(), arma::abs(x.col(W + 26)).max());
        QVERIFY(mapas(v)[0]->maximo() != kind1);
    }

    void sinPosicionesLaMariposaSigue() {
        VentanaPrueba f;
        EEG eeg = eegRampa(250, 3, 2000);
        anadirEventos(eeg, 768, {500, 900});
        f.anadir(eeg);
        f->aplicarPromediado({0}, 100, 200);
        f->verERP();
        vistaERP* v = abierta<vistaERP>();
        QVERIFY(v);
        QVERIFY(hijo<QLabel>(v, "avisoMapasERP")->text().contains("No hay mapas"));
        escribir(v, "50");
        QCOMPARE(v->latencias(), std::vector<double>({50.0}));
        QCOMPARE(mapas(v).size(), 0);
        QVERIFY(f.mensajes.isEmpty());
        QVERIFY(!v->imagen().isNull());
    }
};

QTEST_MAIN(PruebaVistaERP)
#include "vista_erp_test.moc"
