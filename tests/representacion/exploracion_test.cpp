// The browser's page arithmetic: decimation per pixel column, the initial
// scale, event and tick placement, and navigation state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "representacion/exploracion.h"

namespace {

// Pixel columns whose maximum exceeds `umbral`.
std::vector<int> columnasSobre(const TrazoFila& t, float umbral) {
    std::vector<int> r;
    for (std::size_t x = 0; x < t.columnas.size(); ++x)
        if (!t.columnas[x].vacia && t.columnas[x].maximo > umbral) r.push_back(static_cast<int>(x));
    return r;
}

}  // namespace

TEST(TrazarPagina, SpikeInsideAPixelColumnKeepsItsPeak) {
    // 2560 samples over 1000 pixels: column c falls in pixel floor(c * 1000 / 2560).
    // Samples 1234..1236 share pixel 482; the spike at 1235 is neither first nor last.
    arma::mat datos(2, 6000, arma::fill::zeros);
    datos(0, 1235) = 1000.0;
    std::vector<TrazoFila> trazos;
    trazarPagina(datos, {0, 1}, 0, 2560.0, 1000, trazos);
    ASSERT_EQ(trazos.size(), 2u);
    EXPECT_EQ(columnasSobre(trazos[0], 1.0), std::vector<int>{482});
    EXPECT_EQ(trazos[0].columnas[482].primero, 0.0f);
    EXPECT_EQ(trazos[0].columnas[482].ultimo, 0.0f);
    EXPECT_TRUE(columnasSobre(trazos[1], 1.0).empty());
    // Centred on the mean of the columns' midpoints: 500 in one of 1000.
    EXPECT_DOUBLE_EQ(trazos[0].media, 0.5);
}

TEST(TrazarPagina, SparsePageLeavesEmptyColumnsBetweenSamples) {
    arma::mat datos = arma::regspace<arma::rowvec>(0, 99);
    std::vector<TrazoFila> trazos;
    trazarPagina(datos, {0}, 20, 10.0, 100, trazos);  // columns 20..29, one every 10 pixels
    for (int x = 0; x < 100; ++x) {
        EXPECT_EQ(trazos[0].columnas[x].vacia, x % 10 != 0) << x;
        if (x % 10 == 0) {
            EXPECT_EQ(trazos[0].columnas[x].maximo, 20.0f + x / 10);
        }
    }
}

TEST(TrazarPagina, RowsComeInTheAskedOrderAndThePageStopsAtTheEnd) {
    arma::mat datos(3, 50);
    for (arma::uword f = 0; f < 3; ++f) datos.row(f).fill(10.0 * f);
    std::vector<TrazoFila> trazos;
    trazarPagina(datos, {2, 0}, 40, 20.0, 20, trazos);  // columns 40..59, only 40..49 exist
    EXPECT_EQ(trazos[0].columnas[0].maximo, 20.0f);
    EXPECT_EQ(trazos[1].columnas[0].maximo, 0.0f);
    EXPECT_FALSE(trazos[0].columnas[9].vacia);
    EXPECT_TRUE(trazos[0].columnas[10].vacia);
    EXPECT_THROW(trazarPagina(datos, {3}, 0, 20.0, 20, trazos), std::invalid_argument);
    EXPECT_THROW(trazarPagina(datos, {0}, 0, 20.0, 0, trazos), std::invalid_argument);
}

