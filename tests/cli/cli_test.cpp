// The headless runner driven as a user would: arguments in, exit code,
// standard output, standard error and files out. Results are checked against
// the core functions the window's commands call.

#include <QtTest>

#include <filesystem>

#include "asr/ejecutarASR.h"
#include "averaging/car.h"
#include "averaging/epocas.h"
#include "averaging/promediado.h"
#include "averaging/referencia.h"
#include "canales/deteccionCanales.h"
#include "canales/interpolacionEsferica.h"
#include "io/guardarRama.h"
#include "dsp/remuestreoEEG.h"
#include "filtering/lineaElectrica.h"
#include "filtering/filtroFrecuencial.h"
#include "io/cargarRegistro.h"
#include "mara/activacionesICA.h"
#include "io/archivoICA.h"
#include "mara/aplicarMara.h"
#include "mara/quitarComponentes.h"
#include "pasos/catalogoPasos.h"
#include "mara/modeloMara.h"
#include "tests/cli/procesoCLI.h"
#include "tests/io/archivosPrueba.h"
#include "tests/mara/mara_modelo_prueba.h"

namespace {

const QString datos = QStringLiteral(ONDELAR_RAIZ "/../shared/data/");
const QStringList etiquetasP300 = {"Fz", "Cz", "P3", "Pz", "P4", "PO7", "Oz", "PO8"};

EEG cargar(const char* registro, const char* ced = nullptr) {
    return ced ? cargarRegistro((datos + registro).toStdString(), (datos + ced).toStdString())
               : cargarRegistro((datos + registro).toStdString());
}

QJsonObject leerJSON(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}

// `registro` may carry options after a blank: "p300_8ch.gdf --malos Cz".
QJsonObject informe(const QString& registro, const QString& ced = {}) {
    const QStringList trozos = registro.split(' ');
    QStringList a = QStringList{"info", datos + trozos[0]} + trozos.mid(1);
    if (!ced.isEmpty()) a << "--ced" << datos + ced;
    const ResultadoCLI r = ejecutarCLI(a);
    if (r.codigo != 0) return {};
    for (const QByteArray& l : r.lineasError())
        if (!l.startsWith("ondelar-cli: aviso: ")) return {};
    return QJsonDocument::fromJson(r.salida).object();
}

QStringList etiquetas(const QJsonObject& j) {
    QStringList l;
    for (const QJsonValue& c : j["canales"].toArray()) l << c.toObject()["etiqueta"].toString();
    return l;
}

// The averaged branch the runner's "promediado:..." step gives, computed here.
EEG promedio(const EEG& eeg, std::vector<int> tipos, int msPrev, int msPost, const QString& carpeta) {
    std::vector<int> filas;
    for (int t : tipos)
        for (size_t k = 0; k < eeg.tablaEventos->tipos.size(); ++k)
            if (eeg.tablaEventos->tipos[k].tipo == t) filas.push_back(int(k));
    DestinoCubo destino;
    destino.directorio = carpeta.toStdString();
    return promediarEventos(eeg, parametrosDeFilas(*eeg.tablaEventos, filas, msPrev, msPost), destino).promedio;
}

}  // namespace

class PruebaCLI : public QObject {
    Q_OBJECT

    QTemporaryDir t;

