// The headless runner driven as a user would: arguments in, exit code,
// standard output, standard error and files out. Results are checked against
// the core functions the window's commands call.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "asr/ejecutarASR.h"
#include "averaging/car.h"
#include "averaging/promediado.h"
#include "filtering/filtroFrecuencial.h"
#include "io/cargarRegistro.h"
#include "mara/activacionesICA.h"
#include "mara/aplicarMara.h"
#include "mara/modeloMara.h"
#include "tests/cli/procesoCLI.h"
#include "tests/mara/mara_modelo_prueba.h"

namespace {

const QStringList etiquetasP300 = {"Fz", "Cz", "P3", "Pz", "P4", "PO7", "Oz", "PO8"};

std::string ruta(const char* nombre) { return datoMuestra(nombre).toStdString(); }

QJsonObject informe(const QStringList& argumentos) {
    const ResultadoCLI r = ejecutarCLI(argumentos);
    if (r.codigo != 0 || !r.errores.isEmpty()) {
        qWarning() << "codigo" << r.codigo << r.errores;
        return {};
    }
    QJsonParseError e;
    const QJsonDocument d = QJsonDocument::fromJson(r.salida, &e);
    if (e.error != QJsonParseError::NoError) qWarning() << e.errorString() << r.salida.left(200);
    return d.object();
}

QStringList etiquetas(const QJsonObject& j) {
    QStringList l;
    for (const QJsonValue& c : j["canales"].toArray()) l << c.toObject()["etiqueta"].toString();
    return l;
}

// Files left in a folder, temporaries included.
QStringList archivos(const QString& carpeta) { return QDir(carpeta).entryList(QDir::Files | QDir::Hidden); }

bool iguales(const arma::mat& a, const arma::mat& b) {
    return a.n_rows == b.n_rows && a.n_cols == b.n_cols && arma::approx_equal(a, b, "absdiff", 0.0);
}

}  // namespace

class PruebaCLI : public QObject {
    Q_OBJECT

    // A failed run: non-zero code, nothing on standard output, one error line
    // last on standard error (only the progress lines and notes of the steps
    // that ran before it), and no output file or temporary in the output folder.
    void comprobarFallo(const ResultadoCLI& r, const QString& carpeta, const char* contiene, int codigo = -1) {
        QVERIFY2(r.codigo > 0, qPrintable(QString("codigo %1").arg(r.codigo)));
        if (codigo >= 0) QCOMPARE(r.codigo, codigo);
        QCOMPARE(r.salida, QByteArray());
        const QList<QByteArray> lineas = r.lineasError();
        QVERIFY2(!lineas.isEmpty(), "sin mensaje de error");
        QVERIFY2(lineas.back().startsWith("ondelar-cli: error: "), lineas.back().constData());
        QVERIFY2(lineas.back().contains(contiene), lineas.back().constData());
        for (int i = 0; i + 1 < lineas.size(); ++i)
            QVERIFY2(lineas[i].startsWith("paso ") || lineas[i].startsWith("ondelar-cli: aviso: "), lineas[i].constData());
        if (!carpeta.isEmpty()) QCOMPARE(archivos(carpeta), QStringList());
    }

private slots:
    void initTestCase() { QVERIFY(QFile::exists(QStringLiteral(ONDELAR_CLI))); }

    void ayudaEnEspanol() {
        const ResultadoCLI r = ejecutarCLI({"--help"});
        QCOMPARE(r.codigo, 0);
        QVERIFY(r.salida.startsWith("Uso:"));
        for (const char* t : {"info REGISTRO", "run REGISTRO", "filtro:TIPO,INF,SUP,DB", "promediado:TIPOS,MSPREV,MSPOST",
                              "asr[:BURST,MAXBAD,TOLINF,TOLSUP]", "ica", "mara", "--seed", ".gdf", ".csv", ".bin"})
            QVERIFY2(r.salida.contains(t), t);
        QCOMPARE(r.errores, QByteArray());
    }

