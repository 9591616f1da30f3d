// The filter dialog draws the response of the filter it will apply to the
// selected branch, and shows the refusal's reason instead when there is none.

#include <complex>

#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

#include "filtering/ventana/GUIfiltroFrecuencial.h"
#include "filtering/filtroFrecuencial.h"
#include "tests/comun/ventanaPrueba.h"
#include "ui_GUIfiltroFrecuencial.h"

using namespace prueba;
using namespace QtCharts;

namespace {

QLineSeries* serie(GUIfiltroFrecuencial* d, const QString& nombre) {
    auto* vista = d->findChild<QChartView*>("graficoRespuesta");
    if (!vista) return nullptr;
    for (QAbstractSeries* s : vista->chart()->series())
        if (s->name() == nombre) return qobject_cast<QLineSeries*>(s);
    return nullptr;
}

// |sum_n b[n] e^(-i 2 pi f n / fs)|, summed here term by term.
double magnitud(const arma::vec& b, double f, int fs) {
    std::complex<double> h = 0.0;
    for (arma::uword n = 0; n < b.n_elem; ++n) h += b(n) * std::polar(1.0, -2.0 * M_PI * f * double(n) / fs);
    return std::abs(h);
}

// The drawn series against the design the step would apply; the limits as
// vertical lines at both ends of the plot.
void comprobarDibujo(GUIfiltroFrecuencial* d, const EEG& eeg, const OpcionesFiltro& o, const QString& resumen) {
    QVERIFY(!d->ui->motivoRechazo->isVisible());
    QVERIFY(d->findChild<QChartView*>("graficoRespuesta")->isVisible());
    QCOMPARE(d->ui->resumenFiltro->text(), resumen);
    const FiltroFIR f = disenarFiltroRama(ramaFiltrable(eeg), o);
    const QVector<QPointF> p = serie(d, "respuesta")->pointsVector();
    QCOMPARE(p.size(), 1025);
    // Four decades on a logarithmic axis, up to Nyquist: 0.0128 ... 128 Hz.
    QVERIFY(std::abs(p.front().x() - eeg.frecuenciaMuestreo / 2.0 * 1e-4) < 1e-12);
    QCOMPARE(p.back().x(), eeg.frecuenciaMuestreo / 2.0);
    QVERIFY(std::abs(p[1].x() / p[0].x() - p[1000].x() / p[999].x()) < 1e-9);
    // Compared as magnitudes: near a zero of the response a rounding of 1e-16
    // moves the dB figure a lot and the drawing not at all.
    for (int i = 0; i < p.size(); i += 8)
        QVERIFY2(std::abs(std::pow(10.0, p[i].y() / 20.0) - magnitud(f.coeficientes, p[i].x(), eeg.frecuenciaMuestreo)) <
                     1e-12,
                 qPrintable(QString::number(p[i].x())));
    for (const auto& [nombre, hz] : {std::pair{"límite inferior", o.frecInferior}, {"límite superior", o.frecSuperior}}) {
        const QVector<QPointF> l = serie(d, QString::fromUtf8(nombre))->pointsVector();
        QCOMPARE(l.size(), 2);
        QCOMPARE(l[0].x(), hz);
        QCOMPARE(l[1].x(), hz);
    }
}

}  // namespace

class PruebaDialogoFiltro : public QObject {
    Q_OBJECT
private slots:
    void dibujaLaRespuestaDelDisenoQueSeAplicara() {
        VentanaPrueba f;
        EEG eeg(256, 2, 5000);
        f.anadir(eeg);
        f.ui().aplicar_filtro_frecuencial->trigger();
        GUIfiltroFrecuencial* d = abierta<GUIfiltroFrecuencial>();
        QVERIFY(d);
        // The defaults: band-pass 1-40 Hz, 60 dB, 699 taps at 256 Hz.
        comprobarDibujo(d, eeg, OpcionesFiltro{}, "699 coeficientes (2.73 s)");
        // The drawing follows the fields.
        d->ui->rbRechaza->setChecked(true);
        d->ui->frecInferior->setValue(48.0);
        d->ui->frecSuperior->setValue(52.0);
        comprobarDibujo(d, eeg, OpcionesFiltro{TipoFiltro::rechazaBanda, 48, 52, 60}, "175 coeficientes (0.684 s)");
    }

    void disenoRechazadoMuestraElMotivoEnLugarDelDibujo() {
        VentanaPrueba f;
        f.anadir(EEG(256, 2, 1000));
        f.ui().aplicar_filtro_frecuencial->trigger();
        GUIfiltroFrecuencial* d = abierta<GUIfiltroFrecuencial>();
        d->ui->frecInferior->setValue(50.0);  // above the upper limit, 40
        QVERIFY(d->ui->motivoRechazo->isVisible());
        QVERIFY(!d->findChild<QChartView*>("graficoRespuesta")->isVisible());
        QCOMPARE(d->ui->motivoRechazo->text(),
                 QString::fromUtf8("el límite superior (40 Hz) debe ser mayor que el límite inferior "
                                   "(50 Hz): el orden del filtro depende de ambos"));
        QVERIFY(d->ui->resumenFiltro->text().isEmpty());
        // Too long for the branch: the reason names the limit to move.
        d->ui->frecInferior->setValue(0.1);
        QVERIFY(d->ui->motivoRechazo->text().contains(QString::fromUtf8("suba el límite inferior (0.1 Hz)")));
        d->ui->frecInferior->setValue(1.0);
        QVERIFY(!d->ui->motivoRechazo->isVisible());
        QVERIFY(d->findChild<QChartView*>("graficoRespuesta")->isVisible());
    }
};

QTEST_MAIN(PruebaDialogoFiltro)
#include "dialogo_filtro_test.moc"
