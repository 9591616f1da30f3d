#include "io/sha256.h"

#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include <openssl/evp.h>

namespace {

using Contexto = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

Contexto nuevoContexto() {
    Contexto ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("no se pudo iniciar el cálculo SHA-256.");
    return ctx;
}

void anadir(EVP_MD_CTX* ctx, const void* datos, size_t n) {
    if (EVP_DigestUpdate(ctx, datos, n) != 1) throw std::runtime_error("fallo en el cálculo SHA-256.");
}

std::string terminar(EVP_MD_CTX* ctx) {
    unsigned char suma[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    if (EVP_DigestFinal_ex(ctx, suma, &n) != 1) throw std::runtime_error("fallo en el cálculo SHA-256.");
    static const char cifras[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * n);
    for (unsigned int i = 0; i < n; ++i) {
        hex.push_back(cifras[suma[i] >> 4]);
        hex.push_back(cifras[suma[i] & 0xF]);
    }
    return hex;
}

}  // namespace

std::string sha256Texto(const std::string& bytes) {
    Contexto ctx = nuevoContexto();
    anadir(ctx.get(), bytes.data(), bytes.size());
    return terminar(ctx.get());
}

std::string sha256Archivo(const std::filesystem::path& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    if (!f) throw std::runtime_error("no se puede leer " + ruta.string() + " para su suma SHA-256.");
    Contexto ctx = nuevoContexto();
    std::vector<char> bloque(size_t{1} << 20);
    while (f) {
        f.read(bloque.data(), static_cast<std::streamsize>(bloque.size()));
        const std::streamsize leidos = f.gcount();
        if (leidos > 0) anadir(ctx.get(), bloque.data(), static_cast<size_t>(leidos));
    }
    if (f.bad()) throw std::runtime_error("error al leer " + ruta.string() + " para su suma SHA-256.");
    return terminar(ctx.get());
}
