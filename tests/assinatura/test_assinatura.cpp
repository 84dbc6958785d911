// The "EAD" line: signatures of many files checked with the published public
// key by Python's pow (S^65537 mod N is 0x10, the file's MD5, 111 zeros),
// the append, and the checks of a signed file (changed bytes, forged
// trailers, short files, unreadable paths).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assinatura/apoio.h"
#include "common/util.h"
#include "files/assinatura.h"
#include "files/chave.h"
#include "files/chave_publica.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

class Assinatura : public DiretorioTemporario {};

static int VerificaFinal(const std::string &caminho)
{
    FILE *f = std::fopen(caminho.c_str(), "rb");
    if (f == nullptr)
        return -1;
    std::fseek(f, 0, SEEK_END);
    uint64_t tamanho = static_cast<uint64_t>(std::ftell(f));
    int r = VerificaAssinaturaFinal(f, tamanho);
    std::fclose(f);
    return r;
}

// python3 and openssl do not run under Windows.
#if !defined(_WIN32)
// Checks, for each pair, that assinado is original plus one line "EAD" and
// 256 upper-case digits whose value S satisfies S^e mod N = M(original).
static std::string ConfereComChavePublica(const std::vector<std::pair<std::string, std::string>> &pares)
{
    std::string lista;
    for (const auto &p : pares)
        lista += "('" + p.first + "', '" + p.second + "'),";
    return RodaPython(
        "import hashlib, re\n"
        "N = int('" + ModuloPorOpenssl() + "', 16)\n"
        "ruins = 0\n"
        "for original, assinado in [" + lista + "]:\n"
        "    o = open(original, 'rb').read(); a = open(assinado, 'rb').read()\n"
        "    linha = a[len(o):]\n"
        "    ok = a[:len(o)] == o and len(linha) == 259 and linha[:3] == b'EAD'\n"
        "    ok = ok and re.fullmatch(rb'[0-9A-F]{256}', linha[3:]) is not None\n"
        "    if ok:\n"
        "        M = int.from_bytes(b'\\x10' + hashlib.md5(o).digest() + bytes(111), 'big')\n"
        "        ok = pow(int(linha[3:], 16), 65537, N) == M\n"
        "    if not ok:\n"
        "        ruins += 1; print('errado:', assinado)\n"
        "print('conferidos', len([" + lista + "]), 'errados', ruins)\n");
}

TEST_F(Assinatura, ManyFilesVerifyWithThePublicKey)
{
    ASSERT_TRUE(Disponivel("python3 --version") && Disponivel("openssl version"))
        << "python3 or openssl missing";
    ASSERT_EQ(ModuloPorOpenssl().size(), 256u);
    std::mt19937 g(259);
    std::vector<size_t> tamanhos = {0,   1,    55,    56,    63,    64,    65,    255,
                                    256, 257,  1000,  65535, 65536, 65537, 200003};
    for (int i = 0; i < 10; ++i)
        tamanhos.push_back(g() % 300000);
    std::vector<std::pair<std::string, std::string>> pares;
    for (size_t i = 0; i < tamanhos.size(); ++i) {
        const std::string original = "o" + std::to_string(i), assinado = "a" + std::to_string(i);
        const std::string dados = BytesAleatorios(g, tamanhos[i]);
        GravaArquivo(original, dados);
        GravaArquivo(assinado, dados);
        ASSERT_EQ(AppendSignatureLine(assinado.c_str()), 0);
        EXPECT_EQ(VerificaFinal(assinado), 0) << tamanhos[i];
        pares.push_back({original, assinado});
        if (i % 5 == 0) {
            // A second line signs the first one too.
            const std::string duas = "d" + std::to_string(i);
            GravaArquivo(duas, LeArquivo(assinado));
            ASSERT_EQ(AppendSignatureLine(duas.c_str()), 0);
            EXPECT_EQ(VerificaFinal(duas), 0);
            pares.push_back({assinado, duas});
        }
    }
    EXPECT_EQ(ConfereComChavePublica(pares),
              "conferidos " + std::to_string(pares.size()) + " errados 0\n");
}
#endif

TEST_F(Assinatura, SameContentSameLineAndEmptyFileBecomes259Bytes)
{
    GravaArquivo("um", "");
    GravaArquivo("dois", "");
    ASSERT_EQ(AppendSignatureLine("um"), 0);
    ASSERT_EQ(AppendSignatureLine("dois"), 0);
    const std::string um = LeArquivo("um");
    ASSERT_EQ(um.size(), 259u);
    EXPECT_EQ(um.substr(0, 3), "EAD");
    EXPECT_EQ(LeArquivo("dois"), um);

    // SignFileBytes over the same bytes gives the digits of the line.
    GravaArquivo("tres", "conteudo qualquer\r\n");
    GravaArquivo("quatro", "conteudo qualquer\r\n");
    ASSERT_EQ(AppendSignatureLine("tres"), 0);
    FILE *f = std::fopen("quatro", "rb");
    ASSERT_NE(f, nullptr);
    char digitos[256];
    EXPECT_EQ(SignFileBytes(f, 19, digitos), 0);
    std::fclose(f);
    EXPECT_EQ(LeArquivo("tres").substr(22), std::string(digitos, 256));
}

