#include <gtest/gtest.h>

#include <cstdlib>

#include "app/puntosSerie.h"

TEST(PuntosCanal, UnPuntoPorMuestraEnSegundos) {
    // 1000 samples at 256 Hz: times 0, 1/256, ..., 999/256.
    arma::rowvec fila = arma::regspace<arma::rowvec>(0, 999);
    const auto p = puntosCanal(fila, 256, 0.0);
    ASSERT_EQ(p.size(), 1000u);
    EXPECT_DOUBLE_EQ(p[0].t, 0.0);
    EXPECT_DOUBLE_EQ(p[1].t, 1.0 / 256);
    EXPECT_DOUBLE_EQ(p[999].t, 999.0 / 256);
    EXPECT_DOUBLE_EQ(p[999].v, 999.0);
}

TEST(PuntosCanal, ElDesfaseAdelantaLosTiempos) {
    // An averaged epoch starting 0.2 s before its event begins at -0.2 s.
    const auto p = puntosCanal(arma::rowvec{5.0, 6.0}, 10, 0.2);
    EXPECT_DOUBLE_EQ(p[0].t, -0.2);
    EXPECT_DOUBLE_EQ(p[1].t, 0.1 - 0.2);
    EXPECT_DOUBLE_EQ(p[1].v, 6.0);
}

TEST(PuntosCanal, FilaVaciaYFrecuenciaNoValida) {
    EXPECT_TRUE(puntosCanal(arma::rowvec(), 256, 0.0).empty());
    EXPECT_THROW(puntosCanal(arma::rowvec{1.0}, 0, 0.0), std::invalid_argument);
    EXPECT_THROW(puntosCanal(arma::rowvec{1.0}, -5, 0.0), std::invalid_argument);
}

TEST(PuntosEvento, LineaVerticalDeMinimoAMaximo) {
    Evento e;
    e.posicion = 512;
    const auto p = puntosEvento(e, 256, 10.0, -3.0);
    EXPECT_DOUBLE_EQ(p[0].t, 2.0);
    EXPECT_DOUBLE_EQ(p[0].v, -3.0);
    EXPECT_DOUBLE_EQ(p[1].t, 2.0);
    EXPECT_DOUBLE_EQ(p[1].v, 10.0);
    EXPECT_THROW(puntosEvento(e, 0, 1.0, 0.0), std::invalid_argument);
}

TEST(RangoEjes, SegundosEnterosRedondeadosHaciaAbajo) {
    // 1000 / 256 = 3.9 s, the axis shows 0 .. 3.
    const RangoEjes r = rangoEjes(1000, 256, 0.0, 62.25, -40.5);
    EXPECT_DOUBLE_EQ(r.tMin, 0.0);
    EXPECT_DOUBLE_EQ(r.tMax, 3.0);
    EXPECT_DOUBLE_EQ(r.vMin, -40.5);
    EXPECT_DOUBLE_EQ(r.vMax, 62.25);
}

TEST(RangoEjes, TiempoInicioDesplazaElRango) {
    // 512 samples at 256 Hz starting 0.2 s early: -0.2 .. 1.8.
    const RangoEjes r = rangoEjes(512, 256, 0.2, 1.0, 0.0);
    EXPECT_DOUBLE_EQ(r.tMin, -0.2);
    EXPECT_DOUBLE_EQ(r.tMax, 2.0 - 0.2);
}

TEST(RangoEjes, MenosDeUnSegundoUsaLaDuracionReal) {
    // 128 samples at 256 Hz: whole seconds would give an empty 0 .. 0 range.
    const RangoEjes r = rangoEjes(128, 256, 0.2, 1.0, 0.0);
    EXPECT_DOUBLE_EQ(r.tMin, -0.2);
    EXPECT_DOUBLE_EQ(r.tMax, 0.5 - 0.2);
    EXPECT_GT(r.tMax, r.tMin);
}

