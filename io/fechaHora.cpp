#include "io/fechaHora.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace {

bool bisiesto(int anio) { return (anio % 4 == 0 && anio % 100 != 0) || anio % 400 == 0; }

int diasDelMes(int anio, int mes) {
    static constexpr std::array<int, 12> dias = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return mes == 2 && bisiesto(anio) ? 29 : dias[static_cast<size_t>(mes - 1)];
}

// Days from 1970-01-01 of a proleptic Gregorian date (years counted in eras
// of 400 years, which repeat exactly), and back.
int64_t diasDesde1970(int anio, int mes, int dia) {
    const int64_t a = anio - (mes <= 2 ? 1 : 0);
    const int64_t era = (a >= 0 ? a : a - 399) / 400;
    const int64_t anioEra = a - era * 400;
    const int64_t diaAnio = (153 * (mes + (mes > 2 ? -3 : 9)) + 2) / 5 + dia - 1;  // from March 1st
    const int64_t diaEra = anioEra * 365 + anioEra / 4 - anioEra / 100 + diaAnio;
    return era * 146097 + diaEra - 719468;
}

void fechaDeDias(int64_t dias, FechaHora& f) {
    dias += 719468;
    const int64_t era = (dias >= 0 ? dias : dias - 146096) / 146097;
    const int64_t diaEra = dias - era * 146097;
    const int64_t anioEra = (diaEra - diaEra / 1460 + diaEra / 36524 - diaEra / 146096) / 365;
    const int64_t diaAnio = diaEra - (365 * anioEra + anioEra / 4 - anioEra / 100);
    const int64_t mp = (5 * diaAnio + 2) / 153;
    f.dia = static_cast<int>(diaAnio - (153 * mp + 2) / 5 + 1);
    f.mes = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    f.anio = static_cast<int>(anioEra + era * 400 + (f.mes <= 2 ? 1 : 0));
}

// 0000-01-00 is day 0 of the GDF 2 count; 1970-01-01 is day 719529.
constexpr int64_t diaGDF1970 = 719529;
constexpr uint64_t msPorDia = 86400000;

// The decimal digits t[desde, desde + n), or -1.
int digitos(std::string_view t, size_t desde, size_t n) {
    if (desde + n > t.size()) return -1;
    int v = 0;
    for (size_t i = desde; i < desde + n; ++i) {
        if (t[i] < '0' || t[i] > '9') return -1;
        v = v * 10 + (t[i] - '0');
    }
    return v;
}

std::optional<FechaHora> siValida(const FechaHora& f) {
    return fechaHoraValida(f) ? std::optional<FechaHora>(f) : std::nullopt;
}

// "JAN" ... "DEC" in any case: 1 to 12, or 0.
int mesIngles(std::string_view t) {
    static constexpr std::array<const char*, 12> meses = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    if (t.size() != 3) return 0;
    for (size_t m = 0; m < meses.size(); ++m) {
        bool igual = true;
        for (size_t i = 0; i < 3; ++i)
            igual = igual && std::toupper(static_cast<unsigned char>(t[i])) == meses[m][i];
        if (igual) return static_cast<int>(m) + 1;
    }
    return 0;
}

std::vector<std::string_view> palabras(std::string_view t) {
    std::vector<std::string_view> r;
    size_t i = 0;
    while (i < t.size()) {
        while (i < t.size() && (t[i] == ' ' || t[i] == '\t' || t[i] == '\0')) ++i;
        const size_t inicio = i;
        while (i < t.size() && t[i] != ' ' && t[i] != '\t' && t[i] != '\0') ++i;
        if (i > inicio) r.push_back(t.substr(inicio, i - inicio));
    }
    return r;
}

