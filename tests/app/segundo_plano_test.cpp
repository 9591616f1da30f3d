// Long steps run away from the GUI thread: the window keeps painting, shows
// a progress dialog, and "Cancelar" leaves everything as it was.

#include <QElapsedTimer>
#include <QProgressDialog>
#include <QTimer>

#include "app/pasoVentana.h"
#include "asr/ContextoASR.h"
#include "asr/ejecutarASR.h"
#include "tests/app/pulsoHiloGui.h"
#include "tests/comun/ventanaPrueba.h"

using namespace prueba;

namespace {

// 64 channels of seeded noise with a few bursts: enough work for ASR to take
// a while, the same every run.
EEG registroLargo(int64_t muestras = 250 * 120) {
    EEG eeg(250, 64, muestras);
    arma::arma_rng::set_seed(17);
    eeg.matrices[0] = 10.0 * arma::randn<arma::mat>(64, static_cast<arma::uword>(muestras));
    if (muestras > 5400) eeg.matrices[0].cols(5000, 5400) *= 20.0;
    for (uint32_t c = 0; c < 64; ++c) (*eeg.canales)[c].etiqueta = "E" + std::to_string(c + 1);
    eeg.sujeto = "sujeto";
    return eeg;
}

QProgressDialog* dialogoProgreso(Ondelar* v) { return v->findChild<QProgressDialog*>("dialogoProgreso"); }

const Paso pasoASR{"ASR", "fallo", [](const EEG& e, AvisosPaso&, const Avance& a) {
                              return ejecutarASR(e, OpcionesASR{}, a);
                          }};

}  // namespace

class PruebaSegundoPlano : public QObject {
    Q_OBJECT
private slots:
    void init() { Ondelar::retardoDialogoProgreso = 0; }
    void cleanup() { Ondelar::retardoDialogoProgreso = 400; }

    // The ASR command: the GUI thread never works for 100 ms at a stretch and
    // the progress dialog names each stage as it runs (the short selection of
    // clean windows is checked in the core). The whole gap also holds the machine's lateness in waking
    // the thread, so here, under the sanitizers on two shared cores, its
    // bound is looser; bench/app measures it on a quiet machine. About one run
    // in twenty on such a machine charged the GUI thread 100 ms in one gap
    // that no instrumented rerun showed again, so a step that misses the
    // bounds runs once more: work moved onto the GUI thread misses them every time.
    void elTemporizadorSigueLatiendoYElDialogoNombraCadaEtapa() {
        QStringList intentos;
        for (int intento = 0; intento < 2; ++intento) {
            VentanaPrueba f;
            f.anadir(registroLargo());
            Pulso pulso;
            QVector<int> valores;
            QStringList etiquetas;
            pulso.enCadaTick = [&] {
                if (QProgressDialog* d = dialogoProgreso(f.v.get()); d && d->isVisible()) {
                    if (valores.isEmpty() || valores.back() != d->value()) valores << d->value();
                    if (etiquetas.isEmpty() || etiquetas.back() != d->labelText()) etiquetas << d->labelText();
                }
            };
            f->aplicarASR(OpcionesASR{});
            QCOMPARE(f.ramas(), 2);
            QVERIFY(pulso.ticks > 10);
            // The dialog appeared and its value only grew.
            QVERIFY(valores.size() >= 2);
            QVERIFY(std::is_sorted(valores.begin(), valores.end()));
            // Each stage after the one before. The drift is removed again
            // after calibrating; its first pass may fall between two polls.
            int anterior = -1;
            for (const QString& etapa : {"ASR: calibrando", "ASR: eliminando la deriva", "ASR: procesando"}) {
                const int i = etiquetas.indexOf(etapa, anterior + 1);
                QVERIFY2(i > anterior, qPrintable(etapa + " en " + etiquetas.join(" | ")));
                anterior = i;
            }
            QCOMPARE(f.mensajes, QStringList());
            intentos << QString("hueco %1 ms, trabajo %2 ms").arg(pulso.mayorHueco).arg(pulso.mayorTrabajo);
            qInfo("%s", qPrintable(intentos.back()));
            if (pulso.mayorTrabajo < 100 && pulso.mayorHueco < 500) return;
        }
        QFAIL(qPrintable(intentos.join("; ")));
    }

    // While a step runs the commands are off and a second step does nothing;
    // "Cancelar" leaves everything as it was.
    void cancelarDejaAlmacenYCarpetaComoEstaban() {
        VentanaPrueba f;
        f.anadir(registroLargo());
        f.ramaEtiquetada("CAR");
        const QStringList archivos = f.archivosEnCarpeta();
        const QStringList archivosSel = textos(f.ui().indiceArchivoEEG), ramasSel = textos(f.ui().indiceProcesado);
        const QString estado = f.estado();
        const int pestanas = f.ui().panelTabs->count();
        bool apagados = false;
        QTimer::singleShot(0, [&] {
            apagados = !f.ui().aplicar_ASR->isEnabled() && !f.ui().indiceArchivoEEG->isEnabled() &&
                       !f.ui().borrar_datos_seleccionados->isEnabled();
            QVERIFY(!f->ejecutarPaso({"CAR", "fallo", [](const EEG& e, AvisosPaso&, const Avance&) { return e; }}));
            f->cancelarTrabajo();
        });
        QVERIFY(!f->ejecutarPaso(pasoASR));
        QVERIFY(apagados);
        QCOMPARE(f.ramas(), 2);
        QCOMPARE(f.archivosEnCarpeta(), archivos);
        QCOMPARE(textos(f.ui().indiceArchivoEEG), archivosSel);
        QCOMPARE(textos(f.ui().indiceProcesado), ramasSel);
        QCOMPARE(f.ui().indiceProcesado->currentIndex(), 1);
        QCOMPARE(f.estado(), estado);
        QCOMPARE(f.ui().panelTabs->count(), pestanas);
        QCOMPARE(f.mensajes, QStringList());  // a cancellation is not a failure to report
        // The commands are back on.
        QVERIFY(f.ui().aplicar_ASR->isEnabled());
        QVERIFY(f.ui().indiceProcesado->isEnabled());
    }

    // Closing during a step asks; on yes the step stops and the window closes.
    void cerrarDuranteUnPasoPreguntaYCancela() {
        VentanaPrueba f;
        f.anadir(registroLargo());
        f.v->show();
        bool seguiaAbierta = false;
        QTimer::singleShot(0, [&] {
            f.si = false;
            f.v->close();
            seguiaAbierta = f.v->isVisible();
            f.si = true;
            f.v->close();
        });
        QVERIFY(!f->ejecutarPaso(pasoASR));
        QVERIFY(seguiaAbierta);
        QCOMPARE(f.preguntas.size(), 2);
        QVERIFY(f.preguntas.front().contains("paso en curso"));
        QTRY_VERIFY(!f.v->isVisible());
        QCOMPARE(f.ramas(), 1);
    }

    // A failure of the worker is shown by the GUI thread, after the step's notes.
    void avisosYFalloLlegaEnOrden() {
        VentanaPrueba f;
        f.anadir(registroLargo(250 * 10));
        QVERIFY(!f->ejecutarPaso({"X", "fallo del paso", [](const EEG&, AvisosPaso& avisos, const Avance&) -> EEG {
                                      avisos.push_back("primero");
                                      avisos.push_back("segundo");
                                      throw std::runtime_error("motivo");
                                  }}));
        QCOMPARE(f.mensajes, (QStringList{"primero", "segundo", "fallo del paso\n\nMotivo: motivo"}));
    }
};

QTEST_MAIN(PruebaSegundoPlano)
#include "segundo_plano_test.moc"