    arma::mat correr(const QString& registro, const QStringList& pasos, const QStringList& extra = {},
                     const QString& salida = "r.bin") {
        return correrCLI(t.path(), datos + registro, pasos, extra, salida);
    }

private slots:
    void ayudaEInfo() {
        const ResultadoCLI ayuda = ejecutarCLI({"--help"});
        QCOMPARE(ayuda.codigo, 0);
        QVERIFY(ayuda.salida.startsWith("Uso:"));
        for (const char* t : {"info REGISTRO", "run REGISTRO", "--seed", ".gdf", ".csv", ".bin"}) QVERIFY2(ayuda.salida.contains(t), t);

        // The catalogue of steps: every step in the help and in the JSON the
        // study workflow reads, with an example that the runner accepts.
        const ResultadoCLI pasos = ejecutarCLI({"pasos", "--json"});
        QCOMPARE(pasos.codigo, 0);
        const QJsonArray catalogo = QJsonDocument::fromJson(pasos.salida).array();
        QCOMPARE(catalogo.size(), int(catalogoPasos().size()));
        for (const QJsonValue& v : catalogo) {
            const QJsonObject e = v.toObject();
            QVERIFY(e["multiploMemoria"].toInt() >= 2);
            QVERIFY2(ayuda.salida.contains(e["sintaxis"].toString().toUtf8()), qPrintable(e["sintaxis"].toString()));
            const QString ejemplo = e["ejemplo"].toString();
            QVERIFY(ejemplo.startsWith(e["nombre"].toString()));
            // A malformed step is refused with exit 2 before the recording is read.
            const ResultadoCLI r = ejecutarCLI({"run", "/no/existe.gdf", "--step", ejemplo, "--out", "/no/existe.csv"});
            QVERIFY2(!r.errores.contains("paso \""), qPrintable(ejemplo + ": " + r.errores));
        }
        QCOMPARE(ejecutarCLI({"pasos", "--otra"}).codigo, 2);

        const QJsonObject gdf = informe("p300_8ch.gdf", "p300_8ch.ced");
        QCOMPARE(gdf["frecuenciaMuestreo"].toInt(), 256);
        QCOMPARE(gdf["muestras"].toInt(), 56840);
        QCOMPARE(etiquetas(gdf), etiquetasP300);
        QCOMPARE(gdf["canales"].toArray()[7].toObject()["localizacion"].toArray().size(), 3);
        const QJsonObject eventos = gdf["eventos"].toObject();
        QCOMPARE(eventos["total"].toInt(), 720);
        QCOMPARE(eventos["tipos"].toArray().size(), 12);
        for (const QJsonValue& k : eventos["tipos"].toArray()) {
            QCOMPARE(k.toObject()["cuenta"].toInt(), 60);
            QCOMPARE(k.toObject()["nombre"].toString(), QString("%1.1").arg(k.toObject()["tipo"].toInt()));
        }
        QCOMPARE(eventos["tipos"].toArray()[0].toObject()["tipo"].toInt(), 6);  // in order of appearance
        // The start field as stored, and as ISO 8601.
        const QJsonObject cabecera = gdf["cabecera"].toObject();
        QCOMPARE(cabecera["fechaRegistro"].toString(), QString("2009030511562400"));
        QCOMPARE(cabecera["fechaHora"].toString(), QString("2009-03-05T11:56:24"));
        // Without --ced, labels of the 10-05 table get its positions: those of the .ced file.
        const QJsonObject sinCED = informe("p300_8ch.gdf");
        for (int c = 0; c < 8; ++c)
            for (int k = 0; k < 3; ++k)
                QCOMPARE(sinCED["canales"].toArray()[c].toObject()["localizacion"].toArray()[k].toDouble(),
                         gdf["canales"].toArray()[c].toObject()["localizacion"].toArray()[k].toDouble());

        // --eventos replaces the file's 720 events: 2 s at 256 Hz is sample 512,
        // "objetivo" the kind 1.1 by its value, "otro" numbered after it (2.1).
        {
            const prueba::CarpetaTemporal t;
            const std::string tabla = t.escribir("x_events.tsv", std::string("onset\tduration\tvalue\ttrial_type\n"
                                                                            "2\tn/a\t1\tobjetivo\n3\t0.5\tn/a\totro\n"
                                                                            "9999\tn/a\tn/a\totro\n"));
            const ResultadoCLI r = ejecutarCLI({"info", datos + "p300_8ch.gdf", "--eventos", QString::fromStdString(tabla)});
            QCOMPARE(r.codigo, 0);
            QVERIFY2(r.errores.contains("1 evento(s)"), r.errores.constData());
            const QJsonObject eventos = QJsonDocument::fromJson(r.salida).object()["eventos"].toObject();
            QCOMPARE(eventos["total"].toInt(), 2);
            QCOMPARE(eventos["tipos"].toArray()[0].toObject()["nombre"].toString(), QString("1.1 (objetivo)"));
            QCOMPARE(eventos["tipos"].toArray()[1].toObject()["nombre"].toString(), QString("2.1 (otro)"));
        }

        // The .dat file's StimulusCode state gives the GDF's 720 events.
        QCOMPARE(informe("p300_8ch.dat")["eventos"].toObject()["total"].toInt(), 720);
        const QJsonObject motor = informe("motor_64ch.dat", "motor_64ch.ced");
        QCOMPARE(motor["frecuenciaMuestreo"].toInt(), 160);
        QCOMPARE(motor["muestras"].toInt(), 19696);
        QCOMPARE(etiquetas(motor).back(), QString("Iz"));
    }