    void infoGdfConCed() {
        const QJsonObject j = informe({"info", datoMuestra("p300_8ch.gdf"), "--ced", datoMuestra("p300_8ch.ced")});
        QCOMPARE(j["frecuenciaMuestreo"].toInt(), 256);
        QCOMPARE(j["muestras"].toInt(), 56840);
        QCOMPARE(j["numeroCanales"].toInt(), 8);
        QCOMPARE(etiquetas(j), etiquetasP300);
        for (const QJsonValue& c : j["canales"].toArray()) QCOMPARE(c.toObject()["localizacion"].toArray().size(), 3);
        const QJsonObject eventos = j["eventos"].toObject();
        QCOMPARE(eventos["modo"].toInt(), 1);
        QCOMPARE(eventos["total"].toInt(), 720);
        const QJsonArray tipos = eventos["tipos"].toArray();
        QCOMPARE(tipos.size(), 12);
        QSet<int> vistos;
        for (const QJsonValue& t : tipos) {
            const QJsonObject o = t.toObject();
            QCOMPARE(o["cuenta"].toInt(), 60);
            QCOMPARE(o["calificador"].toInt(), 1);
            QCOMPARE(o["nombre"].toString(), QString("%1.1").arg(o["tipo"].toInt()));
            vistos << o["tipo"].toInt();
        }
        QCOMPARE(vistos.size(), 12);
        QCOMPARE(*std::min_element(vistos.begin(), vistos.end()), 1);
        QCOMPARE(*std::max_element(vistos.begin(), vistos.end()), 12);
        QCOMPARE(tipos[0].toObject()["tipo"].toInt(), 6);  // kinds in order of first appearance
        QVERIFY(j["cabecera"].isObject());
        QVERIFY(j["archivo"].toString().endsWith("p300_8ch.gdf"));
    }

    void infoGdfSinCed() {
        const QJsonObject j = informe({"info", datoMuestra("p300_8ch.gdf")});
        QCOMPARE(etiquetas(j), etiquetasP300);  // the file's own labels, without padding
        for (const QJsonValue& c : j["canales"].toArray()) QVERIFY(c.toObject()["localizacion"].isNull());
        QCOMPARE(j["eventos"].toObject()["total"].toInt(), 720);
    }

    void infoDatConYSinCed() {
        const QJsonObject conCed = informe({"info", datoMuestra("p300_8ch.dat"), "--ced", datoMuestra("p300_8ch.ced")});
        QCOMPARE(conCed["frecuenciaMuestreo"].toInt(), 256);
        QCOMPARE(conCed["muestras"].toInt(), 56840);
        QCOMPARE(etiquetas(conCed), etiquetasP300);
        QVERIFY(conCed["eventos"].isNull());
        const QJsonObject sinCed = informe({"info", datoMuestra("p300_8ch.dat")});
        QCOMPARE(sinCed["numeroCanales"].toInt(), 8);
        QCOMPARE(sinCed["muestras"].toInt(), 56840);
        for (const QJsonValue& c : sinCed["canales"].toArray()) QVERIFY(c.toObject()["localizacion"].isNull());
    }

    void infoMotor64() {
        const QJsonObject j = informe({"info", datoMuestra("motor_64ch.dat"), "--ced", datoMuestra("motor_64ch.ced")});
        QCOMPARE(j["frecuenciaMuestreo"].toInt(), 160);
        QCOMPARE(j["muestras"].toInt(), 19696);
        QCOMPARE(j["numeroCanales"].toInt(), 64);
        const QStringList l = etiquetas(j);
        QCOMPARE(l.size(), 64);
        QCOMPARE(l.front(), QString("FC5"));
        QCOMPARE(l.back(), QString("Iz"));
        const QJsonArray p = j["canales"].toArray()[0].toObject()["localizacion"].toArray();
        QCOMPARE(p.size(), 3);
        const QJsonObject sinCed = informe({"info", datoMuestra("motor_64ch.dat")});
        QCOMPARE(sinCed["numeroCanales"].toInt(), 64);
        QVERIFY(sinCed["eventos"].isNull());
    }

