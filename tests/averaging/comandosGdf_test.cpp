#include <QtTest>

#include <memory>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QStringList>

#include "app/Ondelar.h"
#include "app/almacenEEG.h"
#include "app/interaccion.h"
#include "averaging/GuiEventosPromediado.h"
#include "eegSintetico.h"
#include "io/GdfFileReader.h"
#include "ui_GuiEventosPromediado.h"
#include "ui_Ondelar.h"

class PruebaComandosPromediadoGdf : public QObject {
    Q_OBJECT

private slots:
    void promedioDelTipoUnoUno() {
        QStringList mensajes;
        interaccion::fijarRespondedorMensaje([&](const QString& t) { mensajes << t; });
        prueba::DirectorioTemporal directorio;
        const QString previo = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(directorio.ruta().string()));

        GdfFileReader lector;
        Ondelar v;
        v.anadirArchivo(clonarEEG(lector.leer(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf")));
        v.graficoPromediado();
        GuiEventosPromediado* d = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* g = qobject_cast<GuiEventosPromediado*>(w)) d = g;
        QVERIFY(d);
        const auto items = d->ui->listWidget->findItems("1.1", Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        items.front()->setSelected(true);
        d->ui->msPrev->setValue(100);
        d->ui->msPost->setValue(600);
        d->onClickAceptar();
        delete d;

        QDir::setCurrent(previo);
        interaccion::fijarRespondedorMensaje({});
        QVERIFY2(mensajes.isEmpty(), qPrintable(mensajes.join('\n')));
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-2 Promediado"));
        const EEG& p = v.archivosEEG.rama(0, 1);
        QCOMPARE(p.datos().n_rows, arma::uword(8));
        QCOMPARE(p.datos().n_cols, arma::uword(179));
        QCOMPARE(p.tiempoInicio, 0.1);
        QVERIFY(!p.tieneEventos());
        const auto archivos = directorio.archivos();
        QCOMPARE(archivos.size(), size_t(1));
        arma::cube cubo;
        QVERIFY(cubo.load(archivos.front().string(), arma::arma_binary));
        QCOMPARE(cubo.n_slices, arma::uword(60));
    }
};

QTEST_MAIN(PruebaComandosPromediadoGdf)
#include "comandosGdf_test.moc"
