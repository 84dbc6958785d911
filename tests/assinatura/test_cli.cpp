// talvor assinar, verificar and chave-publica: exit codes and messages.
#include <gtest/gtest.h>

#include <string>

#include "assinatura/apoio.h"
#include "common/util.h"

class CliAssinatura : public DiretorioTemporario {};

// Runs talvor; its standard output with the line ends as "\n" (the console
// of Windows writes "\r\n").
static int Talvor(const std::string &argumentos, std::string *saida)
{
    int r = Executa(std::string("\"") + TALVOR_CLI_PATH + "\" " + argumentos, saida);
    std::string sem_cr;
    for (char c : *saida)
        if (c != '\r')
            sem_cr += c;
    *saida = sem_cr;
    return r;
}

TEST_F(CliAssinatura, SignThenVerify)
{
    GravaArquivo("a.txt", "linha 1\r\nlinha 2\r\n");
    GravaArquivo("b.txt", "outro\r\n");
    std::string saida;
    EXPECT_EQ(Talvor("assinar a.txt", &saida), 0);
    EXPECT_EQ(saida, "a.txt: assinado\n");
    EXPECT_EQ(LeArquivo("a.txt").size(), 18u + 259u);
    ASSERT_EQ(Talvor("assinar b.txt", &saida), 0);

    EXPECT_EQ(Talvor("verificar a.txt b.txt", &saida), 0);
    EXPECT_EQ(saida, "a.txt: assinatura EAD v\xC3\xA1lida\nb.txt: assinatura EAD v\xC3\xA1lida\n");

    // One changed byte: invalid (1), the other file still valid.
    std::string b = LeArquivo("b.txt");
    b[0] = 'O';
    GravaArquivo("b.txt", b);
    EXPECT_EQ(Talvor("verificar a.txt b.txt", &saida), 1);
    EXPECT_EQ(saida, "a.txt: assinatura EAD v\xC3\xA1lida\n"
                     "b.txt: assinatura EAD inv\xC3\xA1lida ou ausente\n");

    // An unreadable file outranks an invalid one (2), whatever the order.
    EXPECT_EQ(Talvor("verificar nada.txt b.txt a.txt", &saida), 2);
    EXPECT_EQ(saida, "nada.txt: n\xC3\xA3o p\xC3\xB4" "de ser lido\n"
                     "b.txt: assinatura EAD inv\xC3\xA1lida ou ausente\n"
                     "a.txt: assinatura EAD v\xC3\xA1lida\n");
    ASSERT_EQ(Executa("mkdir pasta"), 0);
    EXPECT_EQ(Talvor("verificar pasta", &saida), 2);

    // A file shorter than the line carries none: invalid, not unreadable.
    GravaArquivo("curto.txt", "abc");
    EXPECT_EQ(Talvor("verificar curto.txt", &saida), 1);
    EXPECT_EQ(saida, "curto.txt: assinatura EAD inv\xC3\xA1lida ou ausente\n");
}

TEST_F(CliAssinatura, WrongArgumentsAndMissingFiles)
{
    std::string saida;
    EXPECT_EQ(Talvor("assinar nada.txt", &saida), 1);
    EXPECT_FALSE(ExisteArquivo("nada.txt"));
    EXPECT_EQ(Talvor("assinar", &saida), 2);
    EXPECT_EQ(Talvor("assinar a b", &saida), 2);
    EXPECT_EQ(Talvor("verificar", &saida), 2);
    EXPECT_EQ(Talvor("chave-publica extra", &saida), 2);
}

TEST_F(CliAssinatura, PublicKeyIsThePublishedPem)
{
    std::string saida;
    EXPECT_EQ(Talvor("chave-publica", &saida), 0);
    EXPECT_EQ(saida, LeArquivo(CaminhoChavePublica()));
#if !defined(_WIN32)   // openssl does not run under Windows
    ASSERT_TRUE(Disponivel("openssl version")) << "openssl missing";
    GravaArquivo("chave.pem", saida);
    std::string modulo;
    ASSERT_EQ(Executa("openssl rsa -pubin -noout -modulus -in chave.pem", &modulo), 0);
    EXPECT_EQ(modulo, "Modulus=" + ModuloPorOpenssl() + "\n");
#endif
}
