// The runner's espectro order: its CSV equals the core's numbers, and its
// refusals follow the runner's exit codes.

#include <QtTest>

#include <charconv>

#include "frecuencial/bandas.h"
#include "frecuencial/welch.h"
#include "io/cargarRegistro.h"
#include "tests/cli/procesoCLI.h"
#include "tests/frecuencial/referenciasWelch.h"

namespace {
const QString datos = QStringLiteral(ONDELAR_RAIZ "/../shared/data/");
}

class PruebaCLIEspectro : public QObject {
    Q_OBJECT

    QTemporaryDir t;

private slots:
    void escribeLosNumerosDelNucleo() {
        const ResultadoCLI r = ejecutarCLI({"espectro", datos + "p300_8ch.gdf", "--ced", datos + "p300_8ch.ced",
                                            "--segmento", "1.5", "--out", "e.csv", "--bandas", "b.csv"},
                                           t.path());
        QCOMPARE(r.codigo, 0);
        const EEG eeg = cargarRegistro((datos + "p300_8ch.gdf").toStdString());
        const EspectroPotencia e = calcularEspectro(eeg.datos(), 256.0, {1.5});
        const TablaCSV csv = leerTablaCSV(t.filePath("e.csv").toStdString());
        QCOMPARE(QString::fromStdString(csv.cabecera[0]), QStringLiteral("frecuencia"));
        QCOMPARE(QString::fromStdString(csv.cabecera[8]), QStringLiteral("PO8"));
        QCOMPARE(e.muestrasSegmento, arma::uword(384));
        // Shortest round-trip text reads back to the very same doubles.
        QVERIFY(arma::approx_equal(csv.valores.col(0), e.frecuencias, "absdiff", 0.0));
        QVERIFY(arma::approx_equal(csv.valores.cols(1, 8), arma::mat(e.densidad.t()), "absdiff", 0.0));
        const TablaCSV b = leerTablaCSV(t.filePath("b.csv").toStdString());
        QCOMPARE(QString::fromStdString(b.primeraColumna[7]), QStringLiteral("PO8"));
        QVERIFY(arma::approx_equal(b.valores.cols(1, 5), potenciaBandas(e).absoluta, "absdiff", 0.0));
    }

    void avisaDeUnaRamaMasCortaQueElSegmento() {
        const ResultadoCLI r = ejecutarCLI({"espectro", datos + "p300_8ch.gdf", "--segmento", "300", "--out", "c.csv"}, t.path());
        QCOMPARE(r.codigo, 0);
        QVERIFY(r.errores.contains("ondelar-cli: aviso: la rama tiene 56840 muestras"));
    }

    void rechazosDeUso() {
        const QString g = datos + "p300_8ch.gdf";
        for (const QStringList& a : {QStringList{"espectro", g}, QStringList{"espectro", g, "--out", "x.txt"},
                                     QStringList{"espectro", g, "--out", "x.csv", "--segmento", "1,5"},
                                     QStringList{"espectro", g, "--out", "x.csv", "--segmento", "-2"},
                                     QStringList{"espectro", g, "--out", "x.csv", "--bandas", "b.gdf"},
                                     QStringList{"espectro", g, "--out", "x.csv", "--step", "nada"},
                                     QStringList{"espectro", g, "--out", "x.csv", "--eje"}, QStringList{"espectro", "--out", "x.csv"}}) {
            const ResultadoCLI r = ejecutarCLI(a, t.path());
            QVERIFY2(r.codigo == 2, qPrintable(a.join(' ')));
            QCOMPARE(r.lineasError().size(), 1);
            QVERIFY(r.lineasError()[0].startsWith("ondelar-cli: error: "));
        }
        QVERIFY(!QFile::exists(t.filePath("x.csv")));
    }

    void rechazosAlLeerOCalcular() {
        for (const QStringList& a : {QStringList{"espectro", datos + "no_existe.gdf", "--out", "x.csv"},
                                     QStringList{"espectro", datos + "p300_8ch.gdf", "--out", "no/hay/x.csv"},
                                     QStringList{"espectro", datos + "p300_8ch.gdf", "--segmento", "0.001", "--out", "x.csv"}}) {
            const ResultadoCLI r = ejecutarCLI(a, t.path());
            QVERIFY2(r.codigo == 1, qPrintable(a.join(' ')));
            // One error line, last; before it only warnings (a recording
            // read without a .CED file says so).
            const auto lineas = r.lineasError();
            QVERIFY(!lineas.isEmpty());
            QVERIFY(lineas.last().startsWith("ondelar-cli: error: "));
            for (int i = 0; i + 1 < lineas.size(); ++i) QVERIFY(lineas[i].startsWith("ondelar-cli: aviso: "));
        }
    }
};

QTEST_MAIN(PruebaCLIEspectro)
#include "cli_frecuencial_test.moc"
