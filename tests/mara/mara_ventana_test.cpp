#include <QtTest>

#include <memory>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "mara/aplicarMara.h"
#include "mara/comandoMARA.h"
#include "mara_modelo_prueba.h"
#include "ui_Ondelar.h"

using namespace prueba_mara;

class PruebaMaraVentana : public QObject {
    Q_OBJECT

    QStringList mensajes;
    std::unique_ptr<DirectorioTemporal> dir;

    // An averaged branch: 8 channels (7 from the training table) of 17 s at 128 Hz,
    // stored as recording 1, branch 1, with the averaging tag.
    void cargarPromediado(Ondelar& v, bool conEventos = false) {
        auto eeg = std::make_unique<EEG>(registroSintetico(8, 7, 128, 128 * 17));
        eeg->historia = " Promediado";
        if (conEventos) eeg->tablaEventos = std::make_shared<TablaEventos>();
        v.anadirArchivo(std::move(eeg));
    }

    void usarModelo(Entrenamiento tipo) { guardarModeloMara(modeloSintetico(tipo), dir->ruta); }

private slots:
    void init() {
        mensajes.clear();
        dir = std::make_unique<DirectorioTemporal>();
        fijarDirectorioModelosMara(dir->ruta);
        interaccion::fijarRespondedorMensaje([this](const QString& t) { mensajes << t; });
    }
    void cleanup() {
        interaccion::fijarRespondedorMensaje({});
        fijarDirectorioModelosMara(std::nullopt);
        dir.reset();
    }

    void todoArtefactoAnadeLaRamaDeNadaConservado() {
        Ondelar v;
        cargarPromediado(v);
        usarModelo(Entrenamiento::todoArtefacto);
        v.ui->aplicar_MARA->trigger();
        QCOMPARE(mensajes, (QStringList{"patterns 8 7", "8 2"}));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 2);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-2 Promediado MARA"));
        const EEG& r = v.eegSeleccionado();
        QCOMPARE(r.numeroCanales, 8u);
        QCOMPARE(r.numeroMuestras, int64_t{128 * 17});
        QCOMPARE(r.datos().n_rows, arma::uword{8});
        QCOMPARE(r.datos().n_cols, arma::uword{128 * 17});
        QCOMPARE(arma::abs(r.datos()).max(), 0.0);
    }

    void ningunArtefactoCopiaLaEntrada() {
        Ondelar v;
        cargarPromediado(v);
        usarModelo(Entrenamiento::nadaArtefacto);
        v.ui->aplicar_MARA->trigger();
        QCOMPARE(mensajes, (QStringList{"patterns 8 7", "8 2"}));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 2);
        QCOMPARE(QString::fromStdString(v.archivosEEG.rama(0, 1).historia), QString(" Promediado MARA"));
        QVERIFY(arma::approx_equal(v.archivosEEG.rama(0, 1).datos(), v.archivosEEG.rama(0, 0).datos(), "absdiff", 0.0));
        QCOMPARE(v.archivosEEG.rama(0, 1).numeroMuestras, v.archivosEEG.rama(0, 0).numeroMuestras);
    }

    void conTablaDeEventosSoloAvisaDelPromediado() {
        Ondelar v;
        cargarPromediado(v, true);
        // No model files: reading them would fail with "fallo en Mara" instead.
        v.ui->aplicar_MARA->trigger();
        QCOMPARE(mensajes, (QStringList{"Parece que todavia no se ha aplicado el promediado sobre los datos, se suspende "
                                        "la ejecucion de Mara"}));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
        QCOMPARE(v.ui->labelDatos->text(), QString("triger Mara"));
    }

    void sinModelosFallaSinAnadirRama() {
        Ondelar v;
        cargarPromediado(v);
        v.ui->aplicar_MARA->trigger();
        QCOMPARE(mensajes, (QStringList{"fallo en Mara"}));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
        QCOMPARE(v.ui->labelDatos->text(), QString("triger Mara"));
    }

    void registroDemasiadoCortoFallaAntesDeLaICA() {
        Ondelar v;
        auto eeg = std::make_unique<EEG>(registroSintetico(8, 7, 128, 200));  // 1.6 s
        v.anadirArchivo(std::move(eeg));
        usarModelo(Entrenamiento::todoArtefacto);
        v.ui->aplicar_MARA->trigger();
        QCOMPARE(mensajes, (QStringList{"fallo en Mara"}));  // no "patterns" message: nothing ran
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
    }

    void sinRegistroFalla() {
        Ondelar v;
        v.ui->aplicar_MARA->trigger();
        QCOMPARE(mensajes, (QStringList{"fallo en Mara"}));
        QCOMPARE(v.archivosEEG.numeroArchivos(), 0);
    }

    void aplicarMaraRechazaTablaDeEventosSinLeerModelos() {
        EEG eeg = registroSintetico(8, 7, 128, 128 * 17);
        eeg.tablaEventos = std::make_shared<TablaEventos>();
        OpcionesMara o;
        o.directorioModelos = dir->ruta / "no_existe";
        try {
            aplicarMara(eeg, o);
            QFAIL("debería rechazarse");
        } catch (const std::invalid_argument& e) {
            QCOMPARE(QString(e.what()), QString(textoMaraSinPromediado));
        }
    }

    void aplicarMaraConSemillaEsReproducible() {
        usarModelo(Entrenamiento::nadaArtefacto);
        const EEG eeg = registroSintetico(8, 7, 128, 128 * 17);
        OpcionesMara o;
        o.directorioModelos = dir->ruta;
        o.semilla = 9;
        QStringList avisos;
        o.avisar = [&avisos](const std::string& t) { avisos << QString::fromStdString(t); };
        const EEG a = aplicarMara(eeg, o);
        const EEG b = aplicarMara(eeg, o);
        QVERIFY(arma::approx_equal(a.datos(), b.datos(), "absdiff", 0.0));
        QCOMPARE(avisos, (QStringList{"patterns 8 7", "8 2", "patterns 8 7", "8 2"}));
    }
};

QTEST_MAIN(PruebaMaraVentana)
#include "mara_ventana_test.moc"
