// The generator itself: the same seed gives the same bytes in every file,
// another seed another sample, the sizes of the images, and bad arguments.
#include <cstdio>

#include "amostra/amostra.h"
#include "common/util.h"
#include "platform/plataforma.h"

namespace {

class Gerador : public DiretorioTemporario {};

TEST_F(Gerador, MesmaSementeMesmosBytes)
{
    ASSERT_EQ(0, GeraAmostraTeste("--semente 7 --saida a"));
    ASSERT_EQ(0, GeraAmostraTeste("--semente 7 --saida b"));
    ASSERT_EQ(0, GeraAmostraTeste("--semente 8 --saida c"));
    std::vector<std::string> arquivos = ListaDiretorio("a/fita");
    ASSERT_GT(arquivos.size(), 300u);
    EXPECT_EQ(arquivos, ListaDiretorio("b/fita"));
    for (const std::string &n : arquivos)
        EXPECT_TRUE(LeArquivo("a/fita/" + n) == LeArquivo("b/fita/" + n)) << n;
    EXPECT_TRUE(LeArquivo("a/mf.bin") == LeArquivo("b/mf.bin"));
    EXPECT_TRUE(LeArquivo("a/sb.bin") == LeArquivo("b/sb.bin"));
    EXPECT_FALSE(LeArquivo("a/mf.bin") == LeArquivo("c/mf.bin"));
    EXPECT_FALSE(LeArquivo("a/fita/File_Current") == LeArquivo("c/fita/File_Current"));
}

TEST_F(Gerador, SementePadraoETamanhos)
{
    std::string saida;
    ASSERT_EQ(0, GeraAmostraTeste("--saida a", &saida));
    ASSERT_EQ(0, GeraAmostraTeste("--semente 1 --saida b"));
    EXPECT_TRUE(LeArquivo("a/mf.bin") == LeArquivo("b/mf.bin"));
    EXPECT_EQ(1048576u, LeArquivo("a/mf.bin").size());
    std::string sb = LeArquivo("a/sb.bin");
    EXPECT_EQ(524288u, sb.size());
    EXPECT_EQ(0, sb.compare(0, 15, "TALVOR 7720-QX3"));
    EXPECT_NE(std::string::npos, saida.find("talvor-sim --mf a/mf.bin --sb a/sb.bin --fita a/fita"));
    // Small enough to be served quickly: a few megabytes of detail tape.
    uint64_t total = 0;
    for (const std::string &n : ListaDiretorio("a/fita"))
        total += LeArquivo("a/fita/" + n).size();
    EXPECT_LT(total, 4u * 1024 * 1024);
}

TEST_F(Gerador, DiasPedidos)
{
    ASSERT_EQ(0, GeraAmostraTeste("--dias 3 --saida a"));
    EXPECT_EQ(3u, LeDiretorioFita("a/fita").size());
    EXPECT_TRUE(ExisteArquivo("a/fita/File_Current"));
}

TEST_F(Gerador, ArgumentosErrados)
{
    const char *casos[] = {"--semente", "--semente x", "--semente -1", "--semente 99999999999999999999", "--dias 0", "--dias 2501",
                           "--saida \"\"", "--outra 1", "a"};
    for (const char *c : casos) {
        std::string saida;
        EXPECT_EQ(2, GeraAmostraTeste(c, &saida)) << c;
        EXPECT_EQ(0u, saida.find("talvor-amostra: ")) << c << ": " << saida;
        EXPECT_NE(std::string::npos, saida.find("uso: talvor-amostra")) << c;
    }
    std::string ajuda;
    EXPECT_EQ(0, GeraAmostraTeste("--help", &ajuda));
    EXPECT_EQ(0u, ajuda.find("uso: talvor-amostra"));
    EXPECT_TRUE(ListaDiretorio(".").empty());
}

}  // namespace

namespace {

class GravacaoFalha : public DiretorioTemporario {};

TEST_F(GravacaoFalha, DiretorioImpossivelOuListaPresa)
{
    GravaArquivo("arquivo", "x");
    std::string saida;
    EXPECT_EQ(1, GeraAmostraTeste("--dias 2 --saida arquivo/a", &saida));
    EXPECT_NE(std::string::npos, saida.find("talvor-amostra: ")) << saida;
    // A list that cannot be replaced stops the generator before anything
    // else is written.
    ASSERT_EQ(0, GeraAmostraTeste("--dias 2 --saida a"));
    const std::string mf = LeArquivo("a/mf.bin");
    ASSERT_EQ(0, std::remove("a/fita/diretorio.txt"));
    ASSERT_EQ(0, CriaDiretorio("a/fita/diretorio.txt"));
    GravaArquivo("a/fita/diretorio.txt/f", "x");
    EXPECT_EQ(1, GeraAmostraTeste("--dias 5 --saida a", &saida));
    EXPECT_NE(std::string::npos, saida.find("diretorio.txt")) << saida;
    EXPECT_TRUE(mf == LeArquivo("a/mf.bin"));
}

}  // namespace