TEST(RangoEjes, VerticalInvertidoOVacio) {
    const RangoEjes invertido = rangoEjes(256, 256, 0.0, -4.0, 6.0);
    EXPECT_DOUBLE_EQ(invertido.vMin, -4.0);
    EXPECT_DOUBLE_EQ(invertido.vMax, 6.0);
    const RangoEjes plano = rangoEjes(256, 256, 0.0, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(plano.vMin, -1.0);
    EXPECT_DOUBLE_EQ(plano.vMax, 1.0);
    EXPECT_THROW(rangoEjes(256, 0, 0.0, 1.0, 0.0), std::invalid_argument);
}

TEST(PrimerosDeSuTipo, SoloElPrimeroDeCadaTipoYCalificador) {
    auto ev = [](int tipo, int calificador) {
        Evento e;
        e.tipo = tipo;
        e.calificador = calificador;
        return e;
    };
    const std::vector<Evento> eventos{ev(768, 1), ev(769, 1), ev(768, 1), ev(768, 2), ev(769, 1)};
    EXPECT_EQ(primerosDeSuTipo(eventos), (std::vector<bool>{true, true, false, true, false}));
    EXPECT_TRUE(primerosDeSuTipo({}).empty());
}

TEST(ColorAleatorioCanal, AzulVerdeRojoModulo255) {
    std::srand(42);
    const int azul = std::rand() % 255;
    const int verde = std::rand() % 255;
    const int rojo = std::rand() % 255;
    std::srand(42);
    const ColorRGB c = colorAleatorioCanal();
    EXPECT_EQ(c.azul, azul);
    EXPECT_EQ(c.verde, verde);
    EXPECT_EQ(c.rojo, rojo);
}

TEST(CanalesExistentes, DescartaLosQueLaRamaNoTiene) {
    EXPECT_EQ(canalesExistentes({0, 5, 2, -1, 3}, 4), (std::vector<int>{0, 2, 3}));
    EXPECT_TRUE(canalesExistentes({0, 1}, 0).empty());
}

TEST(ExtremosFilas, MaximoYMinimoDeLasFilasElegidas) {
    // Rows 0 and 2 span -40.5 .. 62.25; row 1 (not chosen) holds larger values.
    const arma::mat datos{{1.0, 62.25, -3.0}, {1000.0, -1000.0, 0.0}, {-40.5, 7.0, 2.0}};
    const auto e = extremosFilas(datos, {0, 2});
    ASSERT_TRUE(e.has_value());
    EXPECT_DOUBLE_EQ(e->first, 62.25);
    EXPECT_DOUBLE_EQ(e->second, -40.5);
}

TEST(ExtremosFilas, SinFilasSinMuestrasOFilaInexistente) {
    const arma::mat datos(2, 3, arma::fill::ones);
    EXPECT_FALSE(extremosFilas(datos, {}).has_value());
    EXPECT_FALSE(extremosFilas(arma::mat(2, 0), {0}).has_value());
    EXPECT_THROW(extremosFilas(datos, {2}), std::out_of_range);
}

TEST(MotivoNoDibujable, FrecuenciaCeroODatosVacios) {
    EEG bueno(256, 2, 10);
    EXPECT_TRUE(motivoNoDibujable(bueno).empty());

    EEG sinFrecuencia(256, 2, 10);
    sinFrecuencia.frecuenciaMuestreo = 0;
    EXPECT_NE(motivoNoDibujable(sinFrecuencia).find("frecuencia de muestreo es 0 Hz"), std::string::npos);

    EXPECT_EQ(motivoNoDibujable(EEG()), "Fallo en los datos, revise que en el EEG seleccionado hay datos");
    EXPECT_EQ(motivoNoDibujable(EEG(256, 2, 0)), "Fallo en los datos, revise que en el EEG seleccionado hay datos");
}

TEST(EtiquetaVisible, SinBlancosNiNulosFinales) {
    EXPECT_EQ(etiquetaVisible(std::string("Fz   \0\0 \0", 10)), "Fz");
    EXPECT_EQ(etiquetaVisible("PO 7 "), "PO 7");
    EXPECT_EQ(etiquetaVisible(std::string("\0\0", 2)), "");
    EXPECT_EQ(etiquetaVisible(""), "");
}
