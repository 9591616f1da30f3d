// The filter step and the ERP pipeline on the P300 recording against the same
// computations by scipy and MNE-Python (tests/data/fir/generar_fase_cero.py):
// the default band-pass applied with zero phase and reflected ends, then the
// average of one event type from -100 to 600 ms.
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "averaging/promediado.h"
#include "filtering/filtroFrecuencial.h"
#include "io/cargarRegistro.h"

namespace {

const std::string p300 = ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf";

arma::mat referencia(const std::string& nombre) {
    arma::mat m;
    EXPECT_TRUE(m.load(ONDELAR_RAIZ "/tests/data/fir/" + nombre, arma::arma_binary)) << nombre;
    return m;
}

double errorRelativo(const arma::mat& a, const arma::mat& b) {
    return arma::abs(a - b).max() / arma::abs(b).max();
}

// The average of every event of type 3, 100 ms before to 600 ms after.
EEG promedioTipo3(const EEG& eeg) {
    ParametrosPromediado p;
    p.msPrev = 100;
    p.msPost = 600;
    for (const Evento& tipo : eeg.tablaEventos->tipos)
        if (tipo.tipo == 3) {
            p.tipos.push_back(tipo.tipo);
            p.calificadores.push_back(tipo.calificador);
        }
    const auto dir = std::filesystem::temp_directory_path();
    ResultadoPromediado r = promediarEventos(eeg, p, DestinoCubo{dir, {}});
    EXPECT_EQ(r.numeroEpocas, 60u);
    if (!r.archivoCubo.empty()) std::filesystem::remove(r.archivoCubo);
    return std::move(r.promedio);
}

}  // namespace

TEST(FaseCeroP300, FiltradoIgualQueScipyConExtremosReflejados) {
    const EEG eeg = cargarRegistro(p300);
    const EEG filtrado = filtrarEEG(eeg, OpcionesFiltro{});
    const arma::mat& y = filtrado.datos();
    // Samples 0-399, 28220-28619 and the last 400: both ends and the middle.
    const arma::mat partes = arma::join_rows(y.cols(0, 399), y.cols(28220, 28619), y.cols(y.n_cols - 400, y.n_cols - 1));
    EXPECT_LE(errorRelativo(partes, referencia("p300_filtrado_bordes.bin")), 1e-9);
    // The events are those of the source, at the same samples.
    EXPECT_EQ(filtrado.tablaEventos, eeg.tablaEventos);
}

TEST(FaseCeroP300, PromedioTrasElFiltroIgualQueMNE) {
    const EEG eeg = cargarRegistro(p300);
    // MNE numbers samples from 0 as we do: its first type-3 event is ours.
    std::ifstream datos(ONDELAR_RAIZ "/tests/data/fir/p300_erp_tipo3.txt");
    std::string linea, clave;
    std::getline(datos, linea);  // the comment
    int primera = -1;
    for (std::string valor; datos >> clave >> valor;)
        if (clave == "primera_muestra") primera = std::stoi(valor);
    for (const Evento& e : eeg.tablaEventos->eventos)
        if (e.tipo == 3) {
            EXPECT_EQ(e.posicion, primera);
            break;
        }

    const EEG promedio = promedioTipo3(filtrarEEG(eeg, OpcionesFiltro{}));
    EXPECT_LE(errorRelativo(promedio.datos(), referencia("p300_erp_tipo3.bin")), 1e-9);

    // The filter keeps the ERP on its events: the largest peak of the
    // average over every channel (each raw channel about its mean) falls on
    // the same sample, +-1, with and without it (148 and 147 here).
    const EEG crudo = promedioTipo3(eeg);
    const arma::mat a = crudo.datos().each_col() - arma::mean(crudo.datos(), 1);
    const long long sin = static_cast<long long>(arma::index_max(arma::max(arma::abs(a), 0)));
    const long long con = static_cast<long long>(arma::index_max(arma::max(arma::abs(promedio.datos()), 0)));
    EXPECT_LE(std::llabs(sin - con), 1) << sin << " " << con;
}