    // With no step the recording is written as read: a format conversion.
    // EDF+, BDF and BrainVision in keep their kinds' texts in `info`; GDF, EDF+
    // and BDF+ out read back with the events.
    void convierteFormatos() {
        const EEG leido = cargar("p300_8ch.gdf", "p300_8ch.ced");
        for (const char* ext : {"bin", "csv", "gdf", "edf", "bdf"}) {
            const QString salida = t.filePath(QString("p300.") + ext);
            const ResultadoCLI r =
                ejecutarCLI({"run", datos + "p300_8ch.gdf", "--ced", datos + "p300_8ch.ced", "--out", salida});
            QCOMPARE(r.codigo, 0);
            QCOMPARE(r.lineasError(), QList<QByteArray>({"guardado " + salida.toUtf8()}));
            if (QByteArray("bin csv").contains(ext)) continue;
            const EEG releido = cargarRegistro(salida.toStdString());
            QCOMPARE(releido.numeroMuestras, leido.numeroMuestras);
            QCOMPARE(releido.frecuenciaMuestreo, 256);
            QVERIFY2(prueba::eventosDistintos(releido, leido).empty(), ext);
            // The first kind keeps its number (EDF+ renumbers it "1.1 (6.1)").
            QCOMPARE(QString::fromStdString(nombreTipo(*releido.tablaEventos, releido.tablaEventos->tipos[0])),
                     QString("6.1"));
        }
        QVERIFY(iguales(leerBin(t.filePath("p300.bin")), leido.datos()));
        // The GDF as float32: values below 623 µV keep 24 bits, 4e-5 µV at
        // worst, far below the file's 0.019 µV step.
        const EEG gdf = cargarRegistro(t.filePath("p300.gdf").toStdString());
        QVERIFY(iguales(gdf.datos(), leido.datos(), 4e-5));
        QCOMPARE(QString::fromStdString((*gdf.canales)[7].etiqueta).trimmed(), QString("PO8"));
        // The CSV's layout and precision: tests/io/guardar_rama_test and the window's save.
        // Each reader's header fields and dates: tests/io. Here the kinds' texts reach `info`.
        QCOMPARE(informe("formatos/edfplus_139ch.edf")["eventos"].toObject()["tipos"].toArray()[1].toObject()["nombre"].toString(),
                 QString("2.1 (type A)"));
        QVERIFY(informe("formatos/test_NO.vhdr")["cabecera"].toObject()["fechaHora"].isNull());  // New Segment dated all zeros
    }

