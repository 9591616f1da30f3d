// The ASR dialog and the whole command, from the menu action to the new branch.

#include "asr/ventana/GuiASR.h"
#include "tests/comun/ventanaPrueba.h"
#include "ui_GuiASR.h"

using namespace prueba;

namespace {
// 4 channels at 128 Hz of mixed noise; 40 s long with a burst of large artefacts.
EEG registro(int64_t muestras) {
    EEG e(128, 4, muestras);
    arma::arma_rng::set_seed(21);
    e.matrices[0] = 10 * (arma::randn(4, 4) + 2 * arma::eye(4, 4)) * arma::randn(4, muestras);
    if (muestras > 30 * 128) e.matrices[0].submat(0, 20 * 128, 1, 22 * 128) += 400 * arma::randn(2, 2 * 128 + 1);
    return e;
}
const QString revise = "Revise los datos sobre los que esta intentando aplicar ASR.";
}  // namespace

class PruebaComandoASR : public QObject {
    Q_OBJECT
private slots:
    void delMenuALaRamaNueva() {
        VentanaPrueba f;
        f->aplicarASR(OpcionesASR{});  // nothing loaded: one message, the reason after it
        QCOMPARE(f.mensajes, QStringList{revise + "\n\nMotivo: no hay ningún eeg seleccionado"});
        f.mensajes.clear();
        f.anadir(registro(40 * 128));
        f.ui().aplicar_ASR->trigger();
        QPointer<GuiASR> g = abierta<GuiASR>();
        QVERIFY(g);
        QCOMPARE(g->windowModality(), Qt::ApplicationModal);
        const OpcionesASR o = g->opciones();
        QVERIFY(std::tie(o.burstCritic, o.maxBadChan, o.tolInf, o.tolSup) == std::make_tuple(5, 0.075, -3.5, 5.5));

        QTest::mouseClick(g->ui->aceptar, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!g);  // closed dialogs do not pile up
        QCOMPARE(f.mensajes, QStringList());
        QCOMPARE(f.estado(), QString("eeg 1-2 ASR"));
        const EEG& asr = f.rama(0, 1);
        QCOMPARE(arma::size(asr.datos()), arma::size(4, 40 * 128));
        // The burst is damped, the input branch untouched.
        const auto potencia = [](const EEG& e) { return arma::accu(arma::square(e.datos().cols(20 * 128, 22 * 128))); };
        QVERIFY(potencia(asr) < 0.1 * potencia(f.rama(0, 0)));
        QVERIFY(arma::approx_equal(f.rama(0, 0).datos(), registro(40 * 128).datos(), "absdiff", 0.0));

        // 4 channels at 128 Hz: P = 32 samples.
        f.anadir(registro(32));
        f->aplicarASR(OpcionesASR{});
        QCOMPARE(f.mensajes, QStringList({revise + "\n\nMotivo: El registro es demasiado corto para ASR: tiene 32 "
                                                   "muestras por canal y necesita más de 32."}));
        QCOMPARE(f.ramas(1), 1);
    }

    // The dialog's fields allow both tolerances at 2; the runner refuses that
    // pair, and the window now refuses it with the same check.
    void laVentanaValidaComoElEjecutor() {
        VentanaPrueba f;
        f.anadir(registro(40 * 128));
        f.ui().aplicar_ASR->trigger();
        GuiASR* g = abierta<GuiASR>();
        QVERIFY(g);
        g->ui->tolInf->setValue(2.0);
        g->ui->tolSup->setValue(2.0);
        QTest::mouseClick(g->ui->aceptar, Qt::LeftButton);
        QCOMPARE(f.mensajes.size(), 1);
        QVERIFY2(f.mensajes[0].startsWith(revise + "\n\nMotivo: ASR: tolInf (2) debe ser menor que tolSup (2)"),
                 qPrintable(f.mensajes[0]));
        QCOMPARE(f.ramas(0), 1);
    }
};

QTEST_MAIN(PruebaComandoASR)
#include "comando_asr_test.moc"
