// The ASR dialog and the whole command, from the menu action to the new branch.

#include <QtTest>

#include <QDoubleSpinBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "asr/GuiASR.h"
#include "ui_GuiASR.h"
#include "ui_Ondelar.h"

namespace {

// 4 channels, 40 s at 128 Hz of mixed noise with a burst of large artefacts.
EEG registroSintetico(int64_t muestras = 40 * 128) {
    EEG e(128, 4, muestras);
    arma::arma_rng::set_seed(21);
    const arma::mat mezcla = arma::randn(4, 4) + 2 * arma::eye(4, 4);
    e.matrices[0] = 10 * mezcla * arma::randn(4, static_cast<arma::uword>(muestras));
    if (muestras > 30 * 128) e.matrices[0].cols(20 * 128, 22 * 128).rows(0, 1) += 400 * arma::randn(2, 2 * 128 + 1);
    return e;
}

GuiASR* dialogoAbierto() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<GuiASR*>(w); d && d->isVisible()) return d;
    return nullptr;
}

}  // namespace

class PruebaComandoASR : public QObject {
    Q_OBJECT

    QStringList mensajes;

private slots:
    void init() {
        mensajes.clear();
        interaccion::fijarRespondedorMensaje([this](const QString& t) { mensajes << t; });
    }
    void cleanup() {
        interaccion::fijarRespondedorMensaje({});
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<GuiASR*>(w)) delete w;
    }

    void formularioDelDialogo() {
        GuiASR g;
        QCOMPARE(g.windowTitle(), QString("GuiASR"));
        QCOMPARE(g.objectName(), QString("GuiASR"));
        QCOMPARE(g.size(), QSize(173, 260));
        QVERIFY(g.parentWidget() == nullptr);

        auto* vertical = qobject_cast<QVBoxLayout*>(g.layout());
        QVERIFY(vertical);
        QCOMPARE(vertical->objectName(), QString("verticalLayout"));
        QCOMPARE(vertical->spacing(), 6);
        QCOMPARE(vertical->contentsMargins(), QMargins(11, 11, 11, 11));
        QCOMPARE(vertical->count(), 2);
        QCOMPARE(vertical->itemAt(0)->widget(), static_cast<QWidget*>(g.ui->frame));
        QCOMPARE(vertical->itemAt(1)->widget(), static_cast<QWidget*>(g.ui->aceptar));
        QCOMPARE(g.ui->frame->frameShape(), QFrame::StyledPanel);
        QCOMPARE(g.ui->frame->frameShadow(), QFrame::Raised);

        QGridLayout* rejilla = g.ui->gridLayout;
        QCOMPARE(rejilla->objectName(), QString("gridLayout"));
        QCOMPARE(rejilla->spacing(), 6);
        QCOMPARE(rejilla->contentsMargins(), QMargins(11, 11, 11, 11));
        const QList<QWidget*> filas = {g.ui->label,   g.ui->burstCritic, g.ui->label_2, g.ui->maxBadChan,
                                       g.ui->label_3, g.ui->tolInf,      g.ui->label_4, g.ui->tolSup};
        for (int fila = 0; fila < filas.size(); ++fila)
            QCOMPARE(rejilla->itemAtPosition(fila, 0)->widget(), filas[fila]);

        QCOMPARE(g.ui->label->text(), QString("burst_crit"));
        QCOMPARE(g.ui->label_2->text(), QString("maxbadChan"));
        QCOMPARE(g.ui->label_3->text(), QString("tolerancia inferior"));
        QCOMPARE(g.ui->label_4->text(), QString("tolerancia superior"));
        QCOMPARE(g.ui->aceptar->text(), QString("aceptar"));

        QCOMPARE(g.ui->burstCritic->minimum(), 0);
        QCOMPARE(g.ui->burstCritic->maximum(), 99);
        QCOMPARE(g.ui->burstCritic->value(), 5);

        QCOMPARE(g.ui->maxBadChan->decimals(), 3);
        QCOMPARE(g.ui->maxBadChan->minimum(), 0.0);
        QCOMPARE(g.ui->maxBadChan->maximum(), 1.0);
        QCOMPARE(g.ui->maxBadChan->singleStep(), 0.001);
        QCOMPARE(g.ui->maxBadChan->value(), 0.075);

        QCOMPARE(g.ui->tolInf->decimals(), 2);
        QCOMPARE(g.ui->tolInf->minimum(), -10.0);
        QCOMPARE(g.ui->tolInf->maximum(), 2.0);
        QCOMPARE(g.ui->tolInf->singleStep(), 0.1);
        QCOMPARE(g.ui->tolInf->value(), -3.5);

        QCOMPARE(g.ui->tolSup->decimals(), 2);
        QCOMPARE(g.ui->tolSup->minimum(), 2.0);
        QCOMPARE(g.ui->tolSup->maximum(), 50.0);
        QCOMPARE(g.ui->tolSup->singleStep(), 0.1);
        QCOMPARE(g.ui->tolSup->value(), 5.5);
    }

    // Pressing aceptar untouched hands the defaults to the command.
    void valoresPorDefecto() {
        GuiASR g;
        const OpcionesASR o = g.opciones();
        QCOMPARE(o.burstCritic, 5);
        QCOMPARE(o.maxBadChan, 0.075);
        QCOMPARE(o.tolInf, -3.5);
        QCOMPARE(o.tolSup, 5.5);
        g.ui->burstCritic->setValue(7);
        g.ui->tolSup->setValue(60.0);  // clipped to the range
        QCOMPARE(g.opciones().burstCritic, 7);
        QCOMPARE(g.opciones().tolSup, 50.0);
    }

    void delMenuALaRamaNueva() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(registroSintetico()));
        const arma::mat antes = v.eegSeleccionado().datos();

        v.ui->aplicar_ASR->trigger();
        QCOMPARE(v.ui->labelDatos->text(), QString("triger ASR"));
        QPointer<GuiASR> dialogo = dialogoAbierto();
        QVERIFY(dialogo);
        QVERIFY(dialogo->parentWidget() == nullptr);
        QCOMPARE(dialogo->windowModality(), Qt::ApplicationModal);
        QVERIFY(dialogo->ventanaPrincipal == &v);

        QTest::mouseClick(dialogo->ui->aceptar, Qt::LeftButton);
        QVERIFY2(mensajes.isEmpty(), qPrintable(mensajes.join(" | ")));
        QVERIFY(!dialogo || !dialogo->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!dialogo);  // closed dialogs do not pile up

        QCOMPARE(v.archivosEEG.numeroRamas(0), 2);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-2 ASR"));
        QCOMPARE(v.ui->indiceProcesado->currentText(), QString("2"));
        const EEG& asr = v.archivosEEG.rama(0, 1);
        QCOMPARE(asr.historia, std::string(" ASR"));
        QCOMPARE(asr.numeroCanales, 4u);
        QCOMPARE(asr.numeroMuestras, int64_t(40 * 128));
        QCOMPARE(asr.datos().n_rows, arma::uword(4));
        QCOMPARE(asr.datos().n_cols, arma::uword(40 * 128));
        QVERIFY(asr.datos().is_finite());
        // The input branch is untouched.
        QVERIFY(arma::approx_equal(v.archivosEEG.rama(0, 0).datos(), antes, "absdiff", 0.0));
        QCOMPARE(v.archivosEEG.rama(0, 0).historia, std::string());
    }

    void sinRegistroAvisaYNoAnade() {
        Ondelar v;
        v.aplicarASR(5, 0.075, -3.5, 5.5);
        QCOMPARE(mensajes.size(), 2);
        QCOMPARE(mensajes[0], QString("Revise los datos sobre los que esta intentando aplicar ASR."));
        QVERIFY(!mensajes[1].isEmpty());
        QCOMPARE(v.archivosEEG.numeroArchivos(), 0);
        QCOMPARE(v.ui->labelDatos->text(), QString("triger ASR"));
    }

    // 4 channels at 128 Hz: wl = 0.5 s, P = 32 samples.
    void registroCortoSeRechaza() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(registroSintetico(32)));
        v.aplicarASR(5, 0.075, -3.5, 5.5);
        QCOMPARE(mensajes, QStringList({"Revise los datos sobre los que esta intentando aplicar ASR.",
                                        "El registro es demasiado corto para ASR: tiene 32 muestras por canal y "
                                        "necesita más de 32."}));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
    }
};

QTEST_MAIN(PruebaComandoASR)
#include "comando_asr_test.moc"