    // With no step the recording is written as read: a format conversion.
    void sinPasosConvierteFormato() {
        QTemporaryDir t;
        const EEG leido = cargarRegistro(ruta("p300_8ch.gdf"), ruta("p300_8ch.ced"));
        for (const char* ext : {"bin", "gdf", "csv"}) {
            const QString salida = t.filePath(QString("p300.") + ext);
            const ResultadoCLI r = ejecutarCLI(
                {"run", datoMuestra("p300_8ch.gdf"), "--ced", datoMuestra("p300_8ch.ced"), "--out", salida});
            QCOMPARE(r.codigo, 0);
            QCOMPARE(r.salida, QByteArray());
            QCOMPARE(r.lineasError(), QList<QByteArray>({"guardado " + salida.toUtf8()}));
            QVERIFY(QFile::exists(salida));
        }
        QVERIFY(iguales(leerBin(t.filePath("p300.bin")), leido.datos()));

        // The GDF reads back through our reader: int16 samples are exact in float.
        const EEG gdf = cargarRegistro(t.filePath("p300.gdf").toStdString());
        QCOMPARE(gdf.frecuenciaMuestreo, 256);
        QCOMPARE(gdf.numeroMuestras, int64_t{56840});
        QVERIFY(iguales(gdf.datos(), leido.datos()));
        for (int c = 0; c < 8; ++c)
            QCOMPARE(QString::fromStdString((*gdf.canales)[c].etiqueta).trimmed(), etiquetasP300[c]);
        QVERIFY(gdf.tieneEventos());
        QCOMPARE(gdf.tablaEventos->eventos.size(), size_t{720});
        for (size_t i = 0; i < 720; ++i) {
            QCOMPARE(gdf.tablaEventos->eventos[i].posicion, leido.tablaEventos->eventos[i].posicion);
            QCOMPARE(gdf.tablaEventos->eventos[i].tipo, leido.tablaEventos->eventos[i].tipo);
        }
        QCOMPARE(gdf.tablaEventos->eventos[0].posicion, 2312);  // GDF position 2313
        QCOMPARE(gdf.tablaEventos->eventos[0].tipo, 6);

        // The same bytes for the written GDF's own samples as the original's (sample 1000 of Cz).
        QFile csv(t.filePath("p300.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readLine().trimmed(), QByteArray("\"Fz\",\"Cz\",\"P3\",\"Pz\",\"P4\",\"PO7\",\"Oz\",\"PO8\""));
        int filas = 0;
        QByteArray fila;
        while (!csv.atEnd()) {
            const QByteArray l = csv.readLine();
            if (filas == 1000) fila = l;
            ++filas;
        }
        QCOMPARE(filas, 56840);
        QCOMPARE(fila.split(',')[1].trimmed().toDouble(), leido.datos()(1, 1000));
    }

    void pasoCAR() {
        QTemporaryDir t;
        const QString salida = t.filePath("car.bin");
        const ResultadoCLI r = ejecutarCLI({"run", datoMuestra("p300_8ch.gdf"), "--step", "car", "--out", salida});
        QCOMPARE(r.codigo, 0);
        QCOMPARE(r.lineasError().size(), 2);
        QVERIFY(r.lineasError()[0].startsWith("paso car: "));
        QVERIFY(r.lineasError()[0].endsWith(" s"));
        QVERIFY(iguales(leerBin(salida), aplicarCAR(cargarRegistro(ruta("p300_8ch.gdf"))).datos()));
    }

