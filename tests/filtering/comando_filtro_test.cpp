// The frequency filter dialog and command, from the menu action to the new
// branch, with the refusals that add nothing.

#include "filtering/ventana/GUIfiltroFrecuencial.h"
#include "filtering/filtroFrecuencial.h"
#include "tests/comun/ventanaPrueba.h"
#include "ui_GUIfiltroFrecuencial.h"

using namespace prueba;

namespace {
EEG registro(uint32_t canales, int64_t muestras, int32_t fs = 256) {
    EEG eeg(fs, canales, muestras);
    arma::arma_rng::set_seed(21);
    eeg.matrices[0] = arma::randn(canales, muestras);
    return eeg;
}
}  // namespace

class PruebaComandoFiltro : public QObject {
    Q_OBJECT
private slots:
    void delMenuALaNuevaRama() {
        VentanaPrueba f;
        f.ui().aplicar_filtro_frecuencial->trigger();  // nothing loaded
        QTest::mouseClick(abierta<GUIfiltroFrecuencial>()->ui->aceptar, Qt::LeftButton);
        QCOMPARE(f.mensajes, QStringList{"Se ha producido un error en el proceso de filtrado de datos. Revise que "
                                         "existen datos sobre los que aplicar el filtro\n\nMotivo: no hay ningún eeg "
                                         "seleccionado"});
        f.mensajes.clear();
        const EEG eeg = registro(3, 3000);
        f.anadir(eeg);
        f.ui().aplicar_filtro_frecuencial->trigger();
        QPointer<GUIfiltroFrecuencial> d = abierta<GUIfiltroFrecuencial>();
        QVERIFY(d);
        QCOMPARE(d->windowModality(), Qt::ApplicationModal);
        QVERIFY(d->ui->rbBanda->isChecked() && std::make_tuple(d->ui->frecInferior->value(), d->ui->frecSuperior->value(),
                                                               d->ui->caidaDecibelios->value()) == std::make_tuple(1.0, 40.0, 60));
        QTest::mouseClick(d->ui->aceptar, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(d.isNull());  // the dialog deletes itself once closed
        QCOMPARE(f.estado(), QString("eeg 1-2 BANDPASS"));
        QVERIFY(arma::approx_equal(f.rama(0, 1).datos(), filtrarEEG(eeg, OpcionesFiltro{}).datos(), "absdiff", 0.0));
        QVERIFY(arma::approx_equal(f.rama(0, 0).datos(), eeg.datos(), "absdiff", 0.0));

        // High-pass from the dialog; filtering again stacks the tags; an earlier
        // branch's result goes to the end.
        f.ui().aplicar_filtro_frecuencial->trigger();
        d = abierta<GUIfiltroFrecuencial>();
        d->ui->rbAltos->setChecked(true);
        d->ui->frecInferior->setValue(0.5);
        d->ui->caidaDecibelios->setValue(50);
        QTest::mouseClick(d->ui->aceptar, Qt::LeftButton);
        QCOMPARE(f.estado(), QString("eeg 1-3 BANDPASS HIGH"));
        QVERIFY(arma::approx_equal(f.rama(0, 2).datos(),
                                   filtrarEEG(f.rama(0, 1), OpcionesFiltro{TipoFiltro::pasaAltos, 0.5, 40, 50}).datos(),
                                   "absdiff", 0.0));
        f->aplicarFiltro(OpcionesFiltro{TipoFiltro::rechazaBanda, 48.0, 52.0, 40});
        QCOMPARE(f.estado(), QString("eeg 1-4 BANDPASS HIGH BANDSTOP"));
        f.seleccionar(0, 0);
        f->aplicarFiltro(OpcionesFiltro{TipoFiltro::pasaBajos, 20.0, 40.0, 60});
        QCOMPARE(f.estado(), QString("eeg 1-5 LOW"));
        QCOMPARE(f.mensajes, QStringList());
    }

    void rechazosConMensajeYSinRama() {
        VentanaPrueba f;
        f.anadir(EEG(256, 4, 0));
        f.anadir(registro(2, 400));
        const struct {
            int tipo;
            double inf, sup;
            int db;
            const char* mensaje;
        } casos[] = {
            // The design's own refusals: tests/filtering/filtro_frecuencial_test.cpp.
            {3, 40.5, 1.25, 60, "debe ser mayor que el límite inferior"},
            {2, 1, 1.5, 60, "necesitaría 1397 coeficientes"},  // longer than this branch
        };
        for (const auto& c : casos) {
            f.mensajes.clear();
            f->aplicarFiltro(OpcionesFiltro{static_cast<TipoFiltro>(c.tipo), c.inf, c.sup, c.db});
            QCOMPARE(f.mensajes.size(), 1);
            QVERIFY2(f.mensajes[0].contains(QString::fromUtf8(c.mensaje)), qPrintable(f.mensajes[0]));
        }
        QCOMPARE(f.ramas(1), 1);
        f.seleccionar(0, 0);
        f->aplicarFiltro(OpcionesFiltro{TipoFiltro::pasaBanda, 1.0, 40.0, 60});
        QVERIFY(f.mensajes.back().contains("no tiene muestras"));
        QCOMPARE(f.ramas(0), 1);
        // A dialog without a main window only closes.
        auto* d = new GUIfiltroFrecuencial();
        d->setAttribute(Qt::WA_DeleteOnClose);
        d->show();
        QTest::mouseClick(d->ui->aceptar, Qt::LeftButton);
        QVERIFY(!d->isVisible());
    }
};

QTEST_MAIN(PruebaComandoFiltro)
#include "comando_filtro_test.moc"
