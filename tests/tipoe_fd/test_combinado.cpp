// The combined type-E file ("2"): the detail tape's records queued by
// GeraRegistrosFD and written by the fiscal-memory generator into the same
// file, after its own, and signed once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/construtor_fd.h"
#include "common/construtor_mf.h"
#include "common/util.h"
#include "files/item_list.h"
#include "talvor/ecf.h"
#include "tipoe/tipoe.h"

namespace {

const DataFD kDia = {15, 3, 2007, 14, 25, 1};

class TipoECombinado : public DiretorioTemporario {};

TEST_F(TipoECombinado, DetailTapeRecordsFollowTheFiscalMemoryInOneSignedFile)
{
    CriaDiretoriosSaida();
    MemoriaSimples(1, 20, 15).Grava("memoria.MF");

    ConstrutorFD fd;
    fd.IdentificacaoECF("TV0123456789", "TALVOR", "7720-QX3", "ECF-IF")
        .Contribuinte(kDia, "12.345.678/0001-90", "123.456.789.110", "", 1, 0, 1)
        .NumerosECF("007", "0002")
        .NomePagamento(0, "DINHEIRO")
        .InicioCupom(kDia, 10, 3).TotalizadorParcial(0, 500).Pagamento(0, 0, 500)
        .FimDocumento(0xA1, kDia)
        .InicioLeituraX(kDia, 11).FimDocumento(0xA4, kDia);
    ASSERT_TRUE(GravaComAssinatura("fita.MFD", ParametrosFD("TV0123", 3) + fd.Fluxo()));

    // What the detail tape contributes, from the combined mode alone.
    ItemList fila;
    fila.Init();
    ASSERT_EQ(GeraRegistrosFD("fita.MFD", "fila.TXT", &fila, MODO_FD_COMBINADO), 0);
    std::vector<std::string> daFita;
    for (ItemListNode *n = fila.head; n != nullptr; n = n->next)
        daFita.push_back(static_cast<const char *>(n->item));
    fila.Release();
    ASSERT_EQ(daFita.size(), 5u);   // E01, E02, E14, E16, E21

    ASSERT_EQ(GeraRegistrosTipoE("memoria.MF", "fita.MFD", "2"), 0);
    const std::string arquivo = UnicoConteudo("Arquivos TXT Formatados/", "TDMTV0123_");
    ASSERT_GT(arquivo.size(), 259u);
    std::string texto = arquivo.substr(0, arquivo.size() - 259);
    // Signed once, over everything before the line.
    ASSERT_TRUE(GravaComAssinatura("conferir.txt", texto));
    EXPECT_EQ(LeArquivo("conferir.txt"), arquivo);
    EXPECT_EQ(texto.find("EAD"), std::string::npos);

    std::vector<std::string> linhas = Linhas(texto);
    ASSERT_GE(linhas.size(), 5u);
    EXPECT_EQ(linhas[0].substr(0, 3), "E01");
    EXPECT_EQ(linhas[0].substr(95, 3), "007");   // the ECF number from the detail tape
    EXPECT_EQ(linhas[0].substr(112, 3), "TDM");
    EXPECT_EQ(linhas[1], daFita[1]);              // E02 from the detail tape
    // The detail tape's E14 to E21 close the file, in their order.
    std::vector<std::string> fim(linhas.end() - 3, linhas.end());
    EXPECT_EQ(fim, std::vector<std::string>(daFita.begin() + 2, daFita.end()));
    EXPECT_EQ(linhas[linhas.size() - 4].substr(0, 3), "E13");

    // A damaged stream: the message opens the combined file, the records
    // gathered before it follow as usual.
    for (const std::string &n : ListaDiretorio("Arquivos TXT Formatados"))
        std::remove(("Arquivos TXT Formatados/" + n).c_str());
    ASSERT_TRUE(GravaComAssinatura("ruim.MFD", ParametrosFD("TV0123", 3) + fd.Fluxo() + "\xD4"));
    ASSERT_EQ(GeraRegistrosTipoE("memoria.MF", "ruim.MFD", "2"), 0);
    const std::string ruim = UnicoConteudo("Arquivos TXT Formatados/");
    ASSERT_GT(ruim.size(), 259u + daFita.back().size() + 2);
    EXPECT_EQ(ruim.substr(0, 24), "BAD TAG FOUND READ \r\nE01");
    EXPECT_EQ(ruim.substr(ruim.size() - 259 - daFita.back().size() - 2, daFita.back().size()),
              daFita.back());
}

}  // namespace