    void pasosComoEnElNucleo() {
        const EEG dat = cargar("p300_8ch.dat"), gdf = cargar("p300_8ch.gdf");
        const ResultadoCLI car =
            ejecutarCLI({"run", datos + "p300_8ch.gdf", "--step", "car", "--out", t.filePath("c.bin")});
        // Without --ced the runner says the recording keeps its own labels.
        QVERIFY(car.lineasError()[0].startsWith("ondelar-cli: aviso: Sin archivo de localizaciones"));
        QVERIFY(car.lineasError()[1].startsWith("paso car: ") && car.lineasError()[1].endsWith(" s"));
        QVERIFY(iguales(leerBin(t.filePath("c.bin")), aplicarCAR(gdf).datos()));

        // Steps chain in order; the filter type in any letter case.
        QVERIFY(iguales(correr("p300_8ch.dat", {"filtro:BANDPASS,1,40,60", "car"}),
                        aplicarCAR(filtrarEEG(dat, OpcionesFiltro{TipoFiltro::pasaBanda, 1, 40, 60})).datos()));
        QVERIFY(iguales(correr("p300_8ch.dat", {"filtro:low,1,30,40"}),
                        filtrarEEG(dat, OpcionesFiltro{TipoFiltro::pasaBajos, 1, 30, 40}).datos()));
        // With --detalle the filter says its length.
        const ResultadoCLI detalle = ejecutarCLI({"run", datos + "p300_8ch.dat", "--step", "filtro:BANDPASS,1,40,60",
                                                  "--out", t.filePath("d.bin"), "--detalle"});
        QCOMPARE(detalle.codigo, 0);
        QVERIFY2(detalle.errores.contains("filtro BANDPASS 1-40 Hz: 699 coeficientes (2.73 s), fase cero"),
                 detalle.errores.constData());

        // Averaging writes its cube into the current folder, as the window does.
        const arma::mat p = correr("p300_8ch.gdf", {"promediado:1.1+2.1,100,600.9"});
        QVERIFY(iguales(p, promedio(gdf, {1, 2}, 100, 600, t.path()).datos()));
        QCOMPARE(QDir(t.path()).entryList({"Promediado-*.bin"}).size(), 2);
        // A run that fails after averaging removes the cube it wrote: the
        // averaged branch (180 samples) is too short for a 0.5 Hz high-pass.
        QTemporaryDir fallo;
        const ResultadoCLI r = ejecutarCLI({"run", datos + "p300_8ch.gdf", "--step", "promediado:1.1,100,600", "--step",
                                            "filtro:HIGH,0.5,40,60", "--out", "x.bin"},
                                           fallo.path());
        QCOMPARE(r.codigo, 1);
        QVERIFY2(r.errores.contains("coeficientes"), r.errores.constData());
        QCOMPARE(QDir(fallo.path()).entryList(QDir::Files).size(), 0);

        // Epochs, baseline, rejection and an average per kind, as the core
        // computes them; the rejection report goes beside the output.
        {
            std::vector<std::string> avisos;
            const EEG base = restarLineaBase(cortarEpocas(gdf, {{1, 1}, {2, 1}}, 200, 800, avisos), -200, 0);
            OpcionesRechazo o;
            o.picoAPico = 2000;
            o.probabilidad = 5;
            const auto marcas = marcarEpocas(base, o);
            std::vector<bool> quitar;
            for (const auto& m : marcas) quitar.push_back(!m.empty());
            const EEG esperado = promediarPorTipo(quitarEpocas(base, quitar), {{1, 1}, {2, 1}});
            const ResultadoCLI e = ejecutarCLI({"run", datos + "p300_8ch.gdf", "--step", "epocas:1.1+2.1,200,800",
                                                "--step", "linea-base:-200,0", "--step", "rechazo:pp=2000,prob=5",
                                                "--step", "promediado:1.1+2.1", "--out", t.filePath("e.bin")});
            QCOMPARE(e.codigo, 0);
            QVERIFY(iguales(leerBin(t.filePath("e.bin")), esperado.datos()));
            QFile informe(t.filePath("e.bin.rechazo.csv"));
            QVERIFY(informe.open(QIODevice::ReadOnly));
            QCOMPARE(QString(informe.readAll()), QString::fromStdString(informeRechazoCSV(base, marcas)));
            // ASR refuses an epoched branch, with a reason the user can act on.
            const ResultadoCLI asr = ejecutarCLI({"run", datos + "p300_8ch.gdf", "--step", "epocas:1.1,200,800",
                                                  "--step", "asr", "--out", t.filePath("a.bin")});
            QCOMPARE(asr.codigo, 1);
            QVERIFY2(asr.errores.contains("dividida en épocas"), asr.errores.constData());
        }

        // ASR with the dialog's defaults (their text: tests/pasos), and with others.
        const arma::mat porDefecto = ejecutarASR(dat, OpcionesASR{}).datos();
        QVERIFY(iguales(correr("p300_8ch.dat", {"asr"}), porDefecto, 1e-9));
        const arma::mat otros = correr("p300_8ch.dat", {"asr:3,0.2,-4,7.25"});
        QVERIFY(iguales(otros, ejecutarASR(dat, OpcionesASR{3, 0.2, -4, 7.25}).datos(), 1e-9));
        QVERIFY(!iguales(otros, porDefecto, 1e-6));
    }