    void pasoFiltroEncadenado() {
        QTemporaryDir t;
        const QString salida = t.filePath("filtrado.bin");
        const ResultadoCLI r = ejecutarCLI({"run", datoMuestra("p300_8ch.dat"), "--step", "filtro:BANDPASS,1,40,60",
                                            "--step", "car", "--out", salida});
        QCOMPARE(r.codigo, 0);
        OpcionesFiltro o;
        o.tipo = TipoFiltro::pasaBanda;
        o.frecInferior = 1;
        o.frecSuperior = 40;
        o.caidaDecibelios = 60;
        const EEG esperado = aplicarCAR(filtrarEEG(cargarRegistro(ruta("p300_8ch.dat")), o));
        QVERIFY(iguales(leerBin(salida), esperado.datos()));

        // The type name in any letter case, as in the filter's own parser.
        const QString bajos = t.filePath("bajos.bin");
        QCOMPARE(ejecutarCLI({"run", datoMuestra("p300_8ch.dat"), "--step", "filtro:low,1,30,40", "--out", bajos}).codigo, 0);
        o.tipo = TipoFiltro::pasaBajos;
        o.frecSuperior = 30;
        o.caidaDecibelios = 40;
        QVERIFY(iguales(leerBin(bajos), filtrarEEG(cargarRegistro(ruta("p300_8ch.dat")), o).datos()));
    }

    // Averaging writes its cube file into the current folder, as the window does.
    void pasoPromediado() {
        QTemporaryDir t;
        const ResultadoCLI r = ejecutarCLI(
            {"run", datoMuestra("p300_8ch.gdf"), "--step", "promediado:1.1+2.1,100,600.9", "--out", "promedio.bin"},
            t.path());
        QCOMPARE(r.codigo, 0);
        QVERIFY(r.lineasError()[0].startsWith("ondelar-cli: aviso: épocas guardadas en"));
        const QStringList cubos = QDir(t.path()).entryList({"Promediado-*.bin"}, QDir::Files);
        QCOMPARE(cubos.size(), 1);

        const EEG eeg = cargarRegistro(ruta("p300_8ch.gdf"));
        int fila1 = -1, fila2 = -1;
        for (size_t k = 0; k < eeg.tablaEventos->tipos.size(); ++k) {
            if (eeg.tablaEventos->tipos[k].tipo == 1) fila1 = static_cast<int>(k);
            if (eeg.tablaEventos->tipos[k].tipo == 2) fila2 = static_cast<int>(k);
        }
        DestinoCubo destino;
        destino.directorio = t.path().toStdString() + "/propio";
        std::filesystem::create_directory(destino.directorio);
        const ResultadoPromediado esperado =
            promediarEventos(eeg, parametrosDeFilas(*eeg.tablaEventos, {fila1, fila2}, 100, 600), destino);
        QCOMPARE(esperado.numeroEpocas, arma::uword{120});
        QVERIFY(iguales(leerBin(t.filePath("promedio.bin")), esperado.promedio.datos()));
        arma::cube cubo;
        QVERIFY(cubo.load((t.path() + "/" + cubos.front()).toStdString(), arma::arma_binary));
        QCOMPARE(cubo.n_slices, arma::uword{120});

        // The averaged branch has no events; its GDF has an empty event table.
        const QString gdf = t.filePath("promedio.gdf");
        QCOMPARE(ejecutarCLI({"run", datoMuestra("p300_8ch.gdf"), "--step", "promediado:1.1,100,600", "--out", gdf},
                             t.path())
                     .codigo,
                 0);
        const EEG leido = cargarRegistro(gdf.toStdString());
        QCOMPARE(leido.numeroMuestras, int64_t{25 + 1 + 153});
        QVERIFY(!leido.tieneEventos() || leido.tablaEventos->eventos.empty());
    }

