#pragma once
// Start date and time of a recording, as each format stores it, and the
// fields the writers put in their headers. Times are the wall-clock time the
// file states, without a time zone (none of the formats names one).
//
// Every parser returns nullopt for a field that holds no date: blanks,
// zeros, an anonymised "X", or a day that is not in the Gregorian calendar.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct FechaHora {
    int anio = 0;   // 1 to 9999
    int mes = 0;    // 1 to 12
    int dia = 0;    // 1 to the month's length
    int hora = 0, minuto = 0, segundo = 0;
    int32_t microsegundos = 0;  // 0 to 999999

    bool operator==(const FechaHora&) const = default;
};

// True when every field is in range and the day exists (leap years included).
bool fechaHoraValida(const FechaHora& f);

// ISO 8601 local time: "2009-03-05T11:56:24", with ".uuuuuu" when the
// microseconds are not 0.
std::string textoISO8601(const FechaHora& f);

// GDF 1: the 16 characters "YYYYMMDDhhmmsscc" (cc: hundredths of a second;
// the last two may be blank).
std::optional<FechaHora> fechaDeGDF1(std::string_view campo);
// The same field for a writer: blanks when the date is unknown or its year
// has no four digits; hundredths truncated.
std::string campoFechaGDF1(const std::optional<FechaHora>& f);

// GDF 2: a uint64 fixed-point day count from 0000-01-00 (the proleptic
// Gregorian calendar with a year 0): upper 32 bits the days, lower 32 bits
// the fraction of a day. 0 is no date. The fraction's step is about 20 µs,
// so the time is rounded to the millisecond: any time written with
// millisecond precision reads back exactly.
std::optional<FechaHora> fechaDeGDF2(uint64_t valor);
uint64_t valorFechaGDF2(const FechaHora& f);

// EDF and BDF: startdate "dd.mm.yy" and starttime "hh.mm.ss"; yy 85 to 99
// is 1985 to 1999, 00 to 84 is 2000 to 2084. The recording field of EDF+
// ("Startdate dd-MMM-yyyy ...", 80 characters) gives the date with its full
// year when it holds one; "Startdate X" is an anonymised (unknown) date.
std::optional<FechaHora> fechaDeEDF(std::string_view fecha, std::string_view hora, std::string_view campoRegistro);

// BrainVision: the 20 digits "YYYYMMDDhhmmssuuuuuu" of a "New Segment" marker.
std::optional<FechaHora> fechaDeBrainVision(std::string_view digitos);

// BCI2000's StorageTime: the C library's "Thu Sep 04 12:59:22 2008" (day of
// the month possibly blank-padded) or ISO 8601 "2008-09-04T12:59:22" (a
// space for the "T", decimals of a second and a final "Z" allowed).
std::optional<FechaHora> fechaDeBCI2000(std::string_view texto);