    // The cleaning chain on the BDF sample (500 Hz, 3 EEG channels, 50 Hz hum):
    // the numbers are the core's, events move to the new rate, and the EDF+
    // written says in each channel's prefiltering what was done to it.
    void cadenaDeLimpieza() {
        const EEG bdf = cargar("formatos/bdf_4ch_status.bdf");
        const EEG a256 = remuestrearEEG(bdf, 256);
        QCOMPARE(detectarFrecuenciaLinea(a256.datos(), 256), 50);
        const EEG esperado = rereferenciar(quitarRuidoLinea(a256, 50), {}, "media");
        const QStringList cadena = {"remuestreo:256", "linea:auto", "referencia:media"};
        QVERIFY(iguales(correr("formatos/bdf_4ch_status.bdf", cadena), esperado.datos()));
        // With the bad-channel steps and ASR after them, on the same sample.
        // ASR's default maxBadChan (7.5 %) lets no channel of three be bad in a
        // calibration window: after this chain only 231 samples stay clean,
        // too few for its fit (the same without the bad-channel steps), so
        // ASR here allows one channel of three.
        const QStringList larga = {"remuestreo:256", "linea:auto", "canales-malos", "interpolar", "referencia:media",
                                   "asr:5,0.34,-3.5,5.5"};
        QVERIFY(!correr("formatos/bdf_4ch_status.bdf", larga, {"--procedencia", t.filePath("larga.json")}).is_empty());
        const QJsonObject p = leerJSON(t.filePath("larga.json"));
        QCOMPARE(p["estado"].toString(), QString("completado"));
        QVERIFY(p["canalesMalos"].isArray());
        QCOMPARE(p["tiempos"].toArray().size(), larga.size());
        for (const QJsonValue& v : p["tiempos"].toArray()) QVERIFY(v.toObject()["canalesMalos"].isArray());

        QStringList argumentos = {"run", datos + "formatos/bdf_4ch_status.bdf"};
        for (const QString& p : cadena) argumentos << "--step" << p;
        const ResultadoCLI r = ejecutarCLI(argumentos << "--out" << t.filePath("limpio.edf"));
        QCOMPARE(r.codigo, 0);
        QVERIFY2(r.errores.contains("el espectro apunta a 50 Hz"), r.errores.constData());
        const EEG edf = cargarRegistro(t.filePath("limpio.edf").toStdString());
        QCOMPARE(edf.frecuenciaMuestreo, 256);
        QCOMPARE(edf.numeroMuestras, esperado.numeroMuestras);
        QVERIFY2(QString::fromStdString((*edf.canales)[0].prefiltrado).endsWith("N:50Hz Ref:media"),
                 (*edf.canales)[0].prefiltrado.c_str());
        QCOMPARE((*edf.canales)[0].unidad, (*bdf.canales)[0].unidad);
        QVERIFY(edf.tieneEventos());
        QCOMPARE(edf.tablaEventos->eventos.size(), bdf.tablaEventos->eventos.size());
        for (size_t i = 0; i < edf.tablaEventos->eventos.size(); ++i)
            QCOMPARE(edf.tablaEventos->eventos[i].posicion, esperado.tablaEventos->eventos[i].posicion);
    }

    // --malos on the recording read: in info's JSON, left out of the average
    // reference, and in the provenance.
    void canalesMalos() {
        QCOMPARE(informe("p300_8ch.gdf --malos Pz,Cz")["canalesMalos"].toArray(), QJsonArray({"Pz", "Cz"}));
        EEG gdf = cargar("p300_8ch.gdf");
        gdf.canalesMalos = {"Cz"};
        QVERIFY(iguales(correr("p300_8ch.gdf", {"referencia:media"}, {"--malos", "Cz", "--procedencia", t.filePath("p.json")}),
                        rereferenciar(gdf, {}, "media").datos(), 1e-9));
        QCOMPARE(leerJSON(t.filePath("p.json"))["canalesMalos"].toArray(), QJsonArray({"Cz"}));
    }

