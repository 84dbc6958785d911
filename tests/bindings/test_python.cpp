// The Python package's EAD check: verificar agrees with "talvor verificar"
// on a signed file and on damaged copies of it, and its key is the one of
// keys/ead-public.pem.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "bindings/comum_ligacoes.h"

namespace {

class PacotePython : public AmbienteLigacoes {};

TEST_F(PacotePython, VerificarAgreesWithTheToolAndTheKeyFile)
{
    EXECUTA_OK(Variaveis() + kInstalaPython);
    GravaArquivo("a.txt", "linha 1\r\nlinha 2\r\n");
    EXECUTA_OK("'" TALVOR_CLI_PATH "' assinar a.txt");
    const std::string assinado = LeArquivo("a.txt");
    ASSERT_EQ(assinado.size(), 18u + 259u);
    std::string minusculas = assinado, digito = assinado, conteudo = assinado;
    for (size_t i = assinado.size() - 256; i < assinado.size(); ++i)
        minusculas[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(minusculas[i])));
    digito.back() = digito.back() == '0' ? '1' : '0';
    conteudo[0] = 'L';
    const struct {
        const char *nome;
        std::string bytes;
        bool valido;
    } casos[] = {
        {"intacto", assinado, true},
        {"conteudo", conteudo, false},
        {"digito", digito, false},
        {"minusculas", minusculas, minusculas == assinado},
        {"sem-linha", assinado.substr(0, 18), false},
        {"vazio", "", false},
    };
    std::string arquivos, esperado;
    for (const auto &c : casos) {
        GravaArquivo(c.nome, c.bytes);
        arquivos += std::string(" ") + c.nome;
        esperado += c.valido ? "True\n" : "False\n";
        EXPECT_EQ(Executa("'" TALVOR_CLI_PATH "' verificar " + std::string(c.nome) + " >/dev/null"),
                  c.valido ? 0 : 1)
            << c.nome;
    }
    std::string saida;
    ASSERT_EQ(Executa("venv/bin/python -c 'import sys, talvor\nfor a in sys.argv[1:]: "
                      "print(talvor.verificar(a))'" + arquivos + " 2>&1",
                      &saida),
              0)
        << saida;
    EXPECT_EQ(saida, esperado);

    std::string pem, pacote;
    ASSERT_EQ(Executa("k='" TALVOR_SOURCE_DIR "/keys/ead-public.pem'; openssl rsa -pubin -noout -modulus "
                      "-in \"$k\" && openssl rsa -pubin -noout -text -in \"$k\" | grep -o '^Exponent: [0-9]*'",
                      &pem),
              0);
    ASSERT_EQ(Executa("venv/bin/python -c 'import talvor.ead as e; "
                      "print(\"Modulus=%X\\nExponent: %d\" % (e.MODULO, e.EXPOENTE))'",
                      &pacote),
              0);
    EXPECT_EQ(pacote, pem);
}

}  // namespace

#endif
