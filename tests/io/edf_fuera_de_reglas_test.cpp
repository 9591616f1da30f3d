// EDF+ files that EDFlib refuses, built here byte by byte: BCI2000's export
// (a transducer text and a dimension "-" on the annotation signal, dotted
// labels), a data signal whose ranges give no scale, EDF+D with a gap and
// records that overlap; the branch of a gapped file saved as EDF+C; and the
// standard positions of dotted and of BioSemi labels.
#include <gtest/gtest.h>

#include <cmath>

#include "io/EdfFileReader.h"
#include "io/cabeceraEdf.h"
#include "io/guardarRama.h"
#include "io/posicionesEstandar.h"
#include "io/textoCabecera.h"
#include "tests/io/archivosPrueba.h"
#include "tests/io/capturas.h"

using namespace prueba;

namespace {

// Two data signals of 4 samples per 1 s record, -3276.8..3276.7 uV over the
// whole 16-bit range (0.1 uV per step, offset 0), and an annotation signal.
struct EdfBci2000 {
    std::vector<std::string> etiquetas = {"C3..", "Af3."};
    std::string reservado = "EDF+C";
    std::string transductorAnotaciones, dimensionAnotaciones;
    std::string fisicoMinimo = "-3276.8";
    int32_t digitalMaximo = 32767;
    std::vector<std::string> inicios = {"0", "1", "2"};  // each record's time-keeping onset
    // Stored value of sample k of signal s in record r.
    static int16_t valor(int r, int s, int k) { return static_cast<int16_t>(100 * r + 10 * s + k - 50); }

    Bytes bytes() const {
        prueba::EdfPrueba p;
        p.reservado = reservado, p.inicios = inicios, p.registros = static_cast<int>(inicios.size());
        p.paciente = "X X X X", p.registro = "Startdate 12-AUG-2009 X X BCI2000", p.fecha = "12.08.09", p.hora = "16.15.00";
        for (size_t s = 0; s < etiquetas.size(); ++s) {
            SenalEdf x{etiquetas[s]};
            x.muestrasPorRegistro = 4;
            if (s == 0) x.fisicoMinimo = fisicoMinimo, x.digitalMaximo = digitalMaximo;
            x.valor = [s](int r, int k) { return valor(r, static_cast<int>(s), k); };
            p.senales.push_back(x);
        }
        SenalEdf anotaciones = senalAnotaciones("EDF Annotations", 30, dimensionAnotaciones);
        anotaciones.transductor = transductorAnotaciones;
        p.senales.push_back(anotaciones);
        // T0 in the first record, with a duration; T1 half a second into each later one.
        p.notas = [this](int r) {
            return (r == 0 ? std::string("+0\x15" "0.5\x14T0\x14")
                           : "+" + std::to_string(std::stod(inicios[static_cast<size_t>(r)]) + 0.5) + "\x14T1\x14") +
                   '\0';
        };
        return p.bytes();
    }
};

std::string unidos(const std::vector<std::string>& avisos) {
    std::string t;
    for (const auto& a : avisos) t += a + "\n";
    return t;
}

const std::string& textoDe(const EEG& e, const Evento& ev) { return e.tablaEventos->textos.at({ev.tipo, ev.calificador}); }

}  // namespace

