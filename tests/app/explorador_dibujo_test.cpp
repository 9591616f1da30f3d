// What the browser paints, checked on the pixels of an offscreen rendering:
// a decimated spike, event lines and their labels, the zero line of an
// averaged branch, and rows in their order with their labels.
//
// The drawing is 1000 pixel columns wide and 356 high (400 minus the top and
// bottom margins); traces are dark blue (0, 0, 139) without antialiasing.

#include <QListWidget>
#include <QPainter>
#include <QtTest>

#include "app/exploradorRegistro.h"

namespace {

constexpr int ancho = 1000;
const QRgb azulTrazo = qRgb(0, 0, 139);

struct Vista {
    std::unique_ptr<ExploradorRegistro> e;
    QImage pintar() const {
        QImage imagen(e->lienzo()->size(), QImage::Format_RGB32);
        e->lienzo()->render(&imagen);
        return imagen;
    }
    QRect area() const { return e->lienzo()->areaTrazo(); }
};

Vista vista(const EEG& eeg) {
    Vista v{std::make_unique<ExploradorRegistro>([&eeg] { return &eeg; })};
    // Fixed, so the browser's layout cannot resize it when it is rendered.
    v.e->lienzo()->setFixedSize(LienzoExplorador::margenIzquierdo + ancho + LienzoExplorador::margenDerecho, 400);
    return v;
}

// Zero-filled branch, `canales` channels labelled as given.
EEG ceros(int frecuencia, const std::vector<std::string>& etiquetas, int muestras) {
    EEG e(frecuencia, static_cast<uint32_t>(etiquetas.size()), muestras);
    for (std::size_t c = 0; c < etiquetas.size(); ++c) (*e.canales)[c].etiqueta = etiquetas[c];
    return e;
}

// Image columns holding a trace pixel at least `altura` pixels above the
// centre of page row `fila`, within that row's band.
QList<int> columnasConPico(const Vista& v, const QImage& imagen, int fila, int altura) {
    QList<int> r;
    const double centro = v.e->lienzo()->centroFila(fila);
    const double alto = v.e->lienzo()->altoFila();
    const int arriba = std::max(v.area().top(), int(centro - alto / 2));
    for (int x = v.area().left(); x <= v.area().right(); ++x)
        for (int y = arriba; y <= int(centro) - altura; ++y)
            if (imagen.pixel(x, y) == azulTrazo) {
                r << x;
                break;
            }
    return r;
}

int pixelesDeColor(const QImage& imagen, int x, int y0, int y1, QRgb color) {
    int n = 0;
    for (int y = y0; y <= y1; ++y) n += imagen.pixel(x, y) == color;
    return n;
}

// Pixels of `caja` that are not white.
int pixelesEscritos(const QImage& imagen, const QRect& caja) {
    int n = 0;
    for (int y = caja.top(); y <= caja.bottom(); ++y)
        for (int x = caja.left(); x <= caja.right(); ++x) n += imagen.pixel(x, y) != qRgb(255, 255, 255);
    return n;
}

}  // namespace

class PruebaDibujoExplorador : public QObject {
    Q_OBJECT
private slots:
    void unPicoDeUnaMuestraSeVeEnSuColumna() {
        // 256 Hz: a 10 s page is 2560 columns over 1000 pixels. Columns
        // 1234..1236 share pixel floor(1235 * 1000 / 2560) = 482; the spike is
        // the middle one, so only the column's maximum carries it.
        EEG eeg = ceros(256, {"Fz", "Cz"}, 60 * 256);
        eeg.matrices[0](0, 1235) = 1000.0;
        Vista v = vista(eeg);
        v.e->cambiar([](Exploracion& e) { e.fijarEscala(2000.0); });  // the spike rises half a row
        const QImage imagen = v.pintar();
        QCOMPARE(columnasConPico(v, imagen, 0, 20), QList<int>{v.area().left() + 482});
        QVERIFY(columnasConPico(v, imagen, 1, 20).isEmpty());

        // Next page: 1235 is off it, nothing rises.
        v.e->cambiar([](Exploracion& e) { e.desplazarPaginas(1); });
        QVERIFY(columnasConPico(v, v.pintar(), 0, 20).isEmpty());
    }