    // Activations: one row per component, reproducible with --seed.
    void pasoICA() {
        QTemporaryDir t;
        const QStringList base = {"run", datoMuestra("p300_8ch.gdf"), "--step", "promediado:1.1,100,600",
                                  "--step", "ica", "--seed", "7"};
        const ResultadoCLI r = ejecutarCLI(base + QStringList{"--out", "ica.gdf"}, t.path());
        QCOMPARE(r.codigo, 0);
        QCOMPARE(ejecutarCLI(base + QStringList{"--out", "ica.bin"}, t.path()).codigo, 0);
        QCOMPARE(ejecutarCLI(base + QStringList{"--out", "otra.bin"}, t.path()).codigo, 0);
        const arma::mat a = leerBin(t.filePath("ica.bin"));
        QCOMPARE(a.n_rows, arma::uword{8});
        QVERIFY(iguales(a, leerBin(t.filePath("otra.bin"))));

        const EEG ica = cargarRegistro(t.filePath("ica.gdf").toStdString());
        QCOMPARE(QString::fromStdString((*ica.canales)[0].etiqueta).trimmed(), QString("IC1"));
        QCOMPARE(QString::fromStdString((*ica.canales)[7].etiqueta).trimmed(), QString("IC8"));

        // The same computation in this process, from the same average.
        const EEG eeg = cargarRegistro(ruta("p300_8ch.gdf"));
        int fila = -1;
        for (size_t k = 0; k < eeg.tablaEventos->tipos.size(); ++k)
            if (eeg.tablaEventos->tipos[k].tipo == 1) fila = static_cast<int>(k);
        DestinoCubo destino;
        destino.directorio = t.path().toStdString();
        const EEG promedio = promediarEventos(eeg, parametrosDeFilas(*eeg.tablaEventos, {fila}, 100, 600), destino).promedio;
        const EEG esperado = activacionesICA(promedio, 7u);
        QVERIFY(arma::approx_equal(a, esperado.datos(), "reldiff", 1e-9));
    }

    // MARA with a small model set in a folder of its own (--modelos), and
    // the same call in this process.
    void pasoMARA() {
        QTemporaryDir t;
        const std::filesystem::path modelos = t.path().toStdString() + "/modelos";
        std::filesystem::create_directory(modelos);
        guardarModeloMara(prueba_mara::modeloSintetico(prueba_mara::Entrenamiento::todoArtefacto), modelos);
        const QStringList base = {"run", datoMuestra("p300_8ch.gdf"), "--ced", datoMuestra("p300_8ch.ced"),
                                  "--step", "promediado:1.1+2.1,1000,2000", "--step", "mara", "--seed", "3"};
        const ResultadoCLI r = ejecutarCLI(
            base + QStringList{"--modelos", QString::fromStdString(modelos.string()), "--out", "mara.bin"}, t.path());
        QCOMPARE(r.codigo, 0);
        QVERIFY(r.lineasError().size() >= 3);
        QVERIFY(r.lineasError()[r.lineasError().size() - 2].startsWith("paso mara: "));
        const arma::mat limpio = leerBin(t.filePath("mara.bin"));
        QCOMPARE(limpio.n_rows, arma::uword{8});
        QCOMPARE(limpio.n_cols, arma::uword{256 + 1 + 512});

        const EEG eeg = cargarRegistro(ruta("p300_8ch.gdf"), ruta("p300_8ch.ced"));
        std::vector<int> filas;
        for (size_t k = 0; k < eeg.tablaEventos->tipos.size(); ++k)
            if (eeg.tablaEventos->tipos[k].tipo <= 2) filas.push_back(static_cast<int>(k));
        std::sort(filas.begin(), filas.end(), [&](int a, int b) {
            return eeg.tablaEventos->tipos[a].tipo < eeg.tablaEventos->tipos[b].tipo;
        });
        DestinoCubo destino;
        destino.directorio = t.path().toStdString();
        const EEG promedio = promediarEventos(eeg, parametrosDeFilas(*eeg.tablaEventos, filas, 1000, 2000), destino).promedio;
        OpcionesMara o;
        o.directorioModelos = modelos;
        o.semilla = 3;
        QVERIFY(arma::approx_equal(limpio, aplicarMara(promedio, o).datos(), "absdiff", 1e-9));

        // By default the model files are looked for beside the executable.
        const ResultadoCLI predeterminada = ejecutarCLI(base + QStringList{"--out", "x.bin"}, t.path());
        if (predeterminada.codigo != 0) {
            QCOMPARE(predeterminada.codigo, 1);
            const QByteArray linea = predeterminada.lineasError().back();
            QVERIFY2(linea.startsWith("ondelar-cli: error: paso \"mara\": "), linea.constData());
            QVERIFY2(linea.contains(QFileInfo(QStringLiteral(ONDELAR_CLI)).canonicalPath().toUtf8()), linea.constData());
            QVERIFY(!QFile::exists(t.filePath("x.bin")));
        }
    }

