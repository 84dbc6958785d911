// The converters run over the sample as a download would hand it to them:
// the detail-tape files joined after a parameter record and signed, and the
// fiscal-memory image followed by its parameter record and signed.
#include <map>

#include "amostra/amostra.h"
#include "common/relogio_nomes.h"
#include "common/util.h"
#include "files/assinatura.h"
#include "platform/plataforma.h"
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

// The first three characters of each line of a type-E file or mirror,
// counted (the signature line is no line).
std::map<std::string, unsigned> Tipos(const std::string &texto)
{
    std::map<std::string, unsigned> tipos;
    std::string assinatura;
    for (const std::string &l : Linhas(texto, &assinatura))
        ++tipos[l.substr(0, 3)];
    return tipos;
}

TEST_F(Conversores, RegistrosTipoEDaFitaDetalhe)
{
    ASSERT_EQ(0, GeraRegistrosTipoE("", "TV0123_20250415_120000.MFD", "1"));
    const std::string texto = UnicoConteudo("Arquivos TXT Formatados/");
    ASSERT_GT(texto.size(), 259u);
    std::map<std::string, unsigned> tipos = Tipos(texto);
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

// Every file of a directory: signed, and its lines by their first three
// characters.
std::map<std::string, unsigned> ConfereSaidas(const char *diretorio, unsigned arquivos)
{
    std::map<std::string, unsigned> tipos;
    std::vector<std::string> nomes = ListaDiretorio(diretorio);
    EXPECT_EQ(arquivos, nomes.size()) << diretorio;
    for (const std::string &n : nomes) {
        std::string caminho = std::string(diretorio) + "/" + n;
        uint64_t tamanho = 0;
        EXPECT_EQ(0, TamanhoArquivo(caminho.c_str(), &tamanho));
        FILE *f = std::fopen(caminho.c_str(), "rb");
        EXPECT_NE(nullptr, f);
        if (f == nullptr)
            continue;
        EXPECT_EQ(0, VerificaAssinaturaFinal(f, tamanho)) << caminho;
        std::fclose(f);
        for (const auto &t : Tipos(LeArquivo(caminho)))
            tipos[t.first] += t.second;
    }
    return tipos;
}

TEST_F(Conversores, EspelhosDaMemoriaFiscalEDaFita)
{
    // Each call in a second of its own: names carry the time to the second.
    RelogioDeNomes relogio;
    EXPECT_EQ(0, GeraEspelhoLMF("MFTV0123_20250415_120000.BIN", "0", "0", "01012024", "31122025"));
    relogio.Avanca();
    EXPECT_EQ(0, GeraEspelhoLMF("MFTV0123_20250415_120000.BIN", "1", "1", "1", "400"));
    relogio.Avanca();
    EXPECT_EQ(0, GeraEspelhos("TV0123_20250415_120000.MFD", "0", "01032025", "31032025"));
    relogio.Avanca();
    EXPECT_EQ(0, GeraEspelhos("TV0123_20250415_120000.MFD", "2", "", ""));
    ConfereSaidas("Arquivos TXT Espelho", 4);
    for (const std::string &n : ListaDiretorio("Arquivos TXT Espelho")) {
        std::string texto = LeArquivo("Arquivos TXT Espelho/" + n);
        EXPECT_EQ(std::string::npos, texto.find("BAD TAG")) << n;
        if (n.compare(0, 4, "EMF" "D") == 0)
            EXPECT_NE(std::string::npos, texto.find("CUPOM FISCAL")) << n;
        else
            EXPECT_NE(std::string::npos, texto.find("LEITURA MEM\xD3RIA FISCAL")) << n;
    }
}

TEST_F(Conversores, RegistrosTipoEDaMemoriaFiscalECombinados)
{
    RelogioDeNomes relogio;
    EXPECT_EQ(0, GeraRegistrosTipoE("MFTV0123_20250415_120000.BIN", "", "0"));
    relogio.Avanca();
    EXPECT_EQ(0, GeraRegistrosTipoE("MFTV0123_20250415_120000.BIN", "TV0123_20250415_120000.MFD", "2"));
    std::map<std::string, unsigned> tipos = ConfereSaidas("Arquivos TXT Formatados", 2);
    // Both files hold the fiscal memory's records once each.
    EXPECT_EQ(2u, tipos["E01"]);
    EXPECT_EQ(2u * 2, tipos["E04"]);     // two taxpayers
    EXPECT_EQ(2u * 2, tipos["E05"]);     // two GT codings
    EXPECT_EQ(2u * 2, tipos["E06"]);     // two currency symbols
    EXPECT_EQ(2u * 3, tipos["E07"]);     // three software versions
    EXPECT_EQ(2u * 2, tipos["E08"]);     // two detail-tape devices
    EXPECT_EQ(2u * 4, tipos["E09"]);     // four restarts
    EXPECT_GE(tipos["E10"], 2u * 12);    // a detail-tape issue a month
    EXPECT_EQ(2u, tipos["E11"]);
    EXPECT_EQ(2u * 400, tipos["E12"]);
    EXPECT_EQ(2u * 400 * 27, tipos["E13"]);
    EXPECT_GT(tipos["E14"], 800u);       // only in the combined file
}

}  // namespace