TEST(TrazarPagina, NaNSamplesAreSkipped) {
    arma::rowvec fila = {arma::datum::nan, 1.0, arma::datum::nan, 3.0, -2.0, arma::datum::nan};
    std::vector<TrazoFila> trazos;
    // Rows 0 and 2 hold the same samples: read as a run (0) and through the index list (2, 0).
    arma::mat datos = arma::join_cols(fila, arma::rowvec(6, arma::fill::zeros), fila);
    for (const std::vector<int>& filas : {std::vector<int>{0}, std::vector<int>{2, 0}}) {
        trazarPagina(datos, filas, 0, 6.0, 2, trazos);  // columns 0..2 in pixel 0, 3..5 in pixel 1
        EXPECT_EQ(trazos[0].columnas[0].minimo, 1.0f);
        EXPECT_EQ(trazos[0].columnas[0].maximo, 1.0f);
        EXPECT_EQ(trazos[0].columnas[0].primero, 1.0f);  // a NaN first sample gives way to the minimum
        EXPECT_EQ(trazos[0].columnas[1].minimo, -2.0f);
        EXPECT_EQ(trazos[0].columnas[1].maximo, 3.0f);
        EXPECT_EQ(trazos[0].columnas[1].ultimo, -2.0f);
        EXPECT_DOUBLE_EQ(trazos[0].media, (1.0 + 0.5) / 2);
    }
    trazarPagina(arma::mat(1, 4, arma::fill::value(arma::datum::nan)), {0}, 0, 4.0, 1, trazos);
    EXPECT_TRUE(trazos[0].columnas[0].vacia);
}

// Extremes of each pixel column straight from the samples, by the same
// sample-to-pixel rule the browser uses everywhere.
struct Extremos {
    std::vector<double> minimo, maximo;
};
Extremos extremosDirectos(const arma::mat& datos, int fila, int64_t inicio, double muestrasPagina, int pixeles) {
    Extremos r{std::vector<double>(pixeles, arma::datum::inf), std::vector<double>(pixeles, -arma::datum::inf)};
    for (int64_t j = std::max<int64_t>(inicio, 0); j < static_cast<int64_t>(datos.n_cols); ++j) {
        const int64_t px = pixelDeColumna(static_cast<double>(j), inicio, muestrasPagina, pixeles);
        if (px >= pixeles) break;
        const double v = datos(fila, j);
        if (std::isnan(v)) continue;
        r.minimo[px] = std::min(r.minimo[px], v);
        r.maximo[px] = std::max(r.maximo[px], v);
    }
    return r;
}