    // A recording with one planted fault per rule, written as GDF: the runner
    // finds the four, the provenance lists them after canales-malos and none
    // after interpolar, and the branch is the core's.
    void cadenaDeCanalesMalos() {
        EEG motor = cargar("motor_64ch.dat", "motor_64ch.ced");
        arma::mat& X = motor.matrices[0];
        const arma::uword n = X.n_cols;
        const arma::rowvec s = arma::regspace<arma::rowvec>(0, n - 1) / 160.0;
        X.row(5).fill(12.5);
        X.row(20) += 50.0 * arma::sin(2 * M_PI * 50.0 * s);
        arma::arma_rng::set_seed(11);
        X.row(33) = 400.0 * s / s(n - 1) + arma::randn<arma::rowvec>(n);
        X.row(50) = 30.0 * arma::randn<arma::rowvec>(n);
        const QString fallos = t.filePath("fallos.gdf");
        guardarRama(motor, fallos.toStdString());
        const EEG leido = cargarRegistro(fallos.toStdString(), (datos + "motor_64ch.ced").toStdString());
        const DeteccionCanales d = detectarCanalesMalos(leido);
        QCOMPARE(d.marcados(), (std::vector<arma::uword>{5, 20, 33, 50}));
        std::vector<std::string> notas;
        const EEG esperado = interpolarCanalesMalos(conCanalesDetectados(leido, d), notas);

        const QStringList a = {"run", fallos, "--ced", datos + "motor_64ch.ced", "--step", "canales-malos", "--step",
                               "interpolar", "--out", t.filePath("m.bin"), "--procedencia", t.filePath("m.json"),
                               "--detalle"};
        const ResultadoCLI r = ejecutarCLI(a);
        QCOMPARE(r.codigo, 0);
        QVERIFY(iguales(leerBin(t.filePath("m.bin")), esperado.datos(), 1e-9));
        QVERIFY2(r.errores.contains("ondelar-cli: aviso: canales-malos: marcados " +
                                    QString::fromStdString((*leido.canales)[5].etiqueta).toUtf8() + " (plano"),
                 r.errores.constData());
        QVERIFY2(r.errores.contains("reglas"), r.errores.constData());  // the table, with --detalle
        const QJsonArray tiempos = leerJSON(t.filePath("m.json"))["tiempos"].toArray();
        QJsonArray marcados;
        for (const arma::uword i : d.marcados()) marcados.append(QString::fromStdString((*leido.canales)[i].etiqueta));
        QCOMPARE(tiempos[0].toObject()["canalesMalos"].toArray(), marcados);
        QCOMPARE(tiempos[1].toObject()["canalesMalos"].toArray(), QJsonArray());
    }

