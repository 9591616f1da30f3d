// The cleaning dialogs from the "procesar" menu: each runs the runner's step
// on the selected branch, and stays open with the reason when it cannot.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QtCharts/QLineSeries>
#include <QtTest>

#include <cmath>

#include "filtering/ventana/dialogosLimpieza.h"
#include "filtering/ventana/graficoRespuesta.h"
#include "tests/comun/ventanaPrueba.h"

using namespace prueba;

namespace {

template <class T>
T* abrir(VentanaPrueba& f, const char* accion) {
    f->findChild<QAction*>(accion)->trigger();
    return abierta<T>();
}

// Three channels: 1, 2 and 3 times a 10 Hz alpha, plus a common 50 Hz hum.
EEG conZumbido() {
    EEG e(500, 3, 4000);
    for (arma::uword n = 0; n < 4000; ++n)
        for (arma::uword c = 0; c < 3; ++c)
            e.matrices[0](c, n) = (c + 1.0) * std::sin(2 * M_PI * 10 * n / 500.0) + 30 * std::sin(2 * M_PI * 50 * n / 500.0);
    const char* etiquetas[] = {"Fz", "M1", "M2"};
    for (int c = 0; c < 3; ++c) (*e.canales)[c].etiqueta = etiquetas[c];
    return e;
}

// The drawn response at the point nearest `hz`.
double db(GraficoRespuesta* g, double hz) {
    const auto* s = qobject_cast<QtCharts::QLineSeries*>(g->chart()->series().at(0));
    double mejor = 1e9, valor = 0.0;
    for (const QPointF& p : s->points())
        if (std::abs(p.x() - hz) < mejor) mejor = std::abs(p.x() - hz), valor = p.y();
    return valor;
}

}  // namespace

class PruebaDialogosLimpieza : public QObject {
    Q_OBJECT

private slots:
    void referenciaDeLaMediaYDeCanalesElegidos() {
        VentanaPrueba f;
        f.anadir(conZumbido());
        auto* d = abrir<DialogoReferencia>(f, "re_referenciar");
        QVERIFY(d && !d->canales()->isEnabled());
        d->aceptar();
        QCOMPARE(f.estado(), QString("eeg 1-2 RefMedia"));
        // The mean of 1, 2 and 3 times the alpha is twice it; the hum is common.
        const arma::rowvec alfa = arma::sin(arma::regspace<arma::rowvec>(0, 3999) * (2 * M_PI * 10 / 500.0));
        QVERIFY(arma::abs(f.rama(0, 1).datos().row(0) + alfa).max() < 1e-12);

        // Linked mastoids: Fz minus the mean of M1 and M2 is -1.5 alpha.
        f.seleccionar(0, 0);
        d = abrir<DialogoReferencia>(f, "re_referenciar");
        d->tipo()->setCurrentIndex(2);
        d->aceptar();
        QVERIFY(d->mensaje()->text().contains("al menos un canal"));
        for (int i : {1, 2}) d->canales()->item(i)->setCheckState(Qt::Checked);
        d->aceptar();
        QCOMPARE(f.ramas(0), 3);
        QVERIFY(arma::abs(f.rama(0, 2).datos().row(0) + 1.5 * alfa).max() < 1e-12);
    }

    void lineaConSuRespuestaYRemuestreo() {
        VentanaPrueba f;
        f.anadir(conZumbido());
        auto* d = abrir<DialogoLinea>(f, "quitar_ruido_linea");
        QVERIFY(d);
        // The notch: deep at 50 Hz and its harmonics, flat at the alpha.
        QVERIFY2(db(d->grafico(), 50.0) < -40.0, qPrintable(QString::number(db(d->grafico(), 50.0))));
        QVERIFY(std::abs(db(d->grafico(), 10.0)) < 0.1);
        d->frecuencia()->setCurrentIndex(2);
        QVERIFY(db(d->grafico(), 60.0) < -40.0 && std::abs(db(d->grafico(), 50.0)) < 0.1);
        d->frecuencia()->setCurrentIndex(0);
        d->aceptar();
        QCOMPARE(f.estado(), QString("eeg 1-2 LineaAuto"));
        QCOMPARE(QString::fromStdString((*f.rama(0, 1).canales)[0].prefiltrado), QString("N:50Hz"));

        // Silence shows no line: the dialog stays open and says what to do.
        f.anadir(EEG(256, 2, 2560));
        d = abrir<DialogoLinea>(f, "quitar_ruido_linea");
        d->aceptar();
        QCOMPARE(f.ramas(1), 1);
        QVERIFY2(d->mensaje()->text().contains("linea:50 o linea:60"), qPrintable(d->mensaje()->text()));
        d->close();

        f.seleccionar(0, 0);
        auto* r = abrir<DialogoRemuestreo>(f, "remuestrear");
        QCOMPARE(r->hz()->value(), 250);
        r->hz()->setValue(125);
        r->aceptar();
        QCOMPARE(f.rama(0, 2).frecuenciaMuestreo, 125);
        QCOMPARE(f.rama(0, 2).numeroMuestras, int64_t{1000});
        QVERIFY(f.estado().endsWith("Remuestreo125Hz"));
    }
};

QTEST_MAIN(PruebaDialogosLimpieza)
#include "dialogos_limpieza_test.moc"
