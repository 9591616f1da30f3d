// "aplicar MARA" in the window, on a synthetic averaged branch whose model
// files the test writes.

#include "mara/ventana/comandoMARA.h"
#include "mara/modeloMara.h"
#include "mara_modelo_prueba.h"
#include "tests/comun/ventanaPrueba.h"

using namespace prueba_mara;

namespace {
// 8 channels (7 from the training table), 17 s at 128 Hz, averaged: no event table.
EEG promediado(int64_t muestras = 128 * 17) {
    EEG eeg = registroSintetico(8, 7, 128, muestras);
    eeg.historia = " Promediado";
    return eeg;
}
}  // namespace

class PruebaMaraVentana : public QObject {
    Q_OBJECT

    std::unique_ptr<DirectorioTemporal> modelos;

    // Runs the command from the menu with the given model files (none when null).
    void aplicar(prueba::VentanaPrueba& f, const EEG* eeg, std::optional<Entrenamiento> entrenamiento) {
        modelos = std::make_unique<DirectorioTemporal>();
        fijarDirectorioModelosMara(modelos->ruta);
        if (entrenamiento) guardarModeloMara(modeloSintetico(*entrenamiento), modelos->ruta);
        if (eeg) f.anadir(*eeg);
        f.ui().aplicar_MARA->trigger();
        fijarDirectorioModelosMara(std::nullopt);
    }

private slots:
    void conservaNadaOTodo() {
        for (const Entrenamiento e : {Entrenamiento::todoArtefacto, Entrenamiento::nadaArtefacto}) {
            prueba::VentanaPrueba f;
            const EEG eeg = promediado();
            aplicar(f, &eeg, e);
            QCOMPARE(f.mensajes, (QStringList{"patterns 8 7", "8 2",
                                              e == Entrenamiento::todoArtefacto
                                                  ? "MARA quitó 8 de 8 componentes: 1, 2, 3, 4, 5, 6, 7, 8"
                                                  : "MARA no quitó ninguna de las 8 componentes"}));
            QCOMPARE(f.estado(), QString("eeg 1-2 Promediado MARA"));
            QCOMPARE(f.rama(0, 1).numeroMuestras, int64_t{128 * 17});
            // Every component an artefact: the back-projection of nothing; none: the input itself.
            const arma::mat esperado =
                e == Entrenamiento::todoArtefacto ? arma::mat(8, 128 * 17, arma::fill::zeros) : eeg.datos();
            QVERIFY(arma::approx_equal(f.rama(0, 1).datos(), esperado, "absdiff", 0.0));
        }
    }

    void rechazosSinRama() {
        prueba::VentanaPrueba f;
        aplicar(f, nullptr, Entrenamiento::todoArtefacto);
        EEG conEventos = promediado();
        conEventos.tablaEventos = std::make_shared<TablaEventos>();
        aplicar(f, &conEventos, std::nullopt);  // no model files: the averaging check comes first
        const EEG sinModelos = promediado(), corto = promediado(200);  // 1.6 s
        aplicar(f, &sinModelos, std::nullopt);
        aplicar(f, &corto, Entrenamiento::todoArtefacto);  // refused before the ICA: no "patterns"
        QCOMPARE(f.mensajes.size(), 4);
        QCOMPARE(f.mensajes[1], QString("Parece que todavia no se ha aplicado el promediado sobre los datos, se "
                                        "suspende la ejecucion de Mara"));
        // "fallo en Mara" first, then why: nothing selected, no model files, too short.
        for (int i : {0, 2, 3}) QVERIFY2(f.mensajes[i].startsWith("fallo en Mara\n\nMotivo: "), qPrintable(f.mensajes[i]));
        QVERIFY(f.mensajes[0].contains("no hay ningún eeg seleccionado"));
        QVERIFY2(f.mensajes[2].contains("no se encuentra el archivo de modelo"), qPrintable(f.mensajes[2]));
        QVERIFY2(f.mensajes[3].contains("diezmado"), qPrintable(f.mensajes[3]));
        for (int i = 0; i < 3; ++i) QCOMPARE(f.ramas(i), 1);
    }
};

QTEST_MAIN(PruebaMaraVentana)
#include "mara_ventana_test.moc"
