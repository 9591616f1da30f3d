#include "io/archivoICA.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/EEG.h"
#include "io/textoCabecera.h"
#include "io/archivoRegular.h"
#include "io/textoNumero.h"

namespace {

constexpr const char* kCabecera = "ondelar-ica 1";
// Far above any montage; bounds what a damaged count makes us allocate.
constexpr unsigned long kMaximoCanales = 4096;
// A row of kMaximoCanales numbers of 17 digits fits many times over.
constexpr std::size_t kMaximoLinea = std::size_t{1} << 24;

void escribirFila(std::ostream& s, const arma::mat& m, arma::uword i) {
    for (arma::uword j = 0; j < m.n_cols; ++j) s << (j ? "\t" : "") << textoGeneral(m(i, j), 17);
    s << '\n';
}

class Lector {
public:
    explicit Lector(std::istream& e) : e_(e) {}

    std::string linea() {
        // Read by hand with a bound: a file that is not a decomposition may
        // hold no line break for gigabytes.
        std::string l;
        char c = 0;
        bool alguno = false;
        while (e_.get(c)) {
            alguno = true;
            if (c == '\n') break;
            if (l.size() >= kMaximoLinea) fallar("línea demasiado larga");
            l += c;
        }
        if (!alguno) fallar("el archivo termina antes de tiempo");
        ++n_;
        if (!l.empty() && l.back() == '\r') l.pop_back();
        return l;
    }
    // "clave<TAB>valor": the value.
    std::string valor(const std::string& clave) {
        const std::string l = linea();
        if (l.rfind(clave + "\t", 0) != 0) fallar("se esperaba «" + clave + "»");
        return l.substr(clave.size() + 1);
    }
    arma::uword cuenta(const std::string& clave, arma::uword maximo) {
        const std::string t = valor(clave);
        unsigned long v = 0;
        const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
        if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size() || v == 0 || v > maximo)
            fallar("«" + t + "» no es un número de " + clave + " válido (de 1 a " + std::to_string(maximo) + ")");
        return v;
    }
    double numero(const std::string& t) {
        double v = 0.0;
        const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
        if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v))
            fallar("«" + t + "» no es un número");
        return v;
    }
    arma::mat matriz(const std::string& nombre, arma::uword filas, arma::uword columnas) {
        if (linea() != nombre) fallar("se esperaba «" + nombre + "»");
        arma::mat m(filas, columnas);
        for (arma::uword i = 0; i < filas; ++i) {
            const auto c = partir(linea(), '\t');
            if (c.size() != columnas)
                fallar("se esperaban " + std::to_string(columnas) + " números y hay " + std::to_string(c.size()));
            for (arma::uword j = 0; j < columnas; ++j) m(i, j) = numero(c[j]);
        }
        return m;
    }
    [[noreturn]] void fallar(const std::string& motivo) const {
        throw std::runtime_error("descomposición ICA no válida, línea " + std::to_string(n_ + (n_ == 0)) + ": " +
                                 motivo);
    }

private:
    std::istream& e_;
    unsigned long n_ = 0;
};

}  // namespace

void comprobarDescomposicion(const DescomposicionICA& d) {
    const arma::uword C = d.esfera.n_rows;
    if (d.pesos.n_rows == 0 || d.pesos.n_rows > C || d.pesos.n_cols != C || d.esfera.n_cols != C)
        throw std::invalid_argument("descomposición ICA con pesos " + std::to_string(d.pesos.n_rows) + "x" +
                                    std::to_string(d.pesos.n_cols) + " y esfera " + std::to_string(C) + "x" +
                                    std::to_string(d.esfera.n_cols));
    if (!d.canales || d.canales->size() != C)
        throw std::invalid_argument("descomposición ICA de " + std::to_string(C) + " canales con " +
                                    std::to_string(d.canales ? d.canales->size() : 0) + " canales descritos");
    if (!d.pesos.is_finite() || !d.esfera.is_finite())
        throw std::invalid_argument("descomposición ICA con valores no finitos");
}

void escribirDescomposicion(std::ostream& s, const DescomposicionICA& d) {
    comprobarDescomposicion(d);
    std::string origen = d.origen;
    for (char& c : origen)
        if (c == '\n' || c == '\r') c = ' ';
    s << kCabecera << "\norigen\t" << origen << "\ncanales\t" << d.canales->size() << '\n';
    for (const Canal& c : *d.canales) {
        s << c.etiqueta;
        if (c.localizacion)
            for (double v : *c.localizacion) s << '\t' << textoGeneral(v, 17);
        s << '\n';
    }
    s << "componentes\t" << d.componentes() << "\npesos\n";
    for (arma::uword i = 0; i < d.pesos.n_rows; ++i) escribirFila(s, d.pesos, i);
    s << "esfera\n";
    for (arma::uword i = 0; i < d.esfera.n_rows; ++i) escribirFila(s, d.esfera, i);
}

void escribirDescomposicion(const std::filesystem::path& ruta, const DescomposicionICA& d) {
    std::ofstream f(ruta, std::ios::binary);
    if (f) escribirDescomposicion(f, d);
    f.flush();
    if (!f) throw std::runtime_error("no se pudo escribir la descomposición ICA en «" + ruta.string() + "»");
}

DescomposicionICA leerDescomposicion(std::istream& entrada) {
    Lector l(entrada);
    if (l.linea() != kCabecera) l.fallar("no es un archivo de descomposición ICA de Ondelar");
    DescomposicionICA d;
    d.origen = l.valor("origen");
    const arma::uword C = l.cuenta("canales", kMaximoCanales);
    auto canales = std::make_shared<std::vector<Canal>>(C);
    for (Canal& c : *canales) {
        const auto f = partir(l.linea(), '\t');
        if (f.size() != 1 && f.size() != 4) l.fallar("se esperaba una etiqueta y, si la hay, su posición x, y, z");
        c.etiqueta = f[0];
        c.muestrasPorRegistro = 1;
        if (f.size() == 4) c.localizacion = std::array<double, 3>{l.numero(f[1]), l.numero(f[2]), l.numero(f[3])};
    }
    d.canales = std::move(canales);
    const arma::uword Q = l.cuenta("componentes", C);
    d.pesos = l.matriz("pesos", Q, C);
    d.esfera = l.matriz("esfera", C, C);
    return d;
}

DescomposicionICA leerDescomposicion(const std::filesystem::path& ruta) {
    if (const std::string motivo = motivoArchivoEspecial(ruta.string()); !motivo.empty())
        throw std::runtime_error("no se puede leer la descomposición ICA «" + ruta.string() + "»: " + motivo);
    std::ifstream f(ruta, std::ios::binary);
    if (!f) throw std::runtime_error("no se puede abrir la descomposición ICA «" + ruta.string() + "»");
    return leerDescomposicion(f);
}