TEST_F(Assinatura, ChangedBytesAndForgedTrailersFail)
{
    std::mt19937 g(6);
    const std::string dados = BytesAleatorios(g, 5000);
    GravaArquivo("base", dados);
    ASSERT_EQ(AppendSignatureLine("base"), 0);
    const std::string assinado = LeArquivo("base");
    const std::string linha = assinado.substr(5000);

    // One changed byte anywhere in the body, or in the digits.
    for (size_t pos : {size_t(0), size_t(1234), size_t(4999), size_t(5003), size_t(5258)}) {
        std::string mudado = assinado;
        mudado[pos] = static_cast<char>(mudado[pos] ^ 0x01);
        GravaArquivo("mudado", mudado);
        EXPECT_EQ(VerificaFinal("mudado"), 6) << pos;
    }
    // The three letters are not part of the check.
    GravaArquivo("letras", dados + "XYZ" + linha.substr(3));
    EXPECT_EQ(VerificaFinal("letras"), 0);
    // Lower-case digits are not the line.
    std::string minusculas = linha;
    for (char &c : minusculas)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    GravaArquivo("minusculas", dados + "EAD" + minusculas.substr(3));
    EXPECT_EQ(VerificaFinal("minusculas"), 6);
    // "EAD" followed by zero bytes verifies nothing.
    GravaArquivo("nulos", dados + "EAD" + std::string(256, '\0'));
    EXPECT_EQ(VerificaFinal("nulos"), 6);
    // Nor does a line whose digits stop at a zero byte after a good start.
    GravaArquivo("meio", dados + linha.substr(0, 100) + std::string(159, '\0'));
    EXPECT_EQ(VerificaFinal("meio"), 6);

    FILE *f = std::fopen("base", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(VerifySignature(f, 5000, linha.c_str() + 3), 0);
    EXPECT_EQ(VerifySignature(f, 5000, std::string(256, '\0').c_str()), 6);
    std::string corte = linha.substr(3, 10) + std::string(246, '\0');
    EXPECT_EQ(VerifySignature(f, 5000, corte.c_str()), 6);
    EXPECT_EQ(VerifySignature(f, 4999, linha.c_str() + 3), 6);
    EXPECT_EQ(VerifySignature(f, 5000, nullptr), 6);
    // Fewer bytes in the file than asked for: not a match.
    EXPECT_EQ(VerifySignature(f, 6000, linha.c_str() + 3), 6);
    std::fclose(f);
}

TEST_F(Assinatura, ShortFilesAndUnreadableTrailers)
{
    GravaArquivo("curto", std::string(258, 'E'));
    EXPECT_EQ(VerificaFinal("curto"), 1);
    GravaArquivo("vazio", "");
    EXPECT_EQ(VerificaFinal("vazio"), 1);
    EXPECT_EQ(VerificaAssinaturaFinal(nullptr, 1000), 1);
    EXPECT_EQ(VerifySignature(nullptr, 0, std::string(256, '0').c_str()), 6);

    // A size beyond the end of the file: the trailer cannot be read.
    GravaArquivo("x", "abc");
    ASSERT_EQ(AppendSignatureLine("x"), 0);
    FILE *f = std::fopen("x", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(VerificaAssinaturaFinal(f, 263), 1);
    EXPECT_EQ(VerificaAssinaturaFinal(f, 262), 0);
    char digitos[256];
    EXPECT_EQ(SignFileBytes(f, 10000, digitos), 1);
    std::fclose(f);
}

TEST_F(Assinatura, NothingIsAppendedWhereTheFileCannotBeOpened)
{
    EXPECT_EQ(AppendSignatureLine("nao-existe.bin"), 1);
    EXPECT_FALSE(ExisteArquivo("nao-existe.bin"));
    EXPECT_EQ(AppendSignatureLine(nullptr), 1);
    EXPECT_EQ(AppendSignatureLine(""), 1);
    ASSERT_EQ(Executa("mkdir pasta"), 0);
    EXPECT_EQ(AppendSignatureLine("pasta"), 1);
#if !defined(_WIN32)
    // A device without end is not read for ever.
    EXPECT_EQ(AppendSignatureLine("/dev/zero"), 1);
#endif
}

TEST_F(Assinatura, PublishedKeyMatchesTheEmbeddedOne)
{
    EXPECT_EQ(std::string(ChavePublicaPEM), LeArquivo(CaminhoChavePublica()));
    uint8_t n[BYTES_CHAVE];
    ModuloPublico(n);
    EXPECT_NE(std::memcmp(n, kModuloMascarado, BYTES_CHAVE), 0);
    EXPECT_GE(n[0], 0x80);
#if !defined(_WIN32)   // openssl does not run under Windows
    ASSERT_TRUE(Disponivel("openssl version")) << "openssl missing";
    EXPECT_EQ(ModuloPorOpenssl(), Hex(n, BYTES_CHAVE));
    std::string texto;
    ASSERT_EQ(Executa("openssl rsa -pubin -noout -text -in '" + CaminhoChavePublica() + "'", &texto), 0);
    EXPECT_NE(texto.find("Public-Key: (1024 bit)"), std::string::npos) << texto;
    EXPECT_NE(texto.find("Exponent: 65537 (0x10001)"), std::string::npos) << texto;
#endif
}

#if !defined(_WIN32)
// The line cannot be written whole (the file-size limit stands in for a
// full disk): the file is left as it was and the failure reported.
TEST_F(Assinatura, ALineWrittenInPartIsTakenBack)
{
    const std::string dados(1000, 'x');
    GravaArquivo("cheio", dados);
    struct rlimit antes {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &antes), 0);
    void (*sinal)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limite = antes;
    limite.rlim_cur = 1100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limite), 0);
    int r = AppendSignatureLine("cheio");
    setrlimit(RLIMIT_FSIZE, &antes);
    std::signal(SIGXFSZ, sinal);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(LeArquivo("cheio"), dados);
}
#endif