    void maraSobreRamaConEventosSeRechaza() {
        QTemporaryDir t;
        const ResultadoCLI r =
            ejecutarCLI({"run", datoMuestra("p300_8ch.gdf"), "--step", "mara", "--out", t.filePath("x.bin")});
        comprobarFallo(r, t.path(), "se suspende la ejecucion de Mara", 1);
    }

    // ASR with the dialog's defaults, written out or left implicit, and with others.
    void pasoASR() {
        QTemporaryDir t;
        const EEG eeg = cargarRegistro(ruta("p300_8ch.dat"));
        const arma::mat porDefecto = ejecutarASR(eeg, OpcionesASR{}).datos();
        for (const char* paso : {"asr", "asr:5,0.075,-3.5,5.5"}) {
            const QString salida = t.filePath(QString("asr%1.bin").arg(paso[3] ? 2 : 1));
            const ResultadoCLI r = ejecutarCLI({"run", datoMuestra("p300_8ch.dat"), "--step", paso, "--out", salida});
            QCOMPARE(r.codigo, 0);
            QVERIFY(r.lineasError()[0].startsWith(QByteArray("paso ") + paso + ": "));
            QVERIFY(arma::approx_equal(leerBin(salida), porDefecto, "absdiff", 1e-9));
        }
        OpcionesASR o;
        o.burstCritic = 3;
        o.maxBadChan = 0.2;
        o.tolInf = -4;
        o.tolSup = 7.25;
        const QString salida = t.filePath("otros.bin");
        QCOMPARE(ejecutarCLI({"run", datoMuestra("p300_8ch.dat"), "--step", "asr:3,0.2,-4,7.25", "--out", salida}).codigo, 0);
        const arma::mat otros = leerBin(salida);
        QVERIFY(arma::approx_equal(otros, ejecutarASR(eeg, o).datos(), "absdiff", 1e-9));
        QVERIFY(!arma::approx_equal(otros, porDefecto, "absdiff", 1e-6));
    }

