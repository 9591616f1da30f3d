// The axis ranges of a plot where the window cannot show them easily: short
// branches, flat or inverted ranges.
#include <gtest/gtest.h>

#include "representacion/puntosSerie.h"

TEST(PuntosSerie, RangosDeEjes) {
    const RangoEjes r = rangoEjes(1000, 256, 0.0, 62.25, -40.5);
    EXPECT_EQ(r.tMax, 1000.0 / 256);  // 3.906 s, not 3: the last 0.9 s are on the axis
    EXPECT_EQ(r.vMin, -40.5);
    EXPECT_DOUBLE_EQ(rangoEjes(128, 256, 0.2, 1.0, 0.0).tMax, 0.5 - 0.2);
    const RangoEjes invertido = rangoEjes(256, 256, 0.0, -4.0, 6.0);
    EXPECT_EQ(invertido.vMin, -4.0);
    EXPECT_EQ(invertido.vMax, 6.0);
    const RangoEjes plano = rangoEjes(256, 256, 0.0, 0.0, 0.0);
    EXPECT_EQ(plano.vMin, -1.0);
    EXPECT_EQ(plano.vMax, 1.0);
    EXPECT_THROW(rangoEjes(256, 0, 0.0, 1.0, 0.0), std::invalid_argument);
}

// An average of -1000/+1500 ms at 256 Hz holds 641 samples, 2.504 s, from -1 s:
// the axis reaches 1.504 s, not the whole-second 1 s that hid its last half second.
TEST(PuntosSerie, EjeCubreElPromedioEntero) {
    const RangoEjes r = rangoEjes(641, 256, 1.0, 1.0, 0.0);
    EXPECT_EQ(r.tMin, -1.0);
    EXPECT_EQ(r.tMax, 641.0 / 256 - 1.0);
}

namespace {
// 1000 samples at 100 Hz drawn one pixel per sample: the axis spans 0 .. 10 s
// over view pixels 50 .. 1050, so pixel x shows sample x - 50.
GeometriaHorizontal unPixelPorMuestra(double xVisible, double anchoVisible) {
    return {0.0, 10.0, 50.0, 1000.0, xVisible, anchoVisible};
}
}  // namespace

// Pixels 250 .. 450 show samples 200 .. 400; the point at the right edge is
// kept; a margin adds visible widths and is cut to the channel.
TEST(TramoVisible, LasMuestrasEnPantallaUnaMasEnCadaBordeYElMargen) {
    const TramoMuestras t = tramoVisible(1000, 100, 0.0, unPixelPorMuestra(250, 200), 0.0);
    EXPECT_EQ(t.desde, 200);
    EXPECT_EQ(t.hasta, 401);
    // Half a pixel on: samples 200.5 .. 400.5 need 200 and 401 to reach both edges.
    const TramoMuestras medio = tramoVisible(1000, 100, 0.0, unPixelPorMuestra(250.5, 200), 0.0);
    EXPECT_EQ(medio.desde, 200);
    EXPECT_EQ(medio.hasta, 402);
    // A margin of 1 adds a visible width on each side, cut to the channel.
    const TramoMuestras margen = tramoVisible(1000, 100, 0.0, unPixelPorMuestra(250, 200), 1.0);
    EXPECT_EQ(margen.desde, 0);   // 200 - 200
    EXPECT_EQ(margen.hasta, 601); // 400 + 200, and the edge point
    const TramoMuestras fin = tramoVisible(1000, 100, 0.0, unPixelPorMuestra(900, 200), 0.5);
    EXPECT_EQ(fin.desde, 750);  // 850 - 100
    EXPECT_EQ(fin.hasta, 1000);
}

// An averaged branch starting 0.2 s before its event: the axis runs from
// -0.2 s and sample i sits at i / 100 - 0.2, so the same pixels show the same samples.
TEST(TramoVisible, UnaRamaPromediadaSeDesplazaConSuInicio) {
    const GeometriaHorizontal g{-0.2, 9.8, 50.0, 1000.0, 250.0, 200.0};
    const TramoMuestras t = tramoVisible(1000, 100, 0.2, g, 0.0);
    EXPECT_EQ(t.desde, 200);
    EXPECT_EQ(t.hasta, 401);
}

TEST(TramoVisible, SinGeometriaNiMuestrasNoHayTramo) {
    EXPECT_TRUE(tramoVisible(1000, 100, 0.0, GeometriaHorizontal{0.0, 10.0, 0.0, 0.0, 0.0, 600.0}, 1.0).vacio());
    EXPECT_TRUE(tramoVisible(1000, 100, 0.0, GeometriaHorizontal{0.0, 10.0, 50.0, 1000.0, 0.0, 0.0}, 1.0).vacio());
    EXPECT_TRUE(tramoVisible(1000, 100, 0.0, GeometriaHorizontal{5.0, 5.0, 50.0, 1000.0, 0.0, 600.0}, 1.0).vacio());
    EXPECT_TRUE(tramoVisible(0, 100, 0.0, unPixelPorMuestra(250, 200), 1.0).vacio());
    EXPECT_TRUE(tramoVisible(1000, 100, 0.0, unPixelPorMuestra(2000, 200), 0.0).vacio());  // past the end
    EXPECT_THROW(tramoVisible(1000, 0, 0.0, unPixelPorMuestra(250, 200), 1.0), std::invalid_argument);
}