    void laPaginaDeTodaLaRamaSaleIgualDelResumen() {
        // An hour at 256 Hz over 1000 pixels: 921.6 columns a pixel. The
        // spike at column 500000 falls in pixel floor(500000 / 921.6) = 542,
        // away from both its edges.
        EEG eeg = ceros(256, {"Fz", "Cz"}, 3600 * 256);
        eeg.matrices[0](1, 500'000) = 1000.0;
        Vista v = vista(eeg);
        v.e->cambiar([](Exploracion& e) {
            e.fijarSegundosPagina(e.duracion());
            e.fijarEscala(2000.0);
        });
        QVERIFY(!v.e->piramide());
        const QImage directa = v.pintar();
        QTRY_VERIFY(v.e->piramide() != nullptr);  // built while the event loop idles
        const QImage resumida = v.pintar();
        QCOMPARE(columnasConPico(v, resumida, 1, 20), QList<int>{v.area().left() + 542});
        QVERIFY(columnasConPico(v, resumida, 0, 20).isEmpty());
        QCOMPARE(resumida, directa);
    }

    void lasLineasDeEventoVanEnSuColumnaConSuTipo() {
        EEG eeg = ceros(256, {"Fz", "Cz"}, 60 * 256);
        eeg.tablaEventos = std::make_shared<TablaEventos>();
        Evento a;
        a.tipo = 1;
        a.calificador = 1;
        a.posicion = 300;  // pixel floor(300 * 1000 / 2560) = 117
        a.rojo = 200;
        Evento b;
        b.tipo = 768;
        b.calificador = 2;
        b.posicion = 1500;  // pixel 585
        b.verde = 150;
        eeg.tablaEventos->eventos = {a, b};
        Vista v = vista(eeg);
        const QImage imagen = v.pintar();
        const QRect area = v.area();
        const struct {
            int x;
            QRgb color;
            QString texto;
        } esperados[] = {{area.left() + 117, qRgb(200, 0, 0), "1.1"}, {area.left() + 585, qRgb(0, 150, 0), "768.2"}};
        for (const auto& m : esperados) {
            QCOMPARE(pixelesDeColor(imagen, m.x, area.top(), area.bottom(), m.color), area.height());
            QCOMPARE(pixelesDeColor(imagen, m.x - 1, area.top(), area.bottom(), m.color), 0);
            QCOMPARE(pixelesDeColor(imagen, m.x + 1, area.top(), area.bottom(), m.color), 0);
            // The kind is written at the top, just right of the line, in its colour.
            const QFontMetrics metrica(v.e->lienzo()->font());
            const QRect caja(m.x + 2, 0, metrica.horizontalAdvance(m.texto), LienzoExplorador::margenSuperior);
            int enColor = 0;
            for (int x = caja.left(); x <= caja.right(); ++x) enColor += pixelesDeColor(imagen, x, 0, caja.bottom(), m.color);
            QVERIFY2(enColor > 0, qPrintable(m.texto));
        }
    }

    void enUnaColumnaConVariosEventosSeVeElUltimo() {
        // Columns 300 and 301 share pixel 117 (2.56 columns a pixel): the
        // later event's line covers the earlier one, as if both were drawn.
        EEG eeg = ceros(256, {"Fz"}, 60 * 256);
        eeg.tablaEventos = std::make_shared<TablaEventos>();
        Evento a;
        a.posicion = 300;
        a.rojo = 200;
        Evento b = a;
        b.posicion = 301;
        b.rojo = 0;
        b.verde = 150;
        eeg.tablaEventos->eventos = {a, b};
        Vista v = vista(eeg);
        const QImage imagen = v.pintar();
        const QRect area = v.area();
        QCOMPARE(pixelesDeColor(imagen, area.left() + 117, area.top(), area.bottom(), qRgb(0, 150, 0)), area.height());
    }

    void laLineaCeroDeUnPromedio() {
        // An average from -0.2 s to 0.6 s at 250 Hz (200 columns): the page is
        // the whole epoch, so time 0 (column 50) is pixel 50 * 1000 / 200 = 250.
        EEG eeg = ceros(250, {"Fz"}, 200);
        eeg.tiempoInicio = 0.2;
        Vista v = vista(eeg);
        const QImage imagen = v.pintar();
        const QRect area = v.area();
        const QRgb negro = qRgb(0, 0, 0);
        const int x = area.left() + 250;
        // Dashed: about half its pixels are drawn.
        QVERIFY(pixelesDeColor(imagen, x, area.top(), area.bottom(), negro) > area.height() / 3);
        QCOMPARE(pixelesDeColor(imagen, x - 1, area.top(), area.bottom(), negro), 0);
        QCOMPARE(pixelesDeColor(imagen, x + 1, area.top(), area.bottom(), negro), 0);
        // A recording that starts at 0 has none.
        EEG registro = ceros(250, {"Fz"}, 200);
        Vista r = vista(registro);
        const QImage sinCero = r.pintar();
        for (int c = area.left(); c <= area.right(); ++c)
            QCOMPARE(pixelesDeColor(sinCero, c, area.top(), area.bottom(), negro), 0);
    }

    void lasFilasGuardanSuOrdenYSusEtiquetas() {
        // Channel i has a spike at column 1235 + 256 i, the middle sample of
        // pixel column 482 + 100 i (the pixel pattern repeats every 128 columns,
        // 50 pixels); 1000 units of 4000 per 89-pixel row rise 22 pixels.
        const std::vector<std::string> etiquetas = {"Fz", "Cz", "Pz", "Oz"};
        EEG eeg = ceros(256, etiquetas, 60 * 256);
        for (int c = 0; c < 4; ++c) eeg.matrices[0](c, 1235 + 256 * c) = 1000.0;
        Vista v = vista(eeg);
        v.e->cambiar([](Exploracion& e) { e.fijarEscala(4000.0); });
        LienzoExplorador* l = v.e->lienzo();

        auto comprobar = [&](const std::vector<int>& canales) {
            const QImage imagen = v.pintar();
            for (int fila = 0; fila < int(canales.size()); ++fila) {
                const int c = canales[fila];
                const int pixel = 482 + 100 * c;
                QCOMPARE(columnasConPico(v, imagen, fila, 16), QList<int>{v.area().left() + pixel});
                const QRectF caja(2, l->centroFila(fila) - l->altoFila() / 2, LienzoExplorador::margenIzquierdo - 8,
                                  l->altoFila());
                QCOMPARE(v.e->etiquetaCanal(c), QString::fromStdString(etiquetas[c]));
                QVERIFY2(pixelesEscritos(imagen, caja.toAlignedRect()) > 0, etiquetas[c].c_str());
            }
        };
        comprobar({0, 1, 2, 3});
        v.e->elegirCanales({2, 0});
        comprobar({2, 0});
        // Three ticked in the browser's channel list: three rows, in the list's order.
        for (int c = 0; c < 4; ++c) v.e->listaCanales()->item(c)->setCheckState(c == 1 ? Qt::Unchecked : Qt::Checked);
        QCOMPARE(v.e->estado().filasPagina(), (std::vector<int>{0, 2, 3}));
        comprobar({0, 2, 3});
    }
};

QTEST_MAIN(PruebaDibujoExplorador)
#include "explorador_dibujo_test.moc"
