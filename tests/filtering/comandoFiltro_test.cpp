// The frequency filter dialog and command: the form as the user sees it, and
// the whole path from the menu action to the new branch on a synthetic
// recording, with the refusals that add nothing.
#include <QtTest>

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "filtering/GUIfiltroFrecuencial.h"
#include "filtering/filtroFrecuencial.h"
#include "ui_GUIfiltroFrecuencial.h"
#include "ui_Ondelar.h"

namespace {

const QString mensajeFallo = QString::fromUtf8(
    "Se ha producido un error en el proceso de filtrado de datos. Revise que existen datos sobre los que aplicar "
    "el filtro");

EEG registro(uint32_t canales, int64_t muestras, int32_t fs = 256) {
    EEG eeg(fs, canales, muestras);
    arma::arma_rng::set_seed(21);
    eeg.matrices.front() = arma::randn(canales, static_cast<arma::uword>(muestras));
    for (uint32_t c = 0; c < canales; ++c) (*eeg.canales)[c].etiqueta = "E" + std::to_string(c + 1);
    return eeg;
}

GUIfiltroFrecuencial* dialogoAbierto() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<GUIfiltroFrecuencial*>(w); d && d->isVisible()) return d;
    return nullptr;
}

template <class L>
void compruebaMargenes(L* l) {
    QVERIFY(l);
    QCOMPARE(l->spacing(), 6);
    int iz, ar, de, ab;
    l->getContentsMargins(&iz, &ar, &de, &ab);
    QCOMPARE(iz, 11);
    QCOMPARE(ar, 11);
    QCOMPARE(de, 11);
    QCOMPARE(ab, 11);
}

}  // namespace

