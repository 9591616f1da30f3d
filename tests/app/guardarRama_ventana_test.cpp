// "guardar rama seleccionada": the last action of the "cargar" menu saves the
// selected branch to the file chosen in the save dialog.

#include <QtTest>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>

#include <deque>
#include <optional>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "io/cargarRegistro.h"
#include "ui_Ondelar.h"

class PruebaGuardarRama : public QObject {
    Q_OBJECT

    std::deque<std::optional<QString>> abrir;
    std::optional<QString> guardarEn;
    QStringList titulosGuardar, filtrosGuardar, mensajes;

    static QString dato(const char* nombre) { return QStringLiteral(ONDELAR_RAIZ "/../shared/data/") + nombre; }

    void cargar(Ondelar& v) {
        abrir = {dato("p300_8ch.gdf"), dato("p300_8ch.ced")};
        v.cargarEEG();
        QCOMPARE(v.archivosEEG.numeroArchivos(), 1);
    }

private slots:
    void init() {
        abrir.clear();
        guardarEn.reset();
        titulosGuardar.clear();
        filtrosGuardar.clear();
        mensajes.clear();
        interaccion::fijarRespondedorArchivoAbrir([this](const QString&, const QString&) {
            if (abrir.empty()) return std::optional<QString>();
            auto r = abrir.front();
            abrir.pop_front();
            return r;
        });
        interaccion::fijarRespondedorArchivoGuardar([this](const QString& titulo, const QString& filtro) {
            titulosGuardar << titulo;
            filtrosGuardar << filtro;
            return guardarEn;
        });
        interaccion::fijarRespondedorMensaje([this](const QString& t) { mensajes << t; });
    }

    void cleanup() {
        interaccion::fijarRespondedorArchivoAbrir({});
        interaccion::fijarRespondedorArchivoGuardar({});
        interaccion::fijarRespondedorMensaje({});
    }

    void accionAlFinalDelMenuCargar() {
        Ondelar v;
        const QList<QAction*> acciones = v.ui->menucargar->actions();
        QVERIFY(!acciones.isEmpty());
        QCOMPARE(acciones.back(), v.ui->guardar_rama_seleccionada);
        QCOMPARE(acciones.back()->text(), QString("guardar rama seleccionada"));
    }

    void sinRamaSeAvisaSinPreguntar() {
        Ondelar v;
        v.ui->guardar_rama_seleccionada->trigger();
        QCOMPARE(mensajes, QStringList{"No hay ningún eeg seleccionado que guardar."});
        QCOMPARE(titulosGuardar, QStringList());
    }

    void guardaLaRamaEnLosTresFormatos() {
        QTemporaryDir t;
        Ondelar v;
        cargar(v);
        v.lanzarCAR();
        const EEG& rama = v.eegSeleccionado();
        for (const char* ext : {"gdf", "csv", "bin"}) {
            guardarEn = t.filePath(QString("rama.") + ext);
            v.ui->guardar_rama_seleccionada->trigger();
            QCOMPARE(mensajes, QStringList());
            QVERIFY(QFile::exists(*guardarEn));
        }
        QCOMPARE(titulosGuardar.front(), QString("Guardar la rama seleccionada"));
        for (const char* f : {"*.gdf", "*.csv", "*.bin"}) QVERIFY(filtrosGuardar.front().contains(f));

        arma::mat bin;
        QVERIFY(bin.load(t.filePath("rama.bin").toStdString(), arma::arma_binary));
        QVERIFY(arma::approx_equal(bin, rama.datos(), "absdiff", 0.0));
        const EEG gdf = cargarRegistro(t.filePath("rama.gdf").toStdString());
        const arma::mat comoFloat = arma::conv_to<arma::mat>::from(arma::conv_to<arma::fmat>::from(rama.datos()));
        QVERIFY(arma::approx_equal(gdf.datos(), comoFloat, "absdiff", 0.0));
        QCOMPARE(gdf.tablaEventos->eventos.size(), rama.tablaEventos->eventos.size());
        QCOMPARE(gdf.tablaEventos->eventos[5].posicion, rama.tablaEventos->eventos[5].posicion);
        QCOMPARE(QDir(t.path()).entryList(QDir::Files).size(), 3);  // no temporary left behind
    }

    void cancelarNoEscribeNada() {
        QTemporaryDir t;
        Ondelar v;
        cargar(v);
        guardarEn.reset();
        v.ui->guardar_rama_seleccionada->trigger();
        QCOMPARE(titulosGuardar.size(), 1);
        QCOMPARE(mensajes, QStringList());
        QVERIFY(QDir(t.path()).entryList(QDir::Files).isEmpty());
    }

    void fallosSeCuentanEnEspanolSinDejarArchivo() {
        QTemporaryDir t;
        Ondelar v;
        cargar(v);
        guardarEn = t.filePath("rama.txt");
        v.ui->guardar_rama_seleccionada->trigger();
        QCOMPARE(mensajes.size(), 1);
        QVERIFY(mensajes[0].startsWith("No se pudo guardar la rama: formato de salida desconocido"));
        guardarEn = t.filePath("no/existe/rama.gdf");
        v.ui->guardar_rama_seleccionada->trigger();
        QCOMPARE(mensajes.size(), 2);
        QVERIFY(mensajes[1].startsWith("No se pudo guardar la rama: "));
        QVERIFY(QDir(t.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    }
};

QTEST_MAIN(PruebaGuardarRama)
#include "guardarRama_ventana_test.moc"
