// The converters run over the sample as a download would hand it to them:
// the detail-tape files joined after a parameter record and signed, and the
// fiscal-memory image followed by its parameter record and signed.
#include <map>
#include <sstream>

#include "amostra/amostra.h"
#include "common/util.h"
#include "files/assinatura.h"
#include "talvor/ecf.h"

namespace {

class Conversores : public DiretorioTemporario {
protected:
    void SetUp() override
    {
        DiretorioTemporario::SetUp();
        CriaDiretoriosSaida();
        ASSERT_EQ(0, GeraAmostraTeste("--saida a"));
        // Parameter record: identification, kind 3 (everything), unused bounds.
        std::string parametros = std::string("TV0123SIM78901234567") + '\x03' + std::string(8, ' ');
        std::string fita = parametros;
        for (const EntradaDiretorio &e : LeDiretorioFita("a/fita"))
            fita += LeArquivo("a/fita/" + e.nome);
        fita += LeArquivo("a/fita/File_Current");
        GravaArquivo("TV0123_20250415_120000.MFD", fita);
        ASSERT_EQ(0, AppendSignatureLine("TV0123_20250415_120000.MFD"));
        GravaArquivo("MFTV0123_20250415_120000.BIN", LeArquivo("a/mf.bin") + parametros);
        ASSERT_EQ(0, AppendSignatureLine("MFTV0123_20250415_120000.BIN"));
    }
};

std::vector<std::string> Linhas(const std::string &texto)
{
    std::vector<std::string> r;
    std::istringstream s(texto);
    std::string l;
    while (std::getline(s, l))
        r.push_back(l);
    return r;
}

TEST_F(Conversores, RegistrosTipoEDaFitaDetalhe)
{
    ASSERT_EQ(0, GeraRegistrosTipoE("", "TV0123_20250415_120000.MFD", "1"));
    std::vector<std::string> saida = ListaDiretorio("Arquivos TXT Formatados");
    ASSERT_EQ(1u, saida.size());
    std::string texto = LeArquivo("Arquivos TXT Formatados/" + saida[0]);
    std::map<std::string, unsigned> tipos;
    for (const std::string &l : Linhas(texto))
        ++tipos[l.substr(0, 3)];
    EXPECT_EQ(1u, tipos["E01"]);
    EXPECT_EQ(1u, tipos["E02"]);
    EXPECT_GT(tipos["E14"], 800u);
    EXPECT_GT(tipos["E15"], tipos["E14"]);
    EXPECT_GE(tipos["E16"], 400u);                 // a Redução Z a day, Leituras X, an LMF
    EXPECT_EQ(400u * 3, tipos["E17"]);             // three non-fiscal totalizers a reduction
    EXPECT_EQ(400u * 5, tipos["E18"]);             // four payment methods and the change
    EXPECT_GT(tipos["E19"], 0u);
    EXPECT_GT(tipos["E20"], 0u);
    EXPECT_GT(tipos["E21"], tipos["E14"]);
    EXPECT_EQ(std::string::npos, texto.find("BAD TAG"));
    EXPECT_EQ(0, texto.compare(texto.size() - 259, 3, "EAD"));
}

}  // namespace
