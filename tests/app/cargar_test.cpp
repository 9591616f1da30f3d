#include <QtTest>

#include <deque>
#include <optional>

#include <QComboBox>
#include <QLabel>

#include "app/Ondelar.h"
#include "app/interaccion.h"
#include "tests/io/archivosPrueba.h"
#include "ui_Ondelar.h"

// The loading command driven through the dialog responders: each test queues
// the answers of the two file dialogs and collects the messages shown.
class PruebaCargar : public QObject {
    Q_OBJECT

    std::deque<std::optional<QString>> respuestas;
    QStringList titulos, filtros, mensajes;

    static QString dato(const char* nombre) { return QStringLiteral(ONDELAR_RAIZ "/../shared/data/") + nombre; }

    void responder(std::initializer_list<std::optional<QString>> r) { respuestas.assign(r.begin(), r.end()); }

private slots:
    void init() {
        respuestas.clear();
        titulos.clear();
        filtros.clear();
        mensajes.clear();
        interaccion::fijarRespondedorArchivoAbrir([this](const QString& titulo, const QString& filtro) {
            titulos << titulo;
            filtros << filtro;
            if (respuestas.empty()) return std::optional<QString>();
            auto r = respuestas.front();
            respuestas.pop_front();
            return r;
        });
        interaccion::fijarRespondedorMensaje([this](const QString& texto) { mensajes << texto; });
    }

    void cleanup() {
        interaccion::fijarRespondedorArchivoAbrir({});
        interaccion::fijarRespondedorMensaje({});
    }

    void gdfConCedEntraComoRegistroNuevo() {
        Ondelar v;
        responder({dato("p300_8ch.gdf"), dato("p300_8ch.ced")});
        v.cargarEEG();
        QCOMPARE(mensajes, QStringList());
        QCOMPARE(titulos, QStringList({"Seleccione el archivo de bioseñales", "Seleccione el archivo de bioseñales"}));
        QCOMPARE(filtros, QStringList({"dat o gdf (*.dat *.DAT *.gdf *.GDF)", "archivo ced (*.CED *.ced)"}));
        QCOMPARE(v.archivosEEG.numeroArchivos(), 1);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-1"));
        const EEG& e = v.eegSeleccionado();
        QCOMPARE(e.numeroCanales, 8u);
        QCOMPARE(e.numeroMuestras, int64_t{56840});
        QCOMPARE(e.frecuenciaMuestreo, 256);
        QCOMPARE((*e.canales)[7].etiqueta, std::string("PO8"));
        QVERIFY((*e.canales)[7].localizacion.has_value());
        QVERIFY(e.tieneEventos());
        QCOMPARE(e.tablaEventos->numeroEventos, 720);
    }

    void datMotorConSuCed() {
        Ondelar v;
        responder({dato("motor_64ch.dat"), dato("motor_64ch.ced")});
        v.cargarEEG();
        QCOMPARE(mensajes, QStringList());
        const EEG& e = v.eegSeleccionado();
        QCOMPARE(e.numeroCanales, 64u);
        QCOMPARE(e.numeroMuestras, int64_t{19696});
        QCOMPARE(e.frecuenciaMuestreo, 160);
        QCOMPARE((*e.canales)[63].etiqueta, std::string("Iz"));
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-1"));
    }

    void dosRegistrosSeguidos() {
        Ondelar v;
        responder({dato("p300_8ch.dat"), dato("p300_8ch.ced"), dato("p300_8ch.gdf"), dato("p300_8ch.ced")});
        v.cargarEEG();
        v.cargarEEG();
        QCOMPARE(v.ui->indiceArchivoEEG->count(), 2);
        QCOMPARE(v.ui->indiceArchivoEEG->itemText(0), QString("1"));
        QCOMPARE(v.ui->indiceArchivoEEG->currentText(), QString("2"));
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 2-1"));
    }

    void cancelarElPrimerDialogoNoCambiaNada() {
        Ondelar v;
        const QString antes = v.ui->labelDatos->text();
        const int archivosAntes = v.ui->indiceArchivoEEG->count(), ramasAntes = v.ui->indiceProcesado->count();
        responder({std::nullopt});
        v.cargarEEG();
        QCOMPARE(titulos.size(), 1);
        QCOMPARE(v.archivosEEG.numeroArchivos(), 0);
        QCOMPARE(v.ui->indiceArchivoEEG->count(), archivosAntes);
        QCOMPARE(v.ui->indiceProcesado->count(), ramasAntes);
        QCOMPARE(v.ui->labelDatos->text(), antes);
        QCOMPARE(mensajes, QStringList());
    }