    // Every kind of bad input: a non-zero code, one clear line, no output file.
    void entradasMalas_data() {
        QTest::addColumn<QStringList>("argumentos");
        QTest::addColumn<QString>("contiene");
        QTest::addColumn<int>("codigo");
        const QString gdf = datoMuestra("p300_8ch.gdf");
        const QString dat = datoMuestra("p300_8ch.dat");
        QTest::newRow("sin argumentos") << QStringList{} << "falta la orden" << 2;
        QTest::newRow("orden desconocida") << QStringList{"convertir", gdf} << "orden desconocida" << 2;
        QTest::newRow("opcion desconocida") << QStringList{"run", gdf, "--salida", "x.bin"} << "--salida" << 2;
        QTest::newRow("sin registro") << QStringList{"info"} << "falta el archivo de registro" << 2;
        QTest::newRow("dos registros") << QStringList{"info", gdf, dat} << "sobra el argumento" << 2;
        QTest::newRow("sin --out") << QStringList{"run", gdf, "--step", "car"} << "falta --out" << 2;
        QTest::newRow("--out sin valor") << QStringList{"run", gdf, "--out"} << "falta el valor de --out" << 2;
        QTest::newRow("--step en info") << QStringList{"info", gdf, "--step", "car"} << "--step" << 2;
        QTest::newRow("extension de salida") << QStringList{"run", gdf, "--out", "@/x.txt"} << ".gdf, .csv o .bin" << 2;
        QTest::newRow("carpeta de salida") << QStringList{"run", gdf, "--out", "@/no/existe/x.bin"} << "no existe la carpeta"
                                           << 1;
        QTest::newRow("registro inexistente") << QStringList{"info", "@/nada.gdf"} << "no existe o no se puede abrir" << 1;
        QTest::newRow("extension de registro") << QStringList{"info", "@/registro.edf"} << "extensión" << 1;
        QTest::newRow("gdf corrupto") << QStringList{"run", "@/corrupto.gdf", "--out", "@/x.bin"} << "no es un archivo GDF"
                                      << 1;
        QTest::newRow("gdf version 2") << QStringList{"info", "@/version2.gdf"} << "versión 2" << 1;
        QTest::newRow("ced inexistente") << QStringList{"info", gdf, "--ced", "@/nada.ced"} << "localizaciones" << 1;
        QTest::newRow("ced corto") << QStringList{"run", gdf, "--ced", "@/corto.ced", "--out", "@/x.bin"} << "solo describe"
                                   << 1;
        QTest::newRow("ced dos veces") << QStringList{"info", gdf, "--ced", "a.ced", "--ced", "b.ced"} << "más de una vez"
                                       << 2;
        QTest::newRow("paso desconocido") << QStringList{"run", gdf, "--step", "wavelet", "--out", "@/x.bin"}
                                          << "paso \"wavelet\": paso desconocido" << 2;
        QTest::newRow("car con parametros") << QStringList{"run", gdf, "--step", "car:1", "--out", "@/x.bin"}
                                            << "no lleva parámetros" << 2;
        QTest::newRow("tipo de filtro") << QStringList{"run", gdf, "--step", "filtro:NOTCH,1,40,60", "--out", "@/x.bin"}
                                        << "NOTCH" << 2;
        QTest::newRow("filtro sin parametros") << QStringList{"run", gdf, "--step", "filtro", "--out", "@/x.bin"}
                                               << "filtro:TIPO,INF,SUP,DB" << 2;
        QTest::newRow("numero del filtro") << QStringList{"run", gdf, "--step", "filtro:LOW,1,4o,60", "--out", "@/x.bin"}
                                           << "\"4o\"" << 2;
        QTest::newRow("decibelios no enteros")
            << QStringList{"run", gdf, "--step", "filtro:LOW,1,40,60.5", "--out", "@/x.bin"} << "\"60.5\"" << 2;
        QTest::newRow("filtro sobre Nyquist")
            << QStringList{"run", gdf, "--step", "filtro:BANDPASS,1,200,60", "--out", "@/x.bin"}
            << "mitad de la frecuencia de muestreo" << 1;
        QTest::newRow("limites invertidos")
            << QStringList{"run", gdf, "--step", "filtro:HIGH,40,1,60", "--out", "@/x.bin"} << "límite superior" << 1;
        QTest::newRow("fallo tras un paso")
            << QStringList{"run", gdf, "--step", "car", "--step", "filtro:LOW,0,40,60", "--out", "@/x.bin"}
            << "paso \"filtro:LOW,0,40,60\": filtrarEEG: el límite inferior" << 1;
        QTest::newRow("tipo de evento ausente")
            << QStringList{"run", gdf, "--step", "promediado:99.1,100,600", "--out", "@/x.bin"} << "99.1" << 1;
        QTest::newRow("tipo de evento mal escrito")
            << QStringList{"run", gdf, "--step", "promediado:1,100,600", "--out", "@/x.bin"} << "TIPO.CALIFICADOR" << 2;
        QTest::newRow("milisegundos negativos")
            << QStringList{"run", gdf, "--step", "promediado:1.1,-100,600", "--out", "@/x.bin"} << "negativos" << 2;
        QTest::newRow("epoca fuera del registro")
            << QStringList{"run", gdf, "--step", "promediado:1.1,15000,600", "--out", "@/x.bin"} << "promediado" << 1;
        QTest::newRow("promediado sin eventos")
            << QStringList{"run", dat, "--step", "promediado:1.1,100,600", "--out", "@/x.bin"} << "no tiene eventos" << 1;
        QTest::newRow("ica de rango bajo")
            << QStringList{"run", gdf, "--step", "promediado:1.1,100,600", "--step", "car", "--step", "ica", "--out",
                           "@/x.bin"}
            << "paso \"ica\"" << 1;
        QTest::newRow("asr incompleto") << QStringList{"run", gdf, "--step", "asr:5,0.075", "--out", "@/x.bin"}
                                        << "asr:BURST,MAXBAD,TOLINF,TOLSUP" << 2;
        QTest::newRow("asr burst no entero")
            << QStringList{"run", gdf, "--step", "asr:5.5,0.075,-3.5,5.5", "--out", "@/x.bin"} << "\"5.5\"" << 2;
        QTest::newRow("asr fuera del dialogo")
            << QStringList{"run", gdf, "--step", "asr:5,1.5,-3.5,5.5", "--out", "@/x.bin"} << "maxBadChan = 1.5" << 2;
        QTest::newRow("asr tolerancias") << QStringList{"run", gdf, "--step", "asr:5,0.075,-3.5,60", "--out", "@/x.bin"}
                                         << "tolSup = 60" << 2;
        QTest::newRow("semilla negativa") << QStringList{"run", gdf, "--seed", "-1", "--out", "@/x.bin"} << "--seed" << 2;
        QTest::newRow("semilla no numerica") << QStringList{"run", gdf, "--seed", "siete", "--out", "@/x.bin"} << "--seed"
                                             << 2;
    }