// Samples 250 .. 450 on screen, half a margin more 150 .. 550: all held.
TEST(TramoParaMostrar, SeConservaMientrasCubreLoVisibleYSeRenuevaAlSalir) {
    const TramoMuestras mostrado{0, 601};
    const TramoMuestras igual = tramoParaMostrar(mostrado, 1000, 100, 0.0, unPixelPorMuestra(300, 200), 1.0);
    EXPECT_EQ(igual.desde, 0);
    EXPECT_EQ(igual.hasta, 601);
    // Samples 500 .. 700 on screen are not all in 0 .. 600: refilled around them.
    const TramoMuestras t = tramoParaMostrar({0, 601}, 1000, 100, 0.0, unPixelPorMuestra(550, 200), 1.0);
    EXPECT_EQ(t.desde, 300);
    EXPECT_EQ(t.hasta, 901);
}

// Samples 400 .. 600 on screen are held, but not the half margin up to 700:
// refilled before the screen reaches the edge.
TEST(TramoParaMostrar, SeRenuevaMedioMargenAntesDelBorde) {
    const TramoMuestras t = tramoParaMostrar({0, 601}, 1000, 100, 0.0, unPixelPorMuestra(450, 200), 1.0);
    EXPECT_EQ(t.desde, 200);
    EXPECT_EQ(t.hasta, 801);
}

// Zoomed in to 2 .. 3 s, pixels 250 .. 450 show samples 220 .. 240: the
// 601 samples held still cover them but are far more than the 61 needed.
TEST(TramoParaMostrar, SeRecortaAlAmpliar) {
    const GeometriaHorizontal g{2.0, 3.0, 50.0, 1000.0, 250.0, 200.0};
    const TramoMuestras t = tramoParaMostrar({0, 601}, 1000, 100, 0.0, g, 1.0);
    EXPECT_EQ(t.desde, 200);
    EXPECT_EQ(t.hasta, 261);
    // Not laid out yet: what is held stays.
    const TramoMuestras sinGeometria = tramoParaMostrar({0, 601}, 1000, 100, 0.0, GeometriaHorizontal{}, 1.0);
    EXPECT_EQ(sinGeometria.hasta, 601);
}

// A window moved to fit the branch: 2 s of a 0 .. 10 s span asked at 9 s
// starts at 8 s; one wider than the span is the span.
TEST(EncajarVentana, DentroDelLapsoDeLaRama) {
    const VentanaTiempo v = encajarVentana({9.0, 2.0}, 0.0, 10.0);
    EXPECT_DOUBLE_EQ(v.inicio, 8.0);
    EXPECT_DOUBLE_EQ(v.ancho, 2.0);
    EXPECT_DOUBLE_EQ(encajarVentana({-3.0, 2.0}, -0.2, 10.0).inicio, -0.2);
    const VentanaTiempo todo = encajarVentana({4.0, 50.0}, -0.2, 10.0);
    EXPECT_DOUBLE_EQ(todo.inicio, -0.2);
    EXPECT_DOUBLE_EQ(todo.ancho, 10.2);
    EXPECT_DOUBLE_EQ(encajarVentana({1.0, 0.0}, 0.0, 10.0).ancho, 10.0);  // no width: the whole span
}

// 80 pixels apart at least: 3.4 s over 870 pixels needs 0.3126 s, so 0.5 s
// with one decimal; 240 s over 900 pixels needs 21.3 s, so 50 s.
TEST(PasoEjeTiempo, UnoDosCincoConSusDecimales) {
    const PasoEjeTiempo corto = pasoEjeTiempo(3.4, 870.0);
    EXPECT_DOUBLE_EQ(corto.paso, 0.5);
    EXPECT_EQ(corto.decimales, 1);
    EXPECT_DOUBLE_EQ(pasoEjeTiempo(240.0, 900.0).paso, 50.0);
    EXPECT_EQ(pasoEjeTiempo(240.0, 900.0).decimales, 0);
    EXPECT_DOUBLE_EQ(pasoEjeTiempo(0.08, 800.0).paso, 0.01);  // exactly on a step
    EXPECT_EQ(pasoEjeTiempo(0.08, 800.0).decimales, 2);
    EXPECT_DOUBLE_EQ(pasoEjeTiempo(1.0, 0.0).paso, 1.0);  // not laid out yet
}

TEST(TituloEjeAmplitud, MicrovoltiosOLasUnidadesDeLosCanales) {
    EEG e(100, 3, 4);
    (*e.canales)[0].unidad = "uV";
    (*e.canales)[2].unidad = "mV";
    EXPECT_EQ(tituloEjeAmplitud(e, {0, 1}), "Amplitud (\xC2\xB5V)");  // one in uV, one without unit
    EXPECT_EQ(tituloEjeAmplitud(e, {2}), "Amplitud (mV)");
    EXPECT_EQ(tituloEjeAmplitud(e, {2, 0, 1}), "Amplitud (mV, \xC2\xB5V)");
    EXPECT_EQ(tituloEjeAmplitud(e, {}), "Amplitud (\xC2\xB5V)");
}
