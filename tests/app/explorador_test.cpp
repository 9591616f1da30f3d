// The recording browser as the user drives it: the menu action and its tab,
// keys, wheel, scrollbar and "ir a", the scale, a click's readout, the
// channel list, the old plot sending huge branches here, and a page painted
// from the summary (an offscreen rendering: traces dark blue (0, 0, 139), no
// antialiasing). Where peaks, events and ticks land in pixels:
// tests/representacion/exploracion_test.cpp.

#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QWheelEvent>

#include "app/GuiElegirCanalesDibujar.h"
#include "app/exploradorRegistro.h"
#include "tests/comun/ventanaPrueba.h"

using namespace prueba;

namespace {

// 100 Hz, 60 s; sample (c, j) = 1000 c + (j mod 10), so every channel's
// interquartile range is 5 (quartiles 2 and 7) and the initial scale 3 x 5
// rounded up: 20 per row.
EEG sintetico(int canales, int muestras = 6000) {
    EEG e(100, static_cast<uint32_t>(canales), muestras);
    for (int c = 0; c < canales; ++c) {
        (*e.canales)[c].etiqueta = "C" + std::to_string(c + 1);
        for (int j = 0; j < muestras; ++j) e.matrices[0](c, j) = 1000.0 * c + j % 10;
    }
    return e;
}

// A browser on `eeg` whose drawing is 1000 pixel columns wide (the margins
// take 72 + 64) and 400 high, fixed so no layout changes it.
std::unique_ptr<ExploradorRegistro> explorador(const EEG& eeg) {
    auto r = std::make_unique<ExploradorRegistro>([&eeg] { return &eeg; });
    r->lienzo()->setFixedSize(LienzoExplorador::margenIzquierdo + 1000 + LienzoExplorador::margenDerecho, 400);
    return r;
}

void rueda(QWidget* w, int muescas, Qt::KeyboardModifiers modificadores = Qt::NoModifier) {
    QWheelEvent evento(QPointF(200, 100), w->mapToGlobal(QPoint(200, 100)), QPoint(), QPoint(0, 120 * muescas),
                       Qt::NoButton, modificadores, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &evento);
}

ExploradorRegistro* pestana(VentanaPrueba& f, int i) {
    return qobject_cast<ExploradorRegistro*>(f.ui().panelTabs->widget(i));
}

// The browser's drawing, rendered offscreen.
QImage pintar(const ExploradorRegistro& e) {
    QImage imagen(e.lienzo()->size(), QImage::Format_RGB32);
    e.lienzo()->render(&imagen);
    return imagen;
}

// Image columns with a trace pixel at least `altura` pixels above the centre
// of page row `fila`, within that row's band.
QList<int> columnasConPico(const ExploradorRegistro& e, const QImage& imagen, int fila, int altura) {
    QList<int> r;
    const QRect area = e.lienzo()->areaTrazo();
    const double centro = e.lienzo()->centroFila(fila);
    const int arriba = std::max(area.top(), int(centro - e.lienzo()->altoFila() / 2));
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = arriba; y <= int(centro) - altura; ++y)
            if (imagen.pixel(x, y) == qRgb(0, 0, 139)) {
                r << x;
                break;
            }
    return r;
}

}  // namespace

class PruebaExplorador : public QObject {
    Q_OBJECT
private slots:
    void abreUnaPestanaCerrableSobreLaRamaElegida() {
        VentanaPrueba f;
        f.ui().explorar_rama->trigger();  // nothing loaded: told, no tab
        QCOMPARE(f.mensajes, QStringList{"Fallo en los datos, revise que en el EEG seleccionado hay datos"});
        QCOMPARE(f.ui().panelTabs->count(), 0);
        f.mensajes.clear();
        f.anadir(sintetico(8));
        f.anadir(sintetico(4));
        f.ramaEtiquetada("CAR");  // selects recording 2, branch 2
        f.ui().explorar_rama->trigger();
        QCOMPARE(f.ui().panelTabs->count(), 1);
        QCOMPARE(f.ui().panelTabs->tabText(0), QStringLiteral("eeg 2-2"));
        QVERIFY(pestana(f, 0));
        QCOMPARE(pestana(f, 0)->rama(), &f.rama(1, 1));

        f.seleccionar(0, 0);
        f.ui().explorar_rama->trigger();
        QCOMPARE(f.ui().panelTabs->tabText(1), QStringLiteral("eeg 1-1"));
        QCOMPARE(pestana(f, 1)->rama(), &f.rama(0, 0));
        QCOMPARE(f.ui().panelTabs->currentIndex(), 1);
        QCOMPARE(pestana(f, 1)->estado().canales().size(), std::size_t{8});
        QVERIFY(f.mensajes.isEmpty());
        // Closing tabs and removing branches: grafico_test (one mechanism for every tab).
    }