// Its values, events and start against the committed reference of the same
// export: FormatosReales in lector_formatos_test.cpp. A label that is not ASCII (EDFlib refuses the
// header): the Latin-1 "Cé" becomes valid UTF-8 with U+FFFD.
TEST(EdfFueraDeReglas, ExportacionDeBci2000SeLeeConAvisosQueNombranCampoYSenal) {
    CarpetaTemporal t;
    EdfBci2000 p;
    p.transductorAnotaciones = "BCI2000 anotaciones";
    p.dimensionAnotaciones = "-";
    p.etiquetas[0] = "C\xE9\xFF";
    const LecturaEdf l = leerEdf(t.escribir("bci.edf", p.bytes()));
    ASSERT_EQ(l.motivo, "");
    ASSERT_EQ(l.eeg.numeroCanales, 2u);
    EXPECT_EQ((*l.eeg.canales)[0].etiqueta, "C\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_TRUE(esUTF8Valido((*l.eeg.canales)[0].etiqueta));
    // One warning per broken rule, naming the field, the signal and the value.
    const std::string avisos = unidos(l.avisos);
    EXPECT_EQ(l.avisos.size(), 3u) << avisos;
    EXPECT_NE(avisos.find("la etiqueta de la señal 1"), std::string::npos) << avisos;
    EXPECT_NE(avisos.find("el transductor de la señal 3 («EDF Annotations»: «BCI2000 anotaciones»)"), std::string::npos)
        << avisos;
    EXPECT_NE(avisos.find("la dimensión física de la señal 3 («EDF Annotations»: «-»)"), std::string::npos) << avisos;
}

TEST(EdfFueraDeReglas, LoQueCambiariaLasMuestrasSeRechaza) {
    CarpetaTemporal t;
    const struct {
        const char* nombre;
        std::string fisicoMinimo;
        int32_t digitalMaximo;
        const char* contiene;
    } malos[] = {
        {"fisico igual", "3276.7", 32767, "mismo mínimo y máximo físico"},
        {"fisico ilegible", "abc", 32767, "mínimo físico que no es un número («abc»)"},
        {"digital invertido", "-3276.8", -40000, "rango digital imposible"},
    };
    for (const auto& m : malos) {
        EdfBci2000 p;
        p.transductorAnotaciones = "BCI2000";
        p.fisicoMinimo = m.fisicoMinimo;
        p.digitalMaximo = m.digitalMaximo;
        const LecturaEdf l = leerEdf(t.escribir("malo.edf", p.bytes()));
        EXPECT_EQ(l.eeg.numeroCanales, 0u) << m.nombre;
        EXPECT_NE(l.motivo.find(m.contiene), std::string::npos) << m.nombre << ": " << l.motivo;
        EXPECT_NE(l.motivo.find("señal 1 («C3..»)"), std::string::npos) << m.nombre << ": " << l.motivo;
    }
}

TEST(EdfFueraDeReglas, DiscontinuoEsUnaRamaSeguidaConUnEventoEnCadaHueco) {
    CarpetaTemporal t;
    EdfBci2000 p;
    p.reservado = "EDF+D";
    p.inicios = {"0", "1", "4.5"};  // 2.5 s missing before the third record
    const LecturaEdf l = leerEdf(t.escribir("d.edf", p.bytes()));
    ASSERT_EQ(l.motivo, "");
    ASSERT_EQ(l.eeg.numeroMuestras, 12);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(l.eeg.datos()(0, static_cast<arma::uword>(8 + k)), 0.1 * EdfBci2000::valor(2, 0, k), 1e-9);
    // T0 at 0, T1 at 1.5 s (column 6), the gap at record 2 (column 8), and
    // T1 at 5 s, half a second into the third record: column 10.
    const auto& ev = l.eeg.tablaEventos->eventos;
    ASSERT_EQ(ev.size(), 4u);
    EXPECT_EQ(ev[1].posicion, 6);
    EXPECT_EQ(ev[2].posicion, 8);
    EXPECT_EQ(textoDe(l.eeg, ev[2]), "Hueco de 2.5 s");
    EXPECT_EQ(ev[3].posicion, 10);
    EXPECT_EQ(textoDe(l.eeg, ev[3]), "T1");
    ASSERT_EQ(l.avisos.size(), 1u) << unidos(l.avisos);
    EXPECT_NE(l.avisos[0].find("discontinuo (EDF+D): 1 hueco"), std::string::npos) << l.avisos[0];

    // Saved as EDF+: a continuous file (EDF+C) whose annotations bring the gap back as the same kind.
    const std::string guardado = t.ruta() + "/guardado.edf";
    guardarRama(l.eeg, guardado);
    EXPECT_EQ(textoDeArchivo(guardado).substr(192, 5), "EDF+C");
    const LecturaEdf releida = leerEdf(guardado);
    ASSERT_EQ(releida.motivo, "");
    EXPECT_TRUE(releida.avisos.empty()) << unidos(releida.avisos);
    EXPECT_EQ(eventosDistintos(releida.eeg, l.eeg), "");
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(textoDe(l.eeg, ev[i]), textoDe(releida.eeg, releida.eeg.tablaEventos->eventos[i])) << i;
}

TEST(EdfFueraDeReglas, ContinuoConHuecoAvisaYSolapadoSeRechaza) {
    CarpetaTemporal t;
    EdfBci2000 p;
    p.inicios = {"0", "3", "4"};  // EDF+C, but 2 s missing before the second record
    const LecturaEdf conHueco = leerEdf(t.escribir("c.edf", p.bytes()));
    ASSERT_EQ(conHueco.motivo, "");
    EXPECT_EQ(textoDe(conHueco.eeg, conHueco.eeg.tablaEventos->eventos[1]), "Hueco de 2 s");
    ASSERT_EQ(conHueco.avisos.size(), 1u);
    EXPECT_NE(conHueco.avisos[0].find("se declara continuo"), std::string::npos) << conHueco.avisos[0];

    p.reservado = "EDF+D";
    p.inicios = {"0", "1", "1.5"};  // the third record starts inside the second
    const LecturaEdf solapado = leerEdf(t.escribir("s.edf", p.bytes()));
    EXPECT_EQ(solapado.eeg.numeroCanales, 0u);
    EXPECT_NE(solapado.motivo.find("registros de datos 2 y 3 se solapan"), std::string::npos) << solapado.motivo;
}

TEST(EdfFueraDeReglas, TalsDeUnRegistro) {
    const std::string bytes = std::string("+12.5\x14\x14", 8) + '\0' + "+13\x15" "1.25\x14" "a\x14" "b\x14" + '\0' +
                              "basura" + '\0' + '\0' + '\0';
    const TalsRegistro r = leerTals(bytes);
    ASSERT_TRUE(r.inicioRegistro.has_value());
    EXPECT_DOUBLE_EQ(*r.inicioRegistro, 12.5);
    ASSERT_EQ(r.anotaciones.size(), 2u);
    EXPECT_DOUBLE_EQ(r.anotaciones[0].inicio, 13.0);
    EXPECT_DOUBLE_EQ(r.anotaciones[0].duracion, 1.25);
    EXPECT_EQ(r.anotaciones[1].texto, "b");
    EXPECT_TRUE(r.malformado);
    EXPECT_FALSE(leerTals(std::string(10, '\0')).inicioRegistro.has_value());
}

TEST(PosicionesEstandar, OtroMontajeNoTomaLasPocasEtiquetasQueCoinciden) {
    // BioSemi's 128 labels A1...D32, of which 14 (C1-C6, ...) happen to be 10-05 names, and an EOG.
    EEG e(512, 129, 1);
    int i = 0;
    for (const char fila : {'A', 'B', 'C', 'D'})
        for (int n = 1; n <= 32; ++n) (*e.canales)[static_cast<size_t>(i++)].etiqueta = fila + std::to_string(n);
    (*e.canales)[128].etiqueta = "EOG izquierdo";
    int coinciden = 0;
    for (const Canal& c : *e.canales) coinciden += posicionEstandar(c.etiqueta).has_value();
    ASSERT_GT(coinciden, 0);
    ASSERT_LT(2 * coinciden, 128);
    const std::string aviso = cargarSinCED(e);
    for (const Canal& c : *e.canales) EXPECT_FALSE(c.localizacion.has_value()) << c.etiqueta;
    EXPECT_NE(aviso.find("solo " + std::to_string(coinciden) + " de sus 128 etiquetas de EEG"), std::string::npos)
        << aviso;
    EXPECT_NE(aviso.find("ningún canal recibe posición"), std::string::npos) << aviso;

    // Half or more named in 10-05 (2 of 3 EEG labels; the EOG does not count): those get theirs.
    EEG f(512, 4, 1);
    const char* etiquetas[] = {"C3..", "Af3.", "X1", "EOG"};
    for (size_t c = 0; c < 4; ++c) (*f.canales)[c].etiqueta = etiquetas[c];
    cargarSinCED(f);
    EXPECT_TRUE((*f.canales)[0].localizacion && posicionEstandar("Fcz.") == posicionEstandar("FCz"));
    EXPECT_EQ((*f.canales)[0].localizacion, posicionEstandar("C3"));
    EXPECT_EQ((*f.canales)[1].localizacion, posicionEstandar("AF3"));
    EXPECT_FALSE((*f.canales)[2].localizacion.has_value());
}