// "aa?bb?cc", two digits each with any one-character separators, as EDF's
// "dd.mm.yy" and "hh.mm.ss" and the "hh:mm:ss" of other formats: false when
// it is not.
bool tresPares(std::string_view t, int& a, int& b, int& c) {
    if (t.size() != 8 || std::isdigit(static_cast<unsigned char>(t[2])) ||
        std::isdigit(static_cast<unsigned char>(t[5])))
        return false;
    a = digitos(t, 0, 2);
    b = digitos(t, 3, 2);
    c = digitos(t, 6, 2);
    return a >= 0 && b >= 0 && c >= 0;
}

bool leerHora(std::string_view t, FechaHora& f) { return tresPares(t, f.hora, f.minuto, f.segundo); }

void escribirCifras(std::string& t, int v, int n) {
    std::string c(static_cast<size_t>(n), '0');
    for (int i = n - 1; i >= 0 && v > 0; --i, v /= 10) c[static_cast<size_t>(i)] = static_cast<char>('0' + v % 10);
    t += c;
}

}  // namespace

bool fechaHoraValida(const FechaHora& f) {
    return f.anio >= 1 && f.anio <= 9999 && f.mes >= 1 && f.mes <= 12 && f.dia >= 1 &&
           f.dia <= diasDelMes(f.anio, f.mes) && f.hora >= 0 && f.hora <= 23 && f.minuto >= 0 && f.minuto <= 59 &&
           f.segundo >= 0 && f.segundo <= 59 && f.microsegundos >= 0 && f.microsegundos <= 999999;
}

std::string textoISO8601(const FechaHora& f) {
    std::string t;
    escribirCifras(t, f.anio, 4);
    t += '-';
    escribirCifras(t, f.mes, 2);
    t += '-';
    escribirCifras(t, f.dia, 2);
    t += 'T';
    escribirCifras(t, f.hora, 2);
    t += ':';
    escribirCifras(t, f.minuto, 2);
    t += ':';
    escribirCifras(t, f.segundo, 2);
    if (f.microsegundos != 0) {
        t += '.';
        escribirCifras(t, f.microsegundos, 6);
    }
    return t;
}

std::optional<FechaHora> fechaDeGDF1(std::string_view campo) {
    FechaHora f;
    f.anio = digitos(campo, 0, 4);
    f.mes = digitos(campo, 4, 2);
    f.dia = digitos(campo, 6, 2);
    f.hora = digitos(campo, 8, 2);
    f.minuto = digitos(campo, 10, 2);
    f.segundo = digitos(campo, 12, 2);
    const int centesimas = digitos(campo, 14, 2);
    f.microsegundos = centesimas > 0 ? centesimas * 10000 : 0;
    return siValida(f);
}

std::string campoFechaGDF1(const std::optional<FechaHora>& f) {
    if (!f || !fechaHoraValida(*f)) return std::string(16, ' ');
    std::string t;
    escribirCifras(t, f->anio, 4);
    escribirCifras(t, f->mes, 2);
    escribirCifras(t, f->dia, 2);
    escribirCifras(t, f->hora, 2);
    escribirCifras(t, f->minuto, 2);
    escribirCifras(t, f->segundo, 2);
    escribirCifras(t, f->microsegundos / 10000, 2);
    return t;
}

std::optional<FechaHora> fechaDeGDF2(uint64_t valor) {
    if (valor == 0) return std::nullopt;
    int64_t dias = static_cast<int64_t>(valor >> 32);
    // fraction x ms per day < 2^32 x 2^27: no overflow.
    uint64_t ms = ((valor & 0xFFFFFFFFULL) * msPorDia + (uint64_t{1} << 31)) >> 32;
    if (ms == msPorDia) {
        ms = 0;
        ++dias;
    }
    FechaHora f;
    fechaDeDias(dias - diaGDF1970, f);
    f.hora = static_cast<int>(ms / 3600000);
    f.minuto = static_cast<int>(ms / 60000 % 60);
    f.segundo = static_cast<int>(ms / 1000 % 60);
    f.microsegundos = static_cast<int32_t>(ms % 1000 * 1000);
    return siValida(f);
}