    void lasTeclasMuevenPaginasYCanales() {
        const EEG eeg = sintetico(40);  // 60 s; a page of 10 s is 1000 columns
        auto e = explorador(eeg);
        QWidget* l = e->lienzo();
        QTest::keyClick(l, Qt::Key_Right);
        QCOMPARE(e->estado().columnaInicio(), int64_t{1000});
        QTest::keyClick(l, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(e->estado().columnaInicio(), int64_t{1500});
        QTest::keyClick(l, Qt::Key_Left);
        QCOMPARE(e->estado().columnaInicio(), int64_t{500});
        QTest::keyClick(l, Qt::Key_End);
        QCOMPARE(e->estado().columnaInicio(), int64_t{5000});
        QCOMPARE(e->barra()->value(), 5000);
        QTest::keyClick(l, Qt::Key_Home);
        QCOMPARE(e->estado().columnaInicio(), int64_t{0});

        QCOMPARE(e->estado().filasPorPagina(), 32);
        QTest::keyClick(l, Qt::Key_PageDown);
        QCOMPARE(e->estado().primeraFila(), 8);  // 40 channels: the last page keeps 32 rows
        QTest::keyClick(l, Qt::Key_PageUp);
        QCOMPARE(e->estado().primeraFila(), 0);
    }

    void ruedaBarraEIrA() {
        const EEG eeg = sintetico(2);
        auto e = explorador(eeg);
        rueda(e->lienzo(), -1);  // towards the user: a quarter page forward
        QCOMPARE(e->estado().columnaInicio(), int64_t{250});
        rueda(e->lienzo(), 2);
        QCOMPARE(e->estado().columnaInicio(), int64_t{0});
        e->barra()->setValue(3000);
        QCOMPARE(e->estado().columnaInicio(), int64_t{3000});
        QTest::keyClicks(e->campoIrA(), QStringLiteral("12,5"));
        QTest::keyClick(e->campoIrA(), Qt::Key_Return);
        QCOMPARE(e->estado().columnaInicio(), int64_t{1250});
        QCOMPARE(e->barra()->value(), 1250);
        e->campoSegundos()->setValue(5.0);
        QCOMPARE(e->estado().muestrasPagina(), 500.0);
    }

    void lasTeclasDeEscalaCambianLosMicrovoltiosPorFila() {
        const EEG eeg = sintetico(3);
        auto e = explorador(eeg);
        QCOMPARE(e->estado().escala(), 20.0);
        QTest::keyClick(e->lienzo(), Qt::Key_Plus);
        QCOMPARE(e->estado().escala(), 10.0);
        QTest::keyClick(e->lienzo(), Qt::Key_Minus);
        QTest::keyClick(e->lienzo(), Qt::Key_Minus);
        QCOMPARE(e->estado().escala(), 50.0);
        rueda(e->lienzo(), 1, Qt::ControlModifier);
        QCOMPARE(e->estado().escala(), 20.0);
        QCOMPARE(e->estado().columnaInicio(), int64_t{0});  // Ctrl+wheel does not scroll
    }

    void unClicLeeCanalTiempoYValor() {
        const EEG eeg = sintetico(4);
        auto e = explorador(eeg);
        LienzoExplorador* l = e->lienzo();
        QTest::keyClick(l, Qt::Key_Right);  // page from column 1000, one column per pixel
        // Pixel column 257 of the second row: column 1257, t = 12.57 s, value 1000 + 7.
        const QPoint punto(LienzoExplorador::margenIzquierdo + 257, int(l->centroFila(1)));
        QTest::mouseClick(l, Qt::LeftButton, Qt::NoModifier, punto);
        QVERIFY(e->ultimaLectura());
        QCOMPARE(e->ultimaLectura()->canal, 1);
        QCOMPARE(e->ultimaLectura()->tiempo, 12.57);
        QCOMPARE(e->ultimaLectura()->valor, 1007.0);
        QCOMPARE(e->lectura()->text(), QStringLiteral("C2: t = 12.5700 s, valor = 1007"));
        // In the label margin nothing is read.
        QTest::mouseClick(l, Qt::LeftButton, Qt::NoModifier, QPoint(10, int(l->centroFila(1))));
        QCOMPARE(e->ultimaLectura()->canal, 1);
    }

    void laEleccionDeCanalesLimitaLasFilas() {
        const EEG eeg = sintetico(6);
        auto e = explorador(eeg);
        QCOMPARE(e->estado().filasPagina(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
        e->listaCanales()->item(0)->setCheckState(Qt::Unchecked);
        e->listaCanales()->item(3)->setCheckState(Qt::Unchecked);
        QCOMPARE(e->estado().filasPagina(), (std::vector<int>{1, 2, 4, 5}));
        QCOMPARE(e->estado().filasPorPagina(), 4);
        e->elegirCanales({5, 2});
        QCOMPARE(e->estado().filasPagina(), (std::vector<int>{5, 2}));
        QCOMPARE(e->listaCanales()->item(2)->checkState(), Qt::Checked);
        QCOMPARE(e->listaCanales()->item(1)->checkState(), Qt::Unchecked);
        // A click on the first row now reads channel 6.
        QTest::mouseClick(e->lienzo(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(LienzoExplorador::margenIzquierdo + 3, int(e->lienzo()->centroFila(0))));
        QCOMPARE(e->ultimaLectura()->canal, 5);
    }

    void elegirCanalesRechazaUnaRamaEnorme() {
        VentanaPrueba f;
        // 2 x 10000001 samples and the marker at time 0: 20000004 chart points.
        auto enorme = std::make_unique<EEG>(100, 2, 10'000'001);
        f->anadirArchivo(std::move(enorme));
        f.ui().elegir_canales->trigger();
        QCOMPARE(f.mensajes.size(), 1);
        QVERIFY(f.mensajes[0].contains(QStringLiteral("\"explorar rama seleccionada\"")));
        QCOMPARE(cuantas<GuiElegirCanalesDibujar>(), 0);
        f.ui().explorar_rama->trigger();  // the browser takes it
        QCOMPARE(f.ui().panelTabs->count(), 1);
        QCOMPARE(f.mensajes.size(), 1);
    }
    // An hour over 1000 pixels: the summary of extremes is built while the
    // event loop idles, and the page drawn from it is the page drawn from the
    // samples, the spike at column 500000 in pixel floor(500000 / 921.6) = 542.
    void laPaginaDeTodaLaRamaSaleIgualDelResumen() {
        EEG eeg = sintetico(2, 3600 * 256);
        eeg.frecuenciaMuestreo = 256;
        eeg.matrices[0].zeros();
        eeg.matrices[0](1, 500'000) = 1000.0;
        auto e = explorador(eeg);
        e->cambiar([](Exploracion& x) {
            x.fijarSegundosPagina(x.duracion());
            x.fijarEscala(2000.0);
        });
        QVERIFY(!e->piramide());
        const QImage directa = pintar(*e);
        QTRY_VERIFY(e->piramide() != nullptr);
        const QImage resumida = pintar(*e);
        QCOMPARE(columnasConPico(*e, resumida, 1, 20), QList<int>{e->lienzo()->areaTrazo().left() + 542});
        QCOMPARE(resumida, directa);
    }
};

QTEST_MAIN(PruebaExplorador)
#include "explorador_test.moc"
