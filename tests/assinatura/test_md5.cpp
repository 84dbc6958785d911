// MD5 against the published test suite, md5sum and Python's hashlib: block
// and padding boundaries, large inputs, input fed in odd pieces, and a
// stream longer than 2^29 bytes (where a 32-bit byte count would be wrong).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "assinatura/apoio.h"
#include "common/util.h"
#include "files/md5.h"

class Md5 : public DiretorioTemporario {};

static std::string Digest(const std::string &s)
{
    Md5Contexto c;
    Md5Init(&c);
    Md5Update(&c, s.data(), s.size());
    uint8_t d[16];
    Md5Final(&c, d);
    return Hex(d, 16);
}

TEST_F(Md5, PublishedTestSuite)
{
    EXPECT_EQ(Digest(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(Digest("a"), "0CC175B9C0F1B6A831C399E269772661");
    EXPECT_EQ(Digest("abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(Digest("message digest"), "F96B697D7CB7938D525A2F31AAF161D0");
    EXPECT_EQ(Digest("abcdefghijklmnopqrstuvwxyz"), "C3FCD3D76192E4007DFB496CCA67E13B");
    EXPECT_EQ(Digest("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "D174AB98D277D9F5A5611C2C9F419D9F");
    EXPECT_EQ(Digest("1234567890123456789012345678901234567890"
                     "1234567890123456789012345678901234567890"),
              "57EDF4A22BE3C955AC49DA2E2107B67A");
}

// md5sum and python3 do not run under Windows.
#if !defined(_WIN32)
TEST_F(Md5, BoundariesAndLargeInputsAgainstMd5sumAndHashlib)
{
    ASSERT_TRUE(Disponivel("md5sum --version") && Disponivel("python3 --version"))
        << "md5sum or python3 missing";
    std::mt19937 g(1321);
    std::vector<size_t> tamanhos = {0,   1,   55,  56,   57,   63,   64,     65,
                                    119, 120, 127, 128,  129,  1000, 65536,  65537,
                                    1 << 20, 3 * (1 << 20) + 17};
    for (int i = 0; i < 12; ++i)
        tamanhos.push_back(g() % 5000);
    std::vector<std::string> nossos;
    std::string lista;
    for (size_t i = 0; i < tamanhos.size(); ++i) {
        std::string nome = "e" + std::to_string(i) + ".bin";
        std::string dados = BytesAleatorios(g, tamanhos[i]);
        GravaArquivo(nome, dados);
        nossos.push_back(Digest(dados));
        lista += " " + nome;
    }
    std::string md5sum;
    ASSERT_EQ(Executa("md5sum" + lista, &md5sum), 0);
    std::string py = RodaPython(
        "import hashlib, os\n"
        "i = 0\n"
        "while os.path.exists('e%d.bin' % i):\n"
        "    print(hashlib.md5(open('e%d.bin' % i, 'rb').read()).hexdigest().upper())\n"
        "    i += 1\n");
    std::istringstream a(md5sum), b(py);
    for (size_t i = 0; i < tamanhos.size(); ++i) {
        std::string linha_md5sum, linha_py;
        ASSERT_TRUE(std::getline(a, linha_md5sum));
        ASSERT_TRUE(std::getline(b, linha_py));
        std::string esperado = linha_md5sum.substr(0, 32);
        for (char &c : esperado)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(nossos[i], esperado) << "tamanho " << tamanhos[i];
        EXPECT_EQ(nossos[i], linha_py) << "tamanho " << tamanhos[i];
    }
}
#endif

TEST_F(Md5, PiecesOfAnySizeGiveTheSameDigest)
{
    std::mt19937 g(7);
    std::string dados = BytesAleatorios(g, 10000);
    const std::string inteiro = Digest(dados);
    for (size_t passo : {1u, 3u, 63u, 64u, 65u, 127u, 4097u}) {
        Md5Contexto c;
        Md5Init(&c);
        for (size_t p = 0; p < dados.size(); p += passo)
            Md5Update(&c, dados.data() + p, std::min(passo, dados.size() - p));
        uint8_t d[16];
        Md5Final(&c, d);
        EXPECT_EQ(Hex(d, 16), inteiro) << "passo " << passo;
    }
    // Pieces of zero bytes change nothing.
    Md5Contexto c;
    Md5Init(&c);
    Md5Update(&c, dados.data(), 0);
    Md5Update(&c, dados.data(), dados.size());
    Md5Update(&c, dados.data(), 0);
    uint8_t d[16];
    Md5Final(&c, d);
    EXPECT_EQ(Hex(d, 16), inteiro);
}

#if !defined(_WIN32)   // python3 does not run under Windows
// 2^29 + 77 bytes: the bit length no longer fits in 32 bits.
TEST_F(Md5, StreamBeyond512MiB)
{
    ASSERT_TRUE(Disponivel("python3 --version")) << "python3 missing";
    std::vector<uint8_t> bloco(1 << 20);
    for (size_t i = 0; i < bloco.size(); ++i)
        bloco[i] = static_cast<uint8_t>(i * 7 + (i >> 11));
    Md5Contexto c;
    Md5Init(&c);
    for (int i = 0; i < 512; ++i)
        Md5Update(&c, bloco.data(), bloco.size());
    Md5Update(&c, bloco.data(), 77);
    uint8_t d[16];
    Md5Final(&c, d);
    std::string py = RodaPython(
        "import hashlib\n"
        "b = bytes((i * 7 + (i >> 11)) & 255 for i in range(1 << 20))\n"
        "h = hashlib.md5()\n"
        "for _ in range(512): h.update(b)\n"
        "h.update(b[:77])\n"
        "print(h.hexdigest().upper())\n");
    EXPECT_EQ(Hex(d, 16) + "\n", py);
}
#endif