uint64_t valorFechaGDF2(const FechaHora& f) {
    const auto dias = static_cast<uint64_t>(diasDesde1970(f.anio, f.mes, f.dia) + diaGDF1970);
    const uint64_t us = ((uint64_t(f.hora) * 60 + uint64_t(f.minuto)) * 60 + uint64_t(f.segundo)) * 1000000 +
                        static_cast<uint64_t>(f.microsegundos);
    // us x 2^32 needs more than 64 bits.
    const auto fraccion = static_cast<uint64_t>(
        ((static_cast<unsigned __int128>(us) << 32) + msPorDia * 1000 / 2) / (msPorDia * 1000));
    return (dias << 32) + fraccion;
}

std::optional<FechaHora> fechaDeEDF(std::string_view fecha, std::string_view hora, std::string_view campoRegistro) {
    FechaHora f;
    if (!leerHora(hora, f)) return std::nullopt;
    const std::vector<std::string_view> registro = palabras(campoRegistro);
    if (registro.size() >= 2 && registro[0] == "Startdate") {
        if (registro[1] == "X") return std::nullopt;
        // dd-MMM-yyyy
        const std::string_view d = registro[1];
        if (d.size() == 11 && d[2] == '-' && d[6] == '-') {
            FechaHora g = f;
            g.dia = digitos(d, 0, 2);
            g.mes = mesIngles(d.substr(3, 3));
            g.anio = digitos(d, 7, 4);
            if (fechaHoraValida(g)) return g;
        }
    }
    int yy = 0;
    if (!tresPares(fecha, f.dia, f.mes, yy)) return std::nullopt;
    f.anio = yy < 85 ? 2000 + yy : 1900 + yy;
    return siValida(f);
}

std::optional<FechaHora> fechaDeBrainVision(std::string_view d) {
    if (d.size() != 20) return std::nullopt;
    const std::optional<FechaHora> f = fechaDeGDF1(d.substr(0, 14));
    const int us = digitos(d, 14, 6);
    if (!f || us < 0) return std::nullopt;
    FechaHora r = *f;
    r.microsegundos = us;
    return r;
}

std::optional<FechaHora> fechaDeBCI2000(std::string_view texto) {
    const std::vector<std::string_view> p = palabras(texto);
    FechaHora f;
    if (p.size() == 5) {
        // Www Mmm dd hh:mm:ss yyyy
        f.mes = mesIngles(p[1]);
        f.dia = p[2].size() <= 2 ? digitos(p[2], 0, p[2].size()) : -1;
        f.anio = p[4].size() == 4 ? digitos(p[4], 0, 4) : -1;
        if (p[0].size() != 3 || !leerHora(p[3], f)) return std::nullopt;
        return siValida(f);
    }
    // yyyy-mm-ddThh:mm:ss[.f][Z], or the two halves as two words.
    std::string t(p.size() == 2 ? std::string(p[0]) + "T" + std::string(p[1])
                                : p.size() == 1 ? std::string(p[0]) : std::string());
    if (!t.empty() && t.back() == 'Z') t.pop_back();
    if (t.size() < 19 || t[4] != '-' || t[7] != '-' || t[10] != 'T') return std::nullopt;
    f.anio = digitos(t, 0, 4);
    f.mes = digitos(t, 5, 2);
    f.dia = digitos(t, 8, 2);
    if (!leerHora(std::string_view(t).substr(11, 8), f)) return std::nullopt;
    if (t.size() > 19) {
        // Decimals of a second: the first six are the microseconds.
        const size_t cifras = t.size() - 20;
        if (t[19] != '.' || cifras == 0) return std::nullopt;
        int us = 0;
        for (size_t i = 0; i < std::max<size_t>(cifras, 6); ++i) {
            const int c = i < cifras ? digitos(t, 20 + i, 1) : 0;
            if (c < 0) return std::nullopt;
            if (i < 6) us = us * 10 + c;
        }
        f.microsegundos = us;
    }
    return siValida(f);
}
