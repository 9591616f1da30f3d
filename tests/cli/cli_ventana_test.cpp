// The runner and the window compute the same branch: the window's commands
// are driven with answered dialogs, the runner as a process with the same
// parameters, and the results are compared sample for sample.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <deque>
#include <optional>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "tests/cli/procesoCLI.h"

namespace {

bool iguales(const arma::mat& a, const arma::mat& b) {
    return a.n_rows == b.n_rows && a.n_cols == b.n_cols && arma::approx_equal(a, b, "absdiff", 0.0);
}

QByteArray contenido(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The row of kind tipo.1 in the averaging dialog's list of the branch.
int filaDeTipo(const EEG& eeg, int tipo) {
    for (size_t k = 0; k < eeg.tablaEventos->tipos.size(); ++k)
        if (eeg.tablaEventos->tipos[k].tipo == tipo && eeg.tablaEventos->tipos[k].calificador == 1)
            return static_cast<int>(k);
    return -1;
}

}  // namespace

class PruebaCLIVentana : public QObject {
    Q_OBJECT

    std::deque<std::optional<QString>> abrir;
    std::optional<QString> guardarEn;
    QStringList mensajes;
    QString carpetaPrevia;
    std::unique_ptr<QTemporaryDir> carpeta;

    // The window loads p300_8ch.gdf with its .CED through the loading command.
    void cargar(Ondelar& v) {
        abrir = {datoMuestra("p300_8ch.gdf"), datoMuestra("p300_8ch.ced")};
        v.cargarEEG();
        QCOMPARE(v.archivosEEG.numeroArchivos(), 1);
    }

    arma::mat runner(const QStringList& pasos, const QString& salida) {
        QStringList a = {"run", datoMuestra("p300_8ch.gdf"), "--ced", datoMuestra("p300_8ch.ced")};
        for (const QString& p : pasos) a << "--step" << p;
        a << "--out" << salida;
        const ResultadoCLI r = ejecutarCLI(a, carpeta->path());
        if (r.codigo != 0) qWarning() << r.errores;
        return salida.endsWith(".bin") ? leerBin(carpeta->filePath(salida)) : arma::mat();
    }

private slots:
    void init() {
        abrir.clear();
        guardarEn.reset();
        mensajes.clear();
        // Averaging writes its cube into the current folder, in the window and the runner alike.
        carpeta = std::make_unique<QTemporaryDir>();
        carpetaPrevia = QDir::currentPath();
        QDir::setCurrent(carpeta->path());
        interaccion::fijarRespondedorArchivoAbrir([this](const QString&, const QString&) {
            if (abrir.empty()) return std::optional<QString>();
            auto r = abrir.front();
            abrir.pop_front();
            return r;
        });
        interaccion::fijarRespondedorArchivoGuardar([this](const QString&, const QString&) { return guardarEn; });
        interaccion::fijarRespondedorMensaje([this](const QString& t) { mensajes << t; });
    }

    void cleanup() {
        interaccion::fijarRespondedorArchivoAbrir({});
        interaccion::fijarRespondedorArchivoGuardar({});
        interaccion::fijarRespondedorMensaje({});
        QDir::setCurrent(carpetaPrevia);
        carpeta.reset();
    }

    void filtroIgualQueEnLaVentana() {
        Ondelar v;
        cargar(v);
        v.aplicarFiltro(2, 1.0, 40.0, 60);
        QCOMPARE(mensajes, QStringList());
        QCOMPARE(v.archivosEEG.numeroRamas(0), 2);
        QVERIFY(iguales(runner({"filtro:BANDPASS,1,40,60"}, "f.bin"), v.eegSeleccionado().datos()));

        v.aplicarFiltro(3, 8.0, 12.0, 40);  // band-stop, over the filtered branch
        QVERIFY(iguales(runner({"filtro:BANDPASS,1,40,60", "filtro:BANDSTOP,8,12,40"}, "g.bin"),
                        v.eegSeleccionado().datos()));
    }

    void asrIgualQueEnLaVentana() {
        Ondelar v;
        cargar(v);
        v.aplicarASR(5, 0.075, -3.5, 5.5);
        QCOMPARE(mensajes, QStringList());
        QCOMPARE(v.archivosEEG.numeroRamas(0), 2);
        QVERIFY(iguales(runner({"asr"}, "a.bin"), v.eegSeleccionado().datos()));
        v.aplicarASR(3, 0.2, -4.0, 7.25);
        QVERIFY(iguales(runner({"asr", "asr:3,0.2,-4,7.25"}, "b.bin"), v.eegSeleccionado().datos()));
    }

    void carYPromediadoIgualQueEnLaVentana() {
        Ondelar v;
        cargar(v);
        v.lanzarCAR();
        QVERIFY(iguales(runner({"car"}, "c.bin"), v.eegSeleccionado().datos()));

        const EEG& car = v.eegSeleccionado();
        v.aplicarPromediado({filaDeTipo(car, 3), filaDeTipo(car, 7)}, 100.0, 600.0);
        QCOMPARE(mensajes, QStringList());
        QCOMPARE(v.archivosEEG.numeroRamas(0), 3);
        QVERIFY(iguales(runner({"car", "promediado:3.1+7.1,100,600"}, "p.bin"), v.eegSeleccionado().datos()));
        // One cube file per averaging run, the window's and the runner's.
        QCOMPARE(QDir(carpeta->path()).entryList({"Promediado-*.bin"}, QDir::Files).size(), 2);
    }

    // The branch saved from the window is the file the runner writes, byte for byte.
    void guardarDesdeLaVentanaIgualQueElEjecutor() {
        Ondelar v;
        cargar(v);
        v.aplicarFiltro(0, 0.5, 30.0, 60);
        v.aplicarPromediado({filaDeTipo(v.eegSeleccionado(), 1)}, 200.0, 500.0);
        for (const char* ext : {"gdf", "csv", "bin"}) {
            guardarEn = carpeta->filePath(QString("ventana.") + ext);
            v.guardarRamaSeleccionada();
            QCOMPARE(mensajes, QStringList());
            runner({"filtro:HIGH,0.5,30,60", "promediado:1.1,200,500"}, QString("ejecutor.") + ext);
            const QByteArray a = contenido(*guardarEn);
            QVERIFY(!a.isEmpty());
            QVERIFY2(a == contenido(carpeta->filePath(QString("ejecutor.") + ext)), ext);
        }
    }
};

QTEST_MAIN(PruebaCLIVentana)
#include "cli_ventana_test.moc"