class PruebaComandoFiltro : public QObject {
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
            if (qobject_cast<GUIfiltroFrecuencial*>(w)) delete w;
    }

    void formularioConSusNombresTextosYValores() {
        GUIfiltroFrecuencial d;
        QCOMPARE(d.windowTitle(), QString("GUIfiltroFrecuencial"));
        QCOMPARE(d.size(), QSize(448, 246));
        QVERIFY(d.parentWidget() == nullptr);

        auto* grid = qobject_cast<QGridLayout*>(d.layout());
        QVERIFY(grid);
        QCOMPARE(grid->objectName(), QString("gridLayout"));
        compruebaMargenes(grid);
        auto* w3 = d.findChild<QWidget*>("widget_3");
        QVERIFY(w3);
        QCOMPARE(grid->itemAtPosition(0, 0)->widget(), w3);
        QCOMPARE(grid->itemAtPosition(1, 0)->widget(), d.ui->aceptar);
        QCOMPARE(w3->layout()->objectName(), QString("horizontalLayout_2"));
        compruebaMargenes(qobject_cast<QHBoxLayout*>(w3->layout()));
        auto* w1 = d.findChild<QWidget*>("widget");
        auto* w2 = d.findChild<QWidget*>("widget_2");
        QVERIFY(w1 && w2);
        QCOMPARE(w1->parentWidget(), w3);
        QCOMPARE(w2->parentWidget(), w3);
        QCOMPARE(w1->layout()->objectName(), QString("verticalLayout"));
        QCOMPARE(w2->layout()->objectName(), QString("verticalLayout_2"));
        compruebaMargenes(qobject_cast<QVBoxLayout*>(w1->layout()));
        compruebaMargenes(qobject_cast<QVBoxLayout*>(w2->layout()));

        QCOMPARE(d.ui->aceptar->text(), QString("aceptar"));
        const struct {
            const char* nombre;
            const char* texto;
            bool marcado;
        } radios[] = {{"rbAltos", "filtro pasa altos", false},
                      {"rbBajos", "filtro pasa bajos", false},
                      {"rbBanda", "filtro pasa banda", true},
                      {"rbRechaza", "filtro rechaza banda", false}};
        for (const auto& r : radios) {
            auto* b = d.findChild<QRadioButton*>(r.nombre);
            QVERIFY2(b, r.nombre);
            QCOMPARE(b->text(), QString(r.texto));
            QCOMPARE(b->isChecked(), r.marcado);
            QCOMPARE(b->parentWidget(), w1);
            QVERIFY(b->autoExclusive());
        }
        const struct {
            const char* nombre;
            const char* texto;
        } etiquetas[] = {{"label1", "Limite inferior"}, {"label2", "Limite superior"}, {"label", "caida decibelios"}};
        for (const auto& e : etiquetas) {
            auto* l = d.findChild<QLabel*>(e.nombre);
            QVERIFY2(l, e.nombre);
            QCOMPARE(l->text(), QString(e.texto));
            QCOMPARE(l->parentWidget(), w2);
        }
        QCOMPARE(d.ui->frecInferior->value(), 1.0);
        QCOMPARE(d.ui->frecInferior->decimals(), 2);
        QCOMPARE(d.ui->frecInferior->minimum(), 0.0);
        QCOMPARE(d.ui->frecInferior->maximum(), 99.99);
        QCOMPARE(d.ui->frecInferior->singleStep(), 1.0);
        QCOMPARE(d.ui->frecSuperior->value(), 40.0);
        QCOMPARE(d.ui->frecSuperior->minimum(), 0.0);
        QCOMPARE(d.ui->frecSuperior->maximum(), 99.99);
        QCOMPARE(d.ui->caidaDecibelios->value(), 60);
        QCOMPARE(d.ui->caidaDecibelios->minimum(), 0);
        QCOMPARE(d.ui->caidaDecibelios->maximum(), 99);

        // The defaults are those of the options struct.
        const OpcionesFiltro o = d.opciones();
        const OpcionesFiltro porDefecto;
        QCOMPARE(static_cast<int>(o.tipo), static_cast<int>(porDefecto.tipo));
        QCOMPARE(o.frecInferior, porDefecto.frecInferior);
        QCOMPARE(o.frecSuperior, porDefecto.frecSuperior);
        QCOMPARE(o.caidaDecibelios, porDefecto.caidaDecibelios);
    }

    void radiosExclusivosDanElCodigoDeTipo() {
        GUIfiltroFrecuencial d;
        QCOMPARE(d.codigoTipo(), 2);
        d.ui->rbAltos->setChecked(true);
        QVERIFY(!d.ui->rbBanda->isChecked());
        QCOMPARE(d.codigoTipo(), 0);
        d.ui->rbBajos->setChecked(true);
        QCOMPARE(d.codigoTipo(), 1);
        d.ui->rbRechaza->setChecked(true);
        QCOMPARE(d.codigoTipo(), 3);
        QCOMPARE(static_cast<int>(d.opciones().tipo), 3);
    }

    void delMenuALaNuevaRamaPasaBanda() {
        Ondelar v;
        const EEG eeg = registro(3, 1000);
        v.anadirArchivo(clonarEEG(eeg));
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-1"));

        v.ui->aplicar_filtro_frecuencial->trigger();
        QCOMPARE(v.ui->labelDatos->text(), QString("triger filtro"));
        QPointer<GUIfiltroFrecuencial> d = dialogoAbierto();
        QVERIFY(d);
        QVERIFY(d->parentWidget() == nullptr);
        QCOMPARE(d->windowModality(), Qt::ApplicationModal);
        QCOMPARE(d->ventanaPrincipal(), &v);

        QTest::mouseClick(d->ui->aceptar, Qt::LeftButton);
        QVERIFY(mensajes.isEmpty());
        QVERIFY(!d || !d->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(d.isNull());  // the dialog deletes itself once closed

        QCOMPARE(v.archivosEEG.numeroRamas(0), 2);
        QCOMPARE(v.ui->indiceProcesado->currentText(), QString("2"));
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-2 BANDPASS"));
        const EEG& rama = v.archivosEEG.rama(0, 1);
        QCOMPARE(rama.historia, std::string(" BANDPASS"));
        QCOMPARE(rama.datos().n_rows, arma::uword(3));
        QCOMPARE(rama.datos().n_cols, arma::uword(1000));
        QCOMPARE((*rama.canales)[2].etiqueta, std::string("E3"));
        const EEG esperado = filtrarEEG(eeg, OpcionesFiltro{});
        QVERIFY(arma::approx_equal(rama.datos(), esperado.datos(), "absdiff", 0.0));
        // The branch filtered is untouched and shares nothing with the new one.
        QVERIFY(arma::approx_equal(v.archivosEEG.rama(0, 0).datos(), eeg.datos(), "absdiff", 0.0));
        QVERIFY(rama.canales != v.archivosEEG.rama(0, 0).canales);
    }

    void pasaAltosDesdeElDialogoEtiquetaHIGH() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(registro(2, 600)));
        v.ui->aplicar_filtro_frecuencial->trigger();
        GUIfiltroFrecuencial* d = dialogoAbierto();
        QVERIFY(d);
        d->ui->rbAltos->setChecked(true);
        d->ui->frecInferior->setValue(0.5);
        d->ui->frecSuperior->setValue(30.0);
        d->ui->caidaDecibelios->setValue(50);
        QTest::mouseClick(d->ui->aceptar, Qt::LeftButton);
        QVERIFY(mensajes.isEmpty());
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-2 HIGH"));
        const EEG esperado = filtrarEEG(v.archivosEEG.rama(0, 0), OpcionesFiltro{TipoFiltro::pasaAltos, 0.5, 30.0, 50});
        QVERIFY(arma::approx_equal(v.archivosEEG.rama(0, 1).datos(), esperado.datos(), "absdiff", 0.0));

        // Filtering the new branch again stacks the tags.
        v.aplicarFiltro(3, 48.0, 52.0, 40);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-3 HIGH BANDSTOP"));
        v.aplicarFiltro(1, 30.0, 50.0, 60);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-4 HIGH BANDSTOP LOW"));
        QVERIFY(mensajes.isEmpty());
    }

    void filtrarUnaRamaAnteriorAnadeAlFinal() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(registro(2, 400)));
        v.aplicarFiltro(2, 1.0, 40.0, 60);
        v.aplicarFiltro(2, 1.0, 40.0, 60);
        v.ui->indiceProcesado->setCurrentIndex(0);
        v.aplicarFiltro(1, 20.0, 40.0, 60);
        QCOMPARE(v.archivosEEG.numeroRamas(0), 4);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-4 LOW"));
    }

    void textosDeEstadoQuedanSiSeRechaza() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(registro(2, 400)));
        v.anadirArchivo(clonarEEG(registro(2, 400, 512)));
        v.ui->indiceArchivoEEG->setCurrentIndex(0);
        // Upper limit not above the lower: refused after the trace text, nothing added.
        v.aplicarFiltro(0, 40.0, 1.0, 60);
        QCOMPARE(v.ui->labelDatos->text(), QString("alto 1"));
        v.aplicarFiltro(1, 40.0, 1.0, 60);
        QCOMPARE(v.ui->labelDatos->text(), QString("bajo 40"));
        v.aplicarFiltro(3, 40.5, 1.25, 60);
        QCOMPARE(v.ui->labelDatos->text(), QString("notch 40.5 1.25"));
        v.aplicarFiltro(2, 40.0, 1.0, 60);
        QCOMPARE(v.ui->labelDatos->text(), QString("frecuencia 256 2 1"));
        QCOMPARE(mensajes.size(), 4);
        for (const QString& m : mensajes) {
            QVERIFY2(m.contains(QString::fromUtf8("debe ser mayor que el límite inferior")), qPrintable(m));
            QVERIFY(m != mensajeFallo);
        }
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
        QCOMPARE(v.archivosEEG.numeroRamas(1), 1);
    }

    void rechazosConMensajeEnCastellanoYSinRama() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(registro(2, 400)));
        v.aplicarFiltro(2, 1.0, 130.0, 60);  // above Nyquist (128 Hz)
        v.aplicarFiltro(2, 1.0, 40.0, 0);    // order 0
        v.aplicarFiltro(2, 0.0, 40.0, 60);   // lower limit 0
        v.aplicarFiltro(2, 1.0, 1.5, 60);    // 1397 taps for 400 samples
        v.aplicarFiltro(7, 1.0, 40.0, 60);   // no such type
        QCOMPARE(mensajes.size(), 5);
        QVERIFY(mensajes[0].contains(QString::fromUtf8("mitad de la frecuencia de muestreo")));
        QVERIFY(mensajes[1].contains(QString::fromUtf8("orden del filtro sería 0")));
        QVERIFY(mensajes[2].contains(QString::fromUtf8("mayor que 0 Hz")));
        QVERIFY(mensajes[3].contains(QString::fromUtf8("necesitaría 1397 coeficientes")));
        QVERIFY(mensajes[4].contains(QString::fromUtf8("tipo de filtro desconocido")));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
    }

    void sinRegistroMuestraElMensajeDelFiltrado() {
        Ondelar v;
        v.ui->aplicar_filtro_frecuencial->trigger();
        GUIfiltroFrecuencial* d = dialogoAbierto();
        QVERIFY(d);
        QTest::mouseClick(d->ui->aceptar, Qt::LeftButton);
        QCOMPARE(mensajes, QStringList{mensajeFallo});
        QCOMPARE(v.archivosEEG.numeroArchivos(), 0);
    }

    void ramaSinMuestrasSeRechaza() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(EEG(256, 4, 0)));
        v.aplicarFiltro(2, 1.0, 40.0, 60);
        QCOMPARE(mensajes.size(), 1);
        QVERIFY2(mensajes[0].contains(QString::fromUtf8("no tiene muestras")), qPrintable(mensajes[0]));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
    }

    void dialogoSinVentanaPrincipalSoloSeCierra() {
        auto* d = new GUIfiltroFrecuencial();
        d->setAttribute(Qt::WA_DeleteOnClose);
        d->show();
        QTest::mouseClick(d->ui->aceptar, Qt::LeftButton);
        QVERIFY(mensajes.isEmpty());
        QVERIFY(!d->isVisible());
    }
};

QTEST_MAIN(PruebaComandoFiltro)
#include "comandoFiltro_test.moc"
