// The frequency-analysis window opened from the main window on a loaded
// branch: its contents, band and segment changes, exports, and the scalp
// map's drawing checked pixel by pixel at the electrodes.

#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

#include "frecuencial/bandas.h"
#include "frecuencial/ventana/dibujoMapaCuero.h"
#include "frecuencial/ventana/ventanaEmergente.h"
#include "frecuencial/welch.h"
#include "tests/comun/ventanaPrueba.h"

using namespace prueba;
using namespace QtCharts;

namespace {

template <class T>
T* hijo(QWidget* w, const char* nombre) {
    return w->findChild<T*>(QString::fromLatin1(nombre));
}

// The sample recording loaded and the analysis window opened on it.
ventanaEmergente* abrirSobreP300(VentanaPrueba& f) {
    f.cargar("p300_8ch.gdf", "p300_8ch.ced");
    f->lanzarAnalisisFrecuencial();
    return abierta<ventanaEmergente>();
}

int distanciaColor(QColor a, QColor b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

}  // namespace

class PruebaVentanaEspectro : public QObject {
    Q_OBJECT

private slots:
    void abreSobreLaRamaElegidaNoEsModalYCierraConLaPrincipal() {
        VentanaPrueba f;
        f.cargar("p300_8ch.gdf", "p300_8ch.ced");
        f->lanzarAnalisisFrecuencial();
        f->lanzarAnalisisFrecuencial();
        QCOMPARE(cuantas<ventanaEmergente>(), 2);
        ventanaEmergente* v = abierta<ventanaEmergente>();
        QVERIFY(!v->isModal());
        QVERIFY(hijo<QLabel>(v, "tituloAnalisis")->text().startsWith("eeg 1-1"));
        QCOMPARE(hijo<QListWidget>(v, "listaCanales")->count(), 8);
        QCOMPARE(hijo<QTableWidget>(v, "tablaBandas")->rowCount(), 8);
        QVERIFY(hijo<dibujoMapaCuero>(v, "mapaCuero")->isVisible());
        // A channel left out is not drawn; every point is the density in dB at its bin.
        const QList<QAbstractSeries*> series = hijo<QChartView>(v, "vistaEspectro")->chart()->series();
        QCOMPARE(series.size(), 8);
        hijo<QListWidget>(v, "listaCanales")->item(3)->setSelected(false);
        for (int c = 0; c < 8; ++c) QCOMPARE(series[c]->isVisible(), c != 3);
        const auto* pz = static_cast<QLineSeries*>(series[3]);
        QCOMPARE(pz->count(), static_cast<int>(v->espectro()->frecuencias.n_elem));
        QCOMPARE(pz->at(20).y(), 10.0 * std::log10(v->espectro()->densidad(3, 20)));
        // "Cerrar sin guardar" (here: nothing to save) must not leave the
        // analysis windows, and with them the process, behind.
        QTRY_VERIFY(!f->ocupado());
        QVERIFY(f->close());
        QCOMPARE(cuantas<ventanaEmergente>(), 0);
    }

    void cambiaBandaYSegmentoYExporta() {
        VentanaPrueba f;
        const QString carpeta = f.carpetaTemporal();
        ventanaEmergente* v = abrirSobreP300(f);
        auto* banda = hijo<QComboBox>(v, "bandaMapa");
        auto* mapa = hijo<dibujoMapaCuero>(v, "mapaCuero");
        QCOMPARE(banda->count(), 5);
        QVERIFY(banda->currentText().startsWith("alfa"));
        const double maximoAlfa = mapa->maximo();
        banda->setCurrentIndex(0);  // delta carries more power than alfa here
        QVERIFY(mapa->maximo() != maximoAlfa);

        hijo<QDoubleSpinBox>(v, "segmentoSegundos")->setValue(1.0);
        QCOMPARE(v->espectro()->muestrasSegmento, arma::uword(256));
        QVERIFY(banda->currentText().startsWith("delta"));  // the chosen band stays

        f.guardarEn = carpeta + "/espectro.csv";
        hijo<QPushButton>(v, "exportarEspectroCSV")->click();
        f.guardarEn = carpeta + "/bandas.csv";
        hijo<QPushButton>(v, "exportarBandasCSV")->click();
        f.guardarEn = carpeta + "/mapa.png";
        hijo<QPushButton>(v, "exportarMapaPNG")->click();
        QVERIFY(f.mensajes.isEmpty());
        // Each file holds what its button names, at the new segment length (129 bins); the
        // writers' numbers are compared in cli_frecuencial_test.cpp.
        QFile e(carpeta + "/espectro.csv");
        QVERIFY(e.open(QIODevice::ReadOnly));
        QCOMPARE(e.readAll().count('\n'), 1 + 129);
        QFile b(carpeta + "/bandas.csv");
        QVERIFY(b.open(QIODevice::ReadOnly) && b.readLine().startsWith("canal,delta,theta,alfa,beta,gamma"));
        QVERIFY(!QImage(carpeta + "/mapa.png").isNull());
    }

