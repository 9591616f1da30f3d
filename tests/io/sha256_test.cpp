// The checksum against the examples of FIPS 180-4 and against `sha256sum` for
// lengths at the padding boundaries and a file longer than one read block.

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "io/sha256.h"

// FIPS 180-4's examples, the empty input, and lengths at the padding
// boundaries: 55 bytes leave room for the length in the last block, 56 do
// not; 64 fill it.
TEST(Sha256, FipsExamplesAndPaddingBoundaries) {
    const std::pair<std::string, const char*> casos[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
        {std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
        {std::string(63, 'x'), "75220b47218278e656f2013bb8f0c455a25eaf01e86c64924e9d48d89776d6f2"},
        {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
    };
    for (const auto& [texto, suma] : casos) EXPECT_EQ(sha256Texto(texto), suma) << texto.size() << " bytes";
}

TEST(Sha256, FileLongerThanOneReadBlock) {
    const auto ruta = std::filesystem::temp_directory_path() / "ondelar_sha256_prueba.bin";
    {
        std::ofstream f(ruta, std::ios::binary);
        for (size_t i = 0; i < (1u << 20) + 100; ++i) f.put(static_cast<char>((i * 7 + 3) % 256));
    }
    const std::string suma = sha256Archivo(ruta);
    std::filesystem::remove(ruta);
    EXPECT_EQ(suma, "2bf86ac0b7cbcba0a02023ce2d7e68a4b969fe71d025624ae5a065007ff4d6d3");
}

TEST(Sha256, MissingFileThrows) {
    EXPECT_THROW(sha256Archivo("/nonexistent/ondelar/archivo.gdf"), std::runtime_error);
}