    void entradasMalas() {
        QFETCH(QStringList, argumentos);
        QFETCH(QString, contiene);
        QFETCH(int, codigo);
        QTemporaryDir entrada, salida;
        // "@" stands for a folder of prepared inputs; outputs go to an empty one.
        {
            std::ofstream(entrada.filePath("corrupto.gdf").toStdString()) << "esto no es un GDF";
            std::ofstream(entrada.filePath("registro.edf").toStdString()) << "0       ";
            std::ofstream v2(entrada.filePath("version2.gdf").toStdString(), std::ios::binary);
            v2 << "GDF 2.10" << std::string(248, '\0');
            std::ofstream(entrada.filePath("corto.ced").toStdString())
                << "Number\tlabels\ttype\ttheta\tradius\tX\tY\tZ\n1\tFz\t\t0\t0.25\t60\t0\t60\n";
        }
        for (QString& a : argumentos) {
            if (a.startsWith("@/x.")) a.replace(0, 1, salida.path());
            else if (a.startsWith("@/no/")) a.replace(0, 1, salida.path());
            else if (a.startsWith("@")) a.replace(0, 1, entrada.path());
        }
        // Run from the inputs' folder: a cube file of an averaging step that ran
        // before the failure is that step's own output, not the --out file.
        const ResultadoCLI r = ejecutarCLI(argumentos, entrada.path());
        comprobarFallo(r, salida.path(), qPrintable(contiene), codigo);
    }

    // A failure never damages an existing output file.
    void falloNoTocaElArchivoExistente() {
        QTemporaryDir t;
        const QString salida = t.filePath("previo.gdf");
        {
            QFile f(salida);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("contenido previo");
        }
        const ResultadoCLI r = ejecutarCLI(
            {"run", datoMuestra("p300_8ch.gdf"), "--step", "car", "--step", "filtro:LOW,0,40,60", "--out", salida});
        QCOMPARE(r.codigo, 1);
        QCOMPARE(archivos(t.path()), QStringList{"previo.gdf"});
        QFile f(salida);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("contenido previo"));
    }

    // --detalle shows the readers' diagnostics on standard error; standard
    // output stays pure JSON.
    void detalleVaALaSalidaDeErrores() {
        const ResultadoCLI r = ejecutarCLI({"info", datoMuestra("p300_8ch.gdf"), "--detalle"});
        QCOMPARE(r.codigo, 0);
        QVERIFY(r.errores.contains("detectado tipo GDF"));
        QJsonParseError e;
        QJsonDocument::fromJson(r.salida, &e);
        QCOMPARE(e.error, QJsonParseError::NoError);
    }
};

QTEST_GUILESS_MAIN(PruebaCLI)
#include "cli_test.moc"