    void cancelarElSegundoDialogoNoGuardaNada() {
        Ondelar v;
        responder({dato("p300_8ch.dat"), std::nullopt});
        v.cargarEEG();
        QCOMPARE(titulos.size(), 2);
        QCOMPARE(v.archivosEEG.numeroArchivos(), 0);
        QCOMPARE(mensajes, QStringList());
    }

    void archivoQueNoSeLeeSeAvisaYNoSeGuarda() {
        prueba::CarpetaTemporal carpeta;
        prueba::GdfPrueba v2;
        v2.version = "GDF 2.10";
        v2.canales.resize(1);
        v2.registros = 1;
        v2.datos = {1, 0};
        const QString rutaV2 = QString::fromStdString(carpeta.escribir("v2.gdf", prueba::archivoGdf(v2)));
        const QString sinDatos = QString::fromStdString(carpeta.escribir("corto.dat", std::string("HeaderLen= 4\r\n")));
        const QString otro = QString::fromStdString(carpeta.escribir("x.edf", std::string("0       ")));
        for (const QString& ruta : {QString("/no/existe.gdf"), rutaV2, sinDatos, otro}) {
            Ondelar v;
            const int archivosAntes = v.ui->indiceArchivoEEG->count();
            const QString etiquetaAntes = v.ui->labelDatos->text();
            mensajes.clear();
            titulos.clear();
            responder({ruta, dato("p300_8ch.ced")});
            v.cargarEEG();
            QCOMPARE(titulos.size(), 1);  // the .CED is not asked for
            QCOMPARE(v.archivosEEG.numeroArchivos(), 0);
            QCOMPARE(v.ui->indiceArchivoEEG->count(), archivosAntes);
            QCOMPARE(v.ui->labelDatos->text(), etiquetaAntes);
            QCOMPARE(mensajes.size(), 1);
            QVERIFY2(mensajes[0].startsWith("No se puede cargar «" + ruta + "»: "), qPrintable(mensajes[0]));
        }
    }

    void cedQueNoSeAbreDejaElRegistroYAvisa() {
        Ondelar v;
        responder({dato("p300_8ch.gdf"), QString("/no/existe.ced")});
        v.cargarEEG();
        QCOMPARE(v.archivosEEG.numeroArchivos(), 1);
        const EEG& e = v.eegSeleccionado();
        QCOMPARE((*e.canales)[0].etiqueta.substr(0, 2), std::string("Fz"));
        QVERIFY(!(*e.canales)[0].localizacion.has_value());
        QCOMPARE(mensajes.size(), 1);
        QVERIFY(mensajes[0].contains("sin localizaciones"));
    }

    void cedCortoAvisaDeLosCanalesSinLocalizacion() {
        Ondelar v;
        // The 8-line .CED for the 64-channel recording.
        responder({dato("motor_64ch.dat"), dato("p300_8ch.ced")});
        v.cargarEEG();
        QCOMPARE(v.archivosEEG.numeroArchivos(), 1);
        const EEG& e = v.eegSeleccionado();
        QCOMPARE((*e.canales)[7].etiqueta, std::string("PO8"));
        QVERIFY(!(*e.canales)[8].localizacion.has_value());
        QCOMPARE(mensajes.size(), 1);
        QVERIFY2(mensajes[0].contains("8 de los 64 canales"), qPrintable(mensajes[0]));
    }

    void rutasConAcentosSeCargan() {
        prueba::CarpetaTemporal carpeta;
        QFile::copy(dato("p300_8ch.gdf"), QString::fromStdString(carpeta.ruta()) + "/señal_ñandú.gdf");
        QFile::copy(dato("p300_8ch.ced"), QString::fromStdString(carpeta.ruta()) + "/posición.ced");
        Ondelar v;
        responder({QString::fromStdString(carpeta.ruta()) + "/señal_ñandú.gdf",
                   QString::fromStdString(carpeta.ruta()) + "/posición.ced"});
        v.cargarEEG();
        QCOMPARE(mensajes, QStringList());
        QCOMPARE(v.archivosEEG.numeroArchivos(), 1);
        QVERIFY((*v.eegSeleccionado().canales)[0].localizacion.has_value());
    }
};

QTEST_MAIN(PruebaCargar)
#include "cargar_test.moc"