    void ramaBorradaNoSeRecalculaYElEspectroSeQueda() {
        // The window reads the stored branch in place: once the branch has
        // left the store, a new segment length is refused, not read from
        // freed memory.
        VentanaPrueba f;
        f.cargar("p300_8ch.gdf", "p300_8ch.ced");
        f->anadirRama(clonarEEG(f->eegSeleccionado()));
        f->lanzarAnalisisFrecuencial();
        ventanaEmergente* v = abierta<ventanaEmergente>();
        f->borrarDatosSeleccionados();
        QCOMPARE(f->archivosEEG.numeroRamas(0), 1);
        hijo<QDoubleSpinBox>(v, "segmentoSegundos")->setValue(1.0);
        QCOMPARE(f.mensajes.size(), 1);
        QVERIFY(f.mensajes.front().contains("ya no está"));
        QCOMPARE(v->espectro()->muestrasSegmento, arma::uword(512));
        QCOMPARE(hijo<QDoubleSpinBox>(v, "segmentoSegundos")->value(), 2.0);  // the length shown
    }

    void cancelarOtroSegmentoDejaElEspectro() {
        // A new length is computed on the main window's worker: while it
        // runs, the main window's commands are off and this window takes no
        // input; "Cancelar" keeps the spectrum shown and its length.
        VentanaPrueba f;
        ventanaEmergente* v = abrirSobreP300(f);
        bool apagados = false;
        QTimer::singleShot(0, [&] {
            apagados = f->ocupado() && !f.ui().aplicar_ASR->isEnabled() && !v->isEnabled();
            v->close();  // refused while the computation reads the window
            f->cancelarTrabajo();
        });
        hijo<QDoubleSpinBox>(v, "segmentoSegundos")->setValue(1.0);
        QVERIFY(apagados);
        QVERIFY(v->isVisible());
        QVERIFY(v->isEnabled());
        QVERIFY(!f->ocupado());
        QCOMPARE(f.mensajes, QStringList());
        QCOMPARE(v->espectro()->muestrasSegmento, arma::uword(512));
        QCOMPARE(hijo<QDoubleSpinBox>(v, "segmentoSegundos")->value(), 2.0);

        hijo<QDoubleSpinBox>(v, "segmentoSegundos")->setValue(1.0);  // not cancelled: computed
        QCOMPARE(v->espectro()->muestrasSegmento, arma::uword(256));
    }

    void sinCuatroPosicionesElMapaEsUnaFrase() {
        VentanaPrueba f;
        EEG e(100, 5, 1000);
        e.matrices[0] = arma::randn<arma::mat>(5, 1000);
        for (int c = 0; c < 3; ++c) (*e.canales)[c].localizacion = std::array<double, 3>{double(c), 1.0, 1.0};
        f.anadir(e);
        f->lanzarAnalisisFrecuencial();
        ventanaEmergente* v = abierta<ventanaEmergente>();
        QVERIFY(!hijo<dibujoMapaCuero>(v, "mapaCuero")->isVisible());
        QVERIFY(hijo<QLabel>(v, "avisoMapa")->text().contains("al menos 4"));
        QVERIFY(hijo<QLabel>(v, "avisoMapa")->text().contains("3"));
    }

    void canalesSinPosicionSeCuentan() {
        VentanaPrueba f;
        f.cargar("p300_8ch.gdf", "p300_8ch.ced");
        auto r = clonarEEG(f->eegSeleccionado());
        (*r->canales)[2].localizacion.reset();
        f->anadirRama(std::move(r));
        f->lanzarAnalisisFrecuencial();
        ventanaEmergente* v = abierta<ventanaEmergente>();
        QVERIFY(hijo<QLabel>(v, "avisoMapa")->text().startsWith("1 canales sin posición"));
    }

    void mapaPintadoTieneElColorDeCadaElectrodo() {
        // One electrode (P3) with power, the rest zero: the pixel under P3
        // takes the top of the scale, the others the colour of 0.
        const std::vector<std::array<double, 3>> p = {{58.512, -0.312, 66.462}, {-9.167, -0.401, 100.244},
                                                      {-78.788, 53.007, 55.940}, {-81.115, -0.325, 82.615},
                                                      {-78.557, -55.372, 56.561}, {-96.456, 70.116, 15.175}};
        const InterpolacionMapa m(p, 121);
        arma::vec v(p.size(), arma::fill::zeros);
        v(2) = 1.0;
        dibujoMapaCuero d;
        d.fijar(m.interpolar(v), m.rejilla(), m.electrodos(), {}, QStringLiteral("µV²"));
        d.mostrarElectrodos(false);
        const QImage im = d.imagen(QSize(500, 400));
        const QRectF area(0, 0, 500, 400);
        const double rango = d.maximo() - d.minimo();
        for (size_t k = 0; k < p.size(); ++k) {
            const QPoint px = d.posicion(m.electrodos()[k], area).toPoint();
            const QColor esperado = dibujoMapaCuero::color((v(k) - d.minimo()) / rango);
            QVERIFY2(distanciaColor(im.pixelColor(px), esperado) <= 24, qPrintable(QString::number(k)));
        }
        // P3 is on the left of the picture (the head is seen from above, nose up).
        QVERIFY(d.posicion(m.electrodos()[2], area).x() < d.posicion(m.electrodos()[3], area).x());
    }
};

QTEST_MAIN(PruebaVentanaEspectro)
#include "ventana_frecuencial_test.moc"