    // Activations, one row per component, equal to this process's with the
    // same --seed; an averaged branch has no events, so its GDF has an empty table.
    void pasosICAYMARA() {
        const EEG gdf = cargar("p300_8ch.gdf", "p300_8ch.ced");
        const QStringList ica = {"promediado:1.1,100,600", "ica"};
        const arma::mat a = correr("p300_8ch.gdf", ica, {"--seed", "7"});
        const EEG esperado = activacionesICA(promedio(gdf, {1}, 100, 600, t.path()), 7u);
        QVERIFY(arma::approx_equal(a, esperado.datos(), "reldiff", 1e-9));
        correr("p300_8ch.gdf", ica, {"--seed", "7"}, "ica.gdf");
        // The decomposition beside the output replays a choice of components:
        // ica:ARCHIVO then quitar-componentes equals removing them here.
        const DescomposicionICA d = leerDescomposicion(t.filePath("ica.gdf.ica").toStdString());
        QVERIFY(arma::all(arma::vectorise(d.pesos == esperado.descomposicion->pesos)));
        const arma::mat sin25 = correr("p300_8ch.gdf", {"promediado:1.1,100,600", "ica:" + t.filePath("ica.gdf.ica"),
                                                          "quitar-componentes:5,2"});
        QVERIFY(iguales(sin25, quitarComponentes(esperado, {2, 5}).datos(), 1e-9));
        const EEG leido = cargarRegistro(t.filePath("ica.gdf").toStdString());
        QCOMPARE(QString::fromStdString((*leido.canales)[7].etiqueta).trimmed(), QString("IC8"));
        QVERIFY(!leido.tieneEventos() || leido.tablaEventos->eventos.empty());

        // MARA with a small model set of its own (--modelos), and the same call here.
        const std::filesystem::path modelos = t.filePath("modelos").toStdString();
        std::filesystem::create_directory(modelos);
        guardarModeloMara(prueba_mara::modeloSintetico(prueba_mara::Entrenamiento::todoArtefacto), modelos);
        const QStringList mara = {"promediado:1.1+2.1,1000,2000", "mara"};
        const arma::mat limpio =
            correr("p300_8ch.gdf", mara, {"--ced", datos + "p300_8ch.ced", "--seed", "3", "--modelos", t.filePath("modelos"),
                                          "--procedencia", t.filePath("mara.json")});
        OpcionesMara o;
        o.directorioModelos = modelos;
        o.semilla = 3;
        QVERIFY(iguales(limpio, aplicarMara(promedio(gdf, {1, 2}, 1000, 2000, t.path()), o).datos(), 1e-9));
        QCOMPARE(limpio.n_cols, arma::uword{256 + 1 + 512});
        // Its vote in the provenance: every component removed by this model, each with its probability.
        QFile f(t.filePath("mara.json"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonObject voto = QJsonDocument::fromJson(f.readAll()).object()["mara"].toObject();
        QCOMPARE(voto["componentes"].toInt(), 8);
        QCOMPARE(voto["quitadas"].toArray().size(), 8);
        QCOMPARE(voto["porComponente"].toArray().size(), 8);
        QVERIFY(voto["porComponente"].toArray()[0].toObject()["probabilidadArtefacto"].toDouble() > 0.5);
    }

    // Every kind of bad input: a non-zero code, nothing on standard output, one
    // error line last on standard error (after the lines of the steps that ran),
    // and no output file nor temporary. The texts of the cleaning steps'
    // refusals are checked in tests/pasos. "@e/" is a folder of prepared inputs,
    // "@s/" the empty output folder; the runner runs in "@e".
    void entradasMalas() {
        QTemporaryDir s;
        const prueba::CarpetaTemporal e;
        e.escribir("corrupto.gdf", std::string("esto no es un GDF"));
        e.escribir("registro.edf", std::string("0       "));
        e.escribir("registro.vmrk", std::string("Brain Vision"));
        e.escribir("version2.gdf", "GDF 2.60" + std::string(248, '\0'));
        e.escribir("corto.ced", std::string("Number\tlabels\ttype\ttheta\tradius\tX\tY\tZ\n1\tFz\t\t0\t0.25\t60\t0\t60\n"));
        e.escribir("malo_events.tsv", std::string("onset\ttrial_type\n1.5\ta\ndos\tb\n"));
        const struct {
            const char *argumentos, *contiene;
            int codigo;
        } casos[] = {
            {"", "falta la orden", 2},
            {"convertir $gdf", "orden desconocida", 2},
            {"run $gdf --salida x.bin", "--salida", 2},
            {"info", "falta el archivo de registro", 2},
            {"info $gdf $dat", "sobra el argumento", 2},
            {"run $gdf --step car", "falta --out", 2},
            {"run $gdf --out", "falta el valor de --out", 2},
            {"info $gdf --step car", "--step", 2},
            {"run $gdf --out @s/x.txt", ".gdf, .csv, .bin, .edf o .bdf", 2},
            {"run $gdf --out @s/no/existe/x.bin", "no existe la carpeta", 1},
            {"info @e/nada.gdf", "no existe o no se puede abrir", 1},
            {"info @e/registro.vmrk", "extensión", 1},
            {"info @e/registro.edf", "demasiado corto", 1},
            {"run @e/corrupto.gdf --out @s/x.bin", "no es un archivo GDF", 1},
            {"info @e/version2.gdf", "versión 2", 1},
            {"info $gdf --ced @e/nada.ced", "localizaciones", 1},
            {"run $gdf --ced @e/corto.ced --out @s/x.bin", "solo describe", 1},
            {"info $gdf --ced a.ced --ced b.ced", "más de una vez", 2},
            {"run $gdf --eventos @e/malo_events.tsv --out @s/x.bin", "línea 3: la columna onset tiene «dos»", 1},
            {"info $gdf --eventos @e/nada_events.tsv", "no se puede abrir la tabla de eventos", 1},
            {"info $gdf --eventos", "falta el valor de --eventos", 2},
            {"run $gdf --step wavelet --out @s/x.bin", "paso \"wavelet\": paso desconocido", 2},
            {"run $gdf --step car:1 --out @s/x.bin", "no lleva parámetros", 2},
            {"run $gdf --step filtro:NOTCH,1,40,60 --out @s/x.bin", "NOTCH", 2},
            {"run $gdf --step filtro --out @s/x.bin", "filtro:TIPO,INF,SUP,DB", 2},
            {"run $gdf --step filtro:LOW,1,4o,60 --out @s/x.bin", "\"4o\"", 2},
            {"run $gdf --step filtro:LOW,1,40,60.5 --out @s/x.bin", "\"60.5\"", 2},
            {"run $gdf --step car --step filtro:LOW,0,40,60 --out @s/x.bin",
             "paso \"filtro:LOW,0,40,60\": el límite inferior", 1},
            {"run $gdf --step promediado:99.1,100,600 --out @s/x.bin", "99.1", 1},
            {"run $gdf --step promediado:1,100,600 --out @s/x.bin", "TIPO.CALIFICADOR", 2},
            {"run $gdf --step promediado:1.1,-100,600 --out @s/x.bin", "negativos", 2},
            {"run $gdf --step promediado:1.1,15000,600 --out @s/x.bin", "promediado", 1},
            {"run $gdf --step promediado:1.1,100,600 --step promediado:1.1,100,600 --out @s/x.bin", "no tiene eventos", 1},
            {"run $gdf --step car --step quitar-componentes:1 --out @s/x.bin", "no es de componentes de ICA", 1},
            {"run $gdf --step ica:@e/no.ica --out @s/x.bin", "no se puede abrir la descomposición ICA", 2},
            {"run $gdf --step mara --out @s/x.bin", "se suspende la ejecucion de Mara", 1},
            {"run $gdf --step asr:5,0.075 --out @s/x.bin", "asr:BURST,MAXBAD,TOLINF,TOLSUP", 2},
            {"run $gdf --step asr:5.5,0.075,-3.5,5.5 --out @s/x.bin", "\"5.5\"", 2},
            {"run $gdf --step asr:5,1.5,-3.5,5.5 --out @s/x.bin", "maxBadChan = 1.5", 2},
            {"run $gdf --step asr:5,0.075,-3.5,60 --out @s/x.bin", "tolSup = 60", 2},
            {"run $gdf --seed -1 --out @s/x.bin", "--seed", 2},
            {"run $gdf --malos Cz,M1 --out @s/x.bin", "--malos: la rama no tiene el canal \"M1\"", 2},
            {"info $gdf --malos Cz,,Pz", "--malos necesita etiquetas", 2},
            {"run $gdf --malos Fz,Cz,P3,Pz,P4,PO7 --step interpolar --out @s/x.bin", "al menos 3 canales buenos", 1},
            {"run $gdf --malos Fz,Cz,P3 --step referencia:Fz+P3 --out @s/x.bin", "marcados como malos", 1},
            {"run $gdf --step remuestreo:100 --step linea:50 --out @s/x.bin", "no cabe una muesca a 50 Hz", 1},
            {"run $gdf --out @s/x.bin --espectro-inicial @s/x.txt", "debe ser .csv", 2},
            {"info $gdf --espectro-inicial @s/x.csv", "--espectro-inicial", 2},
        };
        for (const auto& c : casos) {
            QString texto = QString::fromUtf8(c.argumentos);
            texto.replace("$gdf", datos + "p300_8ch.gdf").replace("$dat", datos + "p300_8ch.dat");
            texto.replace("@e", QString::fromStdString(e.ruta())).replace("@s", s.path());
            const ResultadoCLI r = ejecutarCLI(texto.split(' ', Qt::SkipEmptyParts), QString::fromStdString(e.ruta()));
            const QList<QByteArray> lineas = r.lineasError();
            const QByteArray ultima = lineas.value(lineas.size() - 1);
            QVERIFY2(r.codigo == c.codigo && r.salida.isEmpty(), c.argumentos);
            QVERIFY2(ultima.startsWith("ondelar-cli: error: ") && ultima.contains(c.contiene), ultima.constData());
            for (int i = 0; i + 1 < lineas.size(); ++i)
                QVERIFY2(lineas[i].startsWith("paso ") || lineas[i].startsWith("ondelar-cli: aviso: "),
                         lineas[i].constData());
            QVERIFY2(QDir(s.path()).entryList(QDir::Files | QDir::Hidden).isEmpty(), c.argumentos);
        }
        // A failure never damages an existing output file.
        QFile previo(s.filePath("previo.gdf"));
        QVERIFY(previo.open(QIODevice::WriteOnly) && previo.write("contenido previo") > 0);
        previo.close();
        const QStringList fallido = {"run", datos + "p300_8ch.gdf", "--step", "filtro:LOW,0,40,60", "--out", previo.fileName()};
        QCOMPARE(ejecutarCLI(fallido).codigo, 1);
        QCOMPARE(QDir(s.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"previo.gdf"});
        QVERIFY(previo.open(QIODevice::ReadOnly));
        QCOMPARE(previo.readAll(), QByteArray("contenido previo"));
    }
};

QTEST_GUILESS_MAIN(PruebaCLI)
#include "cli_test.moc"