TEST(PiramideExtremos, PagesDrawnFromItKeepEveryColumnsExtremes) {
    // Noise with a one-sample spike and dip, a NaN run, an odd length (the
    // last blocks are partial) and pages that start off any block boundary.
    arma::arma_rng::set_seed(7);
    arma::mat datos = arma::randn<arma::mat>(5, 200'003);
    datos(3, 123'457) = 50.0;
    datos(1, 77) = -40.0;
    datos.submat(2, 1000, 2, 1100).fill(arma::datum::nan);
    PiramideExtremos piramide;
    piramide.construir(datos);
    ASSERT_TRUE(piramide.sirvePara(datos));
    const std::vector<int> filas = {3, 1, 2, 0};
    struct Pagina {
        int64_t inicio;
        double muestras;
        int pixeles;
    };
    std::vector<TrazoFila> conPiramide, sinPiramide;
    for (const Pagina& p : {Pagina{0, 200'003.0, 997}, Pagina{13, 150'000.0, 1000}, Pagina{100'001, 99'000.5, 333},
                            Pagina{123'000, 2000.0, 640}, Pagina{5, 40.0, 1000}}) {
        trazarPagina(datos, filas, p.inicio, p.muestras, p.pixeles, conPiramide, &piramide);
        trazarPagina(datos, filas, p.inicio, p.muestras, p.pixeles, sinPiramide);
        for (std::size_t i = 0; i < filas.size(); ++i) {
            const Extremos e = extremosDirectos(datos, filas[i], p.inicio, p.muestras, p.pixeles);
            for (int x = 0; x < p.pixeles; ++x) {
                const ColumnaTrazo& c = conPiramide[i].columnas[x];
                ASSERT_EQ(c.vacia, !(e.minimo[x] <= e.maximo[x])) << p.inicio << " " << x;
                if (c.vacia) continue;
                ASSERT_EQ(c.minimo, static_cast<float>(e.minimo[x])) << p.inicio << " " << i << " " << x;
                ASSERT_EQ(c.maximo, static_cast<float>(e.maximo[x])) << p.inicio << " " << i << " " << x;
                ASSERT_EQ(c.primero, sinPiramide[i].columnas[x].primero);
                ASSERT_EQ(c.ultimo, sinPiramide[i].columnas[x].ultimo);
            }
            EXPECT_DOUBLE_EQ(conPiramide[i].media, sinPiramide[i].media);
        }
    }
    // The spike and the dip each stand alone in their pixel column of the whole recording.
    trazarPagina(datos, {3, 1}, 0, 200'003.0, 997, conPiramide, &piramide);
    EXPECT_EQ(columnasSobre(conPiramide[0], 10.0f),
              std::vector<int>{static_cast<int>(pixelDeColumna(123'457, 0, 200'003.0, 997))});
    EXPECT_EQ(conPiramide[1].columnas[0].minimo, -40.0f);
}

TEST(PiramideExtremos, StaysUnderATenthOfTheSamples) {
    const arma::mat datos(4, 3600 * 256, arma::fill::zeros);  // an hour at 256 Hz
    PiramideExtremos piramide;
    piramide.construir(datos);
    // 2 floats per 32 samples, halving per level: at most 1/16 of the doubles' bytes.
    EXPECT_LE(piramide.bytes(), datos.n_elem * sizeof(double) / 16);
    EXPECT_EQ(piramide.niveles(), 15);  // blocks of 2^5 .. 2^19 samples
    EXPECT_EQ(piramide.minimos(PiramideExtremos::nivelMinimo).n_cols, 28'800u);
}

TEST(PiramideExtremos, BuiltInChunksAndNotUsedForAnotherMatrix) {
    arma::mat datos(2, 1000, arma::fill::zeros);
    datos(0, 500) = 9.0;
    PiramideExtremos piramide;
    piramide.empezar(datos);
    EXPECT_FALSE(piramide.avanzar(datos, 320));  // 10 of 31 blocks
    EXPECT_FALSE(piramide.sirvePara(datos));
    EXPECT_FALSE(piramide.avanzar(datos, 320));
    EXPECT_TRUE(piramide.avanzar(datos, 1'000'000));
    EXPECT_TRUE(piramide.sirvePara(datos));
    EXPECT_EQ(piramide.maximos(PiramideExtremos::nivelMinimo)(0, 15), 9.0f);  // 500 / 32
    EXPECT_EQ(piramide.maximos(PiramideExtremos::nivelMinimo + 4)(0, 0), 9.0f);

    const arma::mat otra(2, 1000, arma::fill::ones);
    EXPECT_FALSE(piramide.sirvePara(otra));
    EXPECT_THROW(piramide.avanzar(otra, 32), std::logic_error);
    std::vector<TrazoFila> trazos;
    trazarPagina(otra, {0}, 0, 1000.0, 10, trazos, &piramide);  // its own samples, not the pyramid's
    EXPECT_EQ(trazos[0].columnas[5].maximo, 1.0f);
}

TEST(PixelDeColumna, ClickAndSampleAgree) {
    // 1000 columns over 1000 pixels from column 1000: pixel 250 is column 1250.
    EXPECT_EQ(pixelDeColumna(1250, 1000, 1000.0, 1000), 250);
    EXPECT_EQ(columnaDePixel(250, 1000, 1000.0, 1000), 1250);
    // 10 columns over 100 pixels: pixel 37 lies in the span of column 3.
    EXPECT_EQ(columnaDePixel(37, 0, 10.0, 100), 3);
    EXPECT_EQ(pixelDeColumna(-1, 0, 10.0, 100), -10);
}

TEST(EscalaInicial, ThreeMediansOfInterquartileRangesRoundedUp) {
    // Row r holds (r + 1) * (0 .. 99); quartiles at sorted indices 24 and 74
    // give ranges 50, 100, 150; median 100, times 3 = 300, up to 500.
    arma::mat datos(3, 100);
    for (arma::uword r = 0; r < 3; ++r) datos.row(r) = (r + 1.0) * arma::regspace<arma::rowvec>(0, 99);
    EXPECT_EQ(escalaInicial(datos, {0, 1, 2}), 500.0);
    // Only row 0 counts: 150 up to 200.
    EXPECT_EQ(escalaInicial(datos, {0}), 200.0);
    EXPECT_EQ(escalaInicial(arma::mat(2, 10, arma::fill::zeros), {0, 1}), 1.0);
}

TEST(EscalaInicial, LongRecordingsAreEstimatedFromEvenlySpacedRuns) {
    // Samples j mod 100 over 10^6 columns: every run of 256 consecutive
    // columns sees each value two or three times, so the quartiles stay
    // near 25 and 75, the range near 50 and the scale 3 x 50 up to 200.
    // One row that is 1000 times larger only in its second half would put
    // the median range of three rows at 50 too.
    const arma::uword n = 1'000'000;
    arma::mat datos(3, n);
    for (arma::uword j = 0; j < n; ++j) {
        datos(0, j) = static_cast<double>(j % 100);
        datos(1, j) = static_cast<double>((j * 7) % 100);
        datos(2, j) = static_cast<double>(j % 100) * (j < n / 2 ? 1.0 : 1000.0);
    }
    EXPECT_EQ(escalaInicial(datos, {0, 1, 2}), 200.0);
    // Row 2 alone: half its runs are 1000 times larger, its range tens of thousands.
    EXPECT_GE(escalaInicial(datos, {2}), 10'000.0);
}

TEST(EscalonEscala, StepsAlongOneTwoFive) {
    EXPECT_EQ(escalonEscala(50.0, 1), 100.0);
    EXPECT_EQ(escalonEscala(50.0, -1), 20.0);
    EXPECT_EQ(escalonEscala(3.0, 0), 5.0);
    EXPECT_EQ(escalonEscala(3.0, -1), 2.0);
    EXPECT_DOUBLE_EQ(escalonEscala(1.0, -1), 0.5);
    EXPECT_DOUBLE_EQ(escalonEscala(0.2, 1), 0.5);
    EXPECT_EQ(escalonEscala(-4.0, 1), 1.0);
}

TEST(MarcasEventos, EventsOnThePageAtTheirSamplesPixel) {
    TablaEventos tabla;
    Evento a;
    a.tipo = 768;
    a.calificador = 1;
    a.posicion = 300;
    a.rojo = 200;
    Evento b = a;
    b.posicion = 2560;  // first column of the next page
    Evento c = a;
    c.tipo = 2;
    c.calificador = 7;
    c.posicion = 1500;
    tabla.eventos = {a, b, c};
    const auto marcas = marcasEventos(tabla, 0, 2560.0, 1000);
    ASSERT_EQ(marcas.size(), 2u);
    EXPECT_EQ(marcas[0].pixel, 117);  // floor(300 * 1000 / 2560)
    EXPECT_EQ(marcas[0].texto, "768.1");
    EXPECT_EQ(marcas[0].rojo, 200);
    EXPECT_EQ(marcas[1].pixel, 585);  // floor(1500 * 1000 / 2560)
    EXPECT_EQ(marcas[1].texto, "2.7");
    EXPECT_EQ(marcasEventos(tabla, 2560, 2560.0, 1000).size(), 1u);
}

TEST(MarcasTiempo, SecondsThenMinutes) {
    // 10 s over 710 px: at least 80 px apart needs 1.13 s, so every 2 s; 10 s is off the page.
    const auto marcas = marcasTiempo(0.0, 10.0, 710);
    ASSERT_EQ(marcas.size(), 5u);
    EXPECT_EQ(marcas[1].pixel, 142);
    EXPECT_EQ(marcas[1].texto, "2 s");
    const auto tarde = marcasTiempo(3590.0, 10.0, 710);
    EXPECT_EQ(tarde.front().texto, "59:50");
    EXPECT_EQ(tarde.back().texto, "59:58");
    // An averaged epoch from -0.2 s: ticks every 0.1 s, zero at a quarter of the width.
    const auto epoca = marcasTiempo(-0.2, 0.8, 1000);
    EXPECT_EQ(epoca.front().texto, "-0.2 s");
    EXPECT_EQ(epoca[2].texto, "0.0 s");
    EXPECT_EQ(epoca[2].pixel, 250);
    EXPECT_EQ(textoTiempo(59.96, 1, true), "1:00.0");
    EXPECT_EQ(textoTiempo(-30.5, 1, true), "-0:30.5");
}

// Whole and half pages through the keys: tests/app/explorador_test.cpp.
TEST(Exploracion, PagesStayInsideAndGoToATime) {
    Exploracion e(6000, 100, 0.0, 4);  // 60 s; default page 10 s = 1000 columns
    EXPECT_EQ(e.segundosPagina(), 10.0);
    e.irAlFinal();
    e.desplazarPaginas(1);
    EXPECT_EQ(e.columnaInicio(), 5000);
    e.irATiempo(12.346);
    EXPECT_EQ(e.columnaInicio(), 1235);
    EXPECT_DOUBLE_EQ(e.tiempoInicioPagina(), 12.35);
    e.irAlInicio();
    e.desplazarPaginas(-1);
    EXPECT_EQ(e.columnaInicio(), 0);
}

TEST(Exploracion, AveragedBranchStartsBeforeZero) {
    EEG promedio(250, 2, 200);
    promedio.tiempoInicio = 0.2;
    EXPECT_EQ(Exploracion::tiempoPrimeraColumnaDe(promedio), -0.2);
    Exploracion e(200, 250, -0.2, 2);
    EXPECT_DOUBLE_EQ(e.segundosPagina(), 0.8);  // shorter than 10 s: the whole epoch
    EXPECT_DOUBLE_EQ(e.tiempoInicioPagina(), -0.2);
    promedio.tablaEventos = std::make_shared<TablaEventos>();
    EXPECT_EQ(Exploracion::tiempoPrimeraColumnaDe(promedio), 0.0);
}

TEST(Exploracion, ChannelChoiceLimitsRowsAndPages) {
    Exploracion e(1000, 100, 0.0, 40);  // pages of 32 rows through the keys: explorador_test
    e.paginaCanales(1);
    EXPECT_EQ(e.filasPagina().front(), 8);  // the last page stays full
    e.fijarCanales({5, 99, 1, -1});
    EXPECT_EQ(e.filasPagina(), (std::vector<int>{5, 1}));
    EXPECT_EQ(e.filasPorPagina(), 2);
    e.fijarCanales({});
    EXPECT_EQ(e.filasPorPagina(), 32);  // what was asked before comes back
    EXPECT_THROW(Exploracion(0, 100, 0.0, 1), std::invalid_argument);
}

TEST(Exploracion, ScaleStepsAndIgnoresNonsense) {
    Exploracion e(1000, 100, 0.0, 1);
    e.fijarEscala(50.0);
    e.ampliar(1);
    EXPECT_EQ(e.escala(), 20.0);
    e.ampliar(-2);
    EXPECT_EQ(e.escala(), 100.0);
    e.fijarEscala(0.0);
    e.fijarEscala(arma::datum::nan);
    EXPECT_EQ(e.escala(), 100.0);
}

TEST(GraficoExcesivo, AnHourOf64ChannelsIsSentToTheBrowser) {
    EXPECT_EQ(puntosGrafico(8, 56840, 720), 8 * 56840 + 1440);
    EXPECT_TRUE(motivoGraficoExcesivo(puntosGrafico(8, 56840, 720)).empty());
    const std::string motivo = motivoGraficoExcesivo(puntosGrafico(64, 921600, 1));
    EXPECT_NE(motivo.find("\"explorar rama seleccionada\""), std::string::npos);
    EXPECT_GT(puntosGrafico(INT64_MAX / 2, INT64_MAX / 2, 0), maximoPuntosGrafico);
}

// 10 pixels a row at least, between 1 and the maximum: 356 pixels hold 35
// rows, so 32; 106 hold 10; 5 still hold one.
TEST(FilasQueCaben, LasQueCabenHastaElMaximo) {
    EXPECT_EQ(filasQueCaben(356), 32);
    EXPECT_EQ(filasQueCaben(106), 10);
    EXPECT_EQ(filasQueCaben(5), 1);
    EXPECT_EQ(filasQueCaben(-3), 1);
    EXPECT_EQ(filasQueCaben(400, 64, 20), 20);
}
