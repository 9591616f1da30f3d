#include "io/sha256.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// First 32 bits of the fractional parts of the cube roots of the first 64
// primes (FIPS 180-4, 4.2.2).
constexpr std::array<uint32_t, 64> K = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr uint32_t rotar(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

#if defined(__x86_64__)
// One 64-byte block with the SHA extensions of x86 (Intel's published use of
// SHA256RNDS2/MSG1/MSG2): the state travels as ABEF and CDGH, four rounds of
// message schedule per vector. About ten times the portable loop's speed.
__attribute__((target("sha,sse4.1"))) void comprimirSHA(std::array<uint32_t, 8>& h, const unsigned char* b) {
    const __m128i orden = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i t = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&h[0])), 0xB1);  // CDAB
    __m128i estado1 = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&h[4])), 0x1B);  // EFGH
    __m128i estado0 = _mm_alignr_epi8(t, estado1, 8);  // ABEF
    estado1 = _mm_blend_epi16(estado1, t, 0xF0);       // CDGH
    const __m128i guardado0 = estado0, guardado1 = estado1;
    __m128i w[4];
    for (int g = 0; g < 16; ++g) {
        if (g < 4) w[g] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 16 * g)), orden);
        __m128i m = _mm_add_epi32(w[g % 4], _mm_loadu_si128(reinterpret_cast<const __m128i*>(&K[4 * g])));
        estado1 = _mm_sha256rnds2_epu32(estado1, estado0, m);
        // W[g+1] = msg2(msg1(W[g-3], W[g-2]) + (W[g] : W[g-1] >> 4 bytes), W[g])
        if (g >= 3 && g <= 14) {
            __m128i& siguiente = w[(g + 1) % 4];
            siguiente = _mm_add_epi32(siguiente, _mm_alignr_epi8(w[g % 4], w[(g + 3) % 4], 4));
            siguiente = _mm_sha256msg2_epu32(siguiente, w[g % 4]);
        }
        m = _mm_shuffle_epi32(m, 0x0E);
        estado0 = _mm_sha256rnds2_epu32(estado0, estado1, m);
        if (g >= 1 && g <= 12) w[(g + 3) % 4] = _mm_sha256msg1_epu32(w[(g + 3) % 4], w[g % 4]);
    }
    estado0 = _mm_add_epi32(estado0, guardado0);
    estado1 = _mm_add_epi32(estado1, guardado1);
    t = _mm_shuffle_epi32(estado0, 0x1B);        // FEBA
    estado1 = _mm_shuffle_epi32(estado1, 0xB1);  // DCHG
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&h[0]), _mm_blend_epi16(t, estado1, 0xF0));  // DCBA
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&h[4]), _mm_alignr_epi8(estado1, t, 8));    // HGFE
}

bool hayExtensionesSHA() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sha") && __builtin_cpu_supports("sse4.1");
}
#else
bool hayExtensionesSHA() { return false; }
void comprimirSHA(std::array<uint32_t, 8>&, const unsigned char*) {}
#endif

class Sha256 {
public:
    explicit Sha256(bool extensiones) : extensiones_(extensiones && hayExtensionesSHA()) {}

    void anadir(const unsigned char* datos, size_t n) {
        total_ += n;
        while (n > 0) {
            const size_t tomar = std::min(n, bloque_.size() - lleno_);
            std::copy(datos, datos + tomar, bloque_.begin() + static_cast<std::ptrdiff_t>(lleno_));
            lleno_ += tomar;
            datos += tomar;
            n -= tomar;
            if (lleno_ == bloque_.size()) {
                comprimir(bloque_.data());
                lleno_ = 0;
            }
        }
    }

    std::string hex() {
        // Padding: a 1 bit, zeros up to 56 bytes mod 64, the length in bits (big-endian).
        const uint64_t bits = total_ * 8;
        const unsigned char uno = 0x80, cero = 0;
        anadir(&uno, 1);
        while (lleno_ != 56) anadir(&cero, 1);
        unsigned char longitud[8];
        for (int i = 0; i < 8; ++i) longitud[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
        anadir(longitud, 8);
        std::string r;
        char d[9];
        for (uint32_t v : h_) {
            std::snprintf(d, sizeof d, "%08x", v);
            r += d;
        }
        return r;
    }

private:
    void comprimir(const unsigned char* b) {
        if (extensiones_) {
            comprimirSHA(h_, b);
            return;
        }
        uint32_t w[64];
        for (int t = 0; t < 16; ++t)
            w[t] = uint32_t(b[4 * t]) << 24 | uint32_t(b[4 * t + 1]) << 16 | uint32_t(b[4 * t + 2]) << 8 | b[4 * t + 3];
        for (int t = 16; t < 64; ++t) {
            const uint32_t s0 = rotar(w[t - 15], 7) ^ rotar(w[t - 15], 18) ^ (w[t - 15] >> 3);
            const uint32_t s1 = rotar(w[t - 2], 17) ^ rotar(w[t - 2], 19) ^ (w[t - 2] >> 10);
            w[t] = w[t - 16] + s0 + w[t - 7] + s1;
        }
        uint32_t a = h_[0], bb = h_[1], c = h_[2], d = h_[3], e = h_[4], f = h_[5], g = h_[6], h = h_[7];
        for (int t = 0; t < 64; ++t) {
            const uint32_t t1 = h + (rotar(e, 6) ^ rotar(e, 11) ^ rotar(e, 25)) + ((e & f) ^ (~e & g)) + K[t] + w[t];
            const uint32_t t2 = (rotar(a, 2) ^ rotar(a, 13) ^ rotar(a, 22)) + ((a & bb) ^ (a & c) ^ (bb & c));
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = bb;
            bb = a;
            a = t1 + t2;
        }
        h_[0] += a; h_[1] += bb; h_[2] += c; h_[3] += d;
        h_[4] += e; h_[5] += f; h_[6] += g; h_[7] += h;
    }

    // Initial hash value (FIPS 180-4, 5.3.3).
    std::array<uint32_t, 8> h_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                  0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<unsigned char, 64> bloque_{};
    size_t lleno_ = 0;
    uint64_t total_ = 0;
    bool extensiones_;
};

}  // namespace

std::string sha256Texto(const std::string& bytes, bool extensiones) {
    Sha256 s(extensiones);
    s.anadir(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return s.hex();
}

std::string sha256Archivo(const std::filesystem::path& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    if (!f) throw std::runtime_error("sha256Archivo: no se puede abrir \"" + ruta.string() + "\"");
    Sha256 s(true);
    std::vector<char> bloque(1 << 20);
    while (f) {
        f.read(bloque.data(), static_cast<std::streamsize>(bloque.size()));
        s.anadir(reinterpret_cast<const unsigned char*>(bloque.data()), static_cast<size_t>(f.gcount()));
    }
    if (!f.eof()) throw std::runtime_error("sha256Archivo: error al leer \"" + ruta.string() + "\"");
    return s.hex();
}
