// The detail-tape record reader: framing, fillers, over-long texts, the
// stream end, field reversal, print-line expansion and character codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/construtor_fd.h"
#include "common/util.h"
#include "files/nomes.h"
#include "mfd/registro_fd.h"
#include "mfd/texto_fd.h"

namespace {

// A trailer whose bytes would be a bad tag if the reader ever read them.
const std::string kTrailer(259, '\xD4');

struct Lido {
    int resultado;
    std::vector<std::string> registros;   // tag and fixed part, text included
    uint64_t posicaoFinal;
    int documento;
};

// Length of a delivered record as the test knows it (tag table by hand).
size_t ComprimentoTeste(const uint8_t *r)
{
    switch (r[0]) {
    case 0xFE: case 0xFF: case 0x75: case 0x80: return 1;
    case 0x7E: return 2;
    case 0x81: case 0x85: return 14;
    case 0x84: return 10;
    case 0xA1: case 0xB2: return 6;
    case 0xD7: return 32 + (r[30] | (r[31] << 8));
    case 0x90: return 68;
    case 0xC0: return 7;
    default: return r[0] <= 0x74 ? r[0] + 1u : 1u;
    }
}

class LeitorTeste : public DiretorioTemporario {
protected:
    Lido Le(const std::string &conteudo, uint64_t inicio = 0)
    {
        GravaArquivo("fluxo.bin", conteudo + kTrailer);
        FILE *f = std::fopen("fluxo.bin", "rb");
        EXPECT_NE(f, nullptr);
        static LeitorFD leitor;
        AbreLeitorFD(&leitor, f, inicio, conteudo.size());
        Lido l{};
        l.documento = 1;
        uint8_t reg[TAMANHO_REGISTRO_FD];
        for (int guarda = 0; guarda < 100000; ++guarda) {
            std::memset(reg, 0xAA, sizeof reg);
            l.resultado = LeRegistroFD(&leitor, reg, &l.documento);
            if (l.resultado != 0)
                break;
            l.registros.emplace_back(reinterpret_cast<char *>(reg), ComprimentoTeste(reg));
        }
        l.posicaoFinal = leitor.posicao;
        std::fclose(f);
        return l;
    }
};

const DataFD kData = {15, 3, 2007, 14, 25, 1};

std::string Tag(uint8_t t) { return std::string(1, static_cast<char>(t)); }

TEST_F(LeitorTeste, FillersAreSkippedAndARecordBeforeA0xFFIsLost)
{
    std::string x = ConstrutorFD().LinhaImpressa("XX").Fluxo();
    std::string y = ConstrutorFD().LinhaImpressa("YYY").Fluxo();
    Lido a = Le(x + "\xFE\xFF\xFF" + y);
    EXPECT_EQ(a.resultado, 20);
    ASSERT_EQ(a.registros.size(), 3u);
    EXPECT_EQ(a.registros[0], x);
    EXPECT_EQ(a.registros[1], "\xFF");
    EXPECT_EQ(a.registros[2], y);

    Lido b = Le(x + "\xFF" + y);
    ASSERT_EQ(b.registros.size(), 2u);
    EXPECT_EQ(b.registros[0], "\xFF");
    EXPECT_EQ(b.registros[1], y);

    // A 0xFE before anything but 0xFF is delivered; a filler run at the end
    // ends the data (and the record before it is lost).
    Lido c = Le(x + "\xFE" + y + "\xFF\xFF");
    EXPECT_EQ(c.resultado, 20);
    ASSERT_EQ(c.registros.size(), 2u);
    EXPECT_EQ(c.registros[1], "\xFE");
}

TEST_F(LeitorTeste, OverLongDescriptionIsDroppedOnlyBeforeA0xFF)
{
    std::string y = ConstrutorFD().Separador().Fluxo();
    std::string longo = ConstrutorFD().ItemComprimento(1, 29, "").Fluxo();
    Lido a = Le(longo + "\xFF" + y);
    EXPECT_EQ(a.resultado, 20);
    EXPECT_EQ(a.documento, 0);
    ASSERT_EQ(a.registros.size(), 1u);
    EXPECT_EQ(a.registros[0], y);

    // Followed by anything else: a damaged record.
    GravaArquivo("fluxo.bin", longo + y + kTrailer);
    FILE *f = std::fopen("fluxo.bin", "rb");
    static LeitorFD leitor;
    AbreLeitorFD(&leitor, f, 0, longo.size() + 1);
    uint8_t reg[TAMANHO_REGISTRO_FD] = {};
    int doc = 1;
    EXPECT_EQ(LeRegistroFD(&leitor, reg, &doc), 6);
    EXPECT_EQ(doc, 1);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(reg) + 32, 25), "ERROR TO READ DESCRIPTION");
    std::fclose(f);

    // A 16-bit length at its maximum behaves the same way.
    Lido c = Le(ConstrutorFD().ItemComprimento(1, 0xFFFF, "").Fluxo() + "\xFF" + y);
    EXPECT_EQ(c.resultado, 20);
    ASSERT_EQ(c.registros.size(), 1u);

    // The longest accepted description is read whole.
    std::string d28(28, 'D');
    Lido e = Le(ConstrutorFD().ItemComprimento(2, 28, d28).Fluxo() + y);
    ASSERT_EQ(e.registros.size(), 2u);
    EXPECT_EQ(e.registros[0].substr(32), d28);
}

TEST_F(LeitorTeste, OverLongTextAndItsMarkAsTheLastBytesEndTheData)
{
    std::string x = ConstrutorFD().Separador().Fluxo();
    Lido a = Le(x + ConstrutorFD().TextoGuardado(std::string(85, 'T')).Fluxo().substr(0, 2) + "\xFF");
    EXPECT_EQ(a.resultado, 20);
    ASSERT_EQ(a.registros.size(), 1u);
    // The over-long record without anything after it is damaged.
    Lido b = Le(x + ConstrutorFD().TextoGuardado(std::string(85, 'T')).Fluxo().substr(0, 2));
    EXPECT_EQ(b.resultado, 6);
}

TEST_F(LeitorTeste, BadTagsGiveSixOnTheirFirstByte)
{
    const uint8_t ruins[] = {0x8D, 0x8E, 0x8F, 0x9F, 0xA0, 0xAB, 0xAD, 0xAE, 0xAF, 0xB0, 0xB6,
                             0xB7, 0xB8, 0xB9, 0xBB, 0xBC, 0xBE, 0xBF, 0xD4, 0xE0, 0xEF, 0xFD};
    for (uint8_t t : ruins) {
        unsigned n = 99;
        EXPECT_EQ(TamanhoRegistroFD(t, &n), 6) << std::hex << int(t);
        Lido l = Le(Tag(t) + "\x01\x02\x03");
        EXPECT_EQ(l.resultado, 6);
        EXPECT_EQ(l.posicaoFinal, 1u);
    }
    unsigned n = 0;
    EXPECT_EQ(TamanhoRegistroFD(0x00, &n), 0);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(TamanhoRegistroFD(0x74, &n), 0);
    EXPECT_EQ(n, 117u);
    EXPECT_EQ(TamanhoRegistroFD(0x8B, &n), 0);
    EXPECT_EQ(n, 130u);
    EXPECT_EQ(TamanhoRegistroFD(0xDF, &n), 0);
    EXPECT_EQ(n, 10u);
}

TEST(TamanhoFD, EveryTagOfTheRecordTable)
{
    // tag range and length, as the record table lists them.
    struct Faixa {
        unsigned de, ate, comprimento;
    } tabela[] = {
        {0x75, 0x77, 1}, {0x78, 0x78, 2}, {0x79, 0x79, 1}, {0x7A, 0x7A, 2}, {0x7B, 0x7B, 5},
        {0x7C, 0x7C, 5}, {0x7D, 0x7D, 3}, {0x7E, 0x7F, 2}, {0x80, 0x80, 1}, {0x81, 0x81, 14},
        {0x82, 0x82, 18}, {0x83, 0x83, 12}, {0x84, 0x84, 10}, {0x85, 0x85, 14}, {0x86, 0x86, 18},
        {0x87, 0x87, 16}, {0x88, 0x89, 10}, {0x8A, 0x8A, 14}, {0x8B, 0x8B, 130}, {0x8C, 0x8C, 10},
        {0x90, 0x90, 68}, {0x91, 0x91, 9}, {0x92, 0x92, 76}, {0x93, 0x93, 3}, {0x94, 0x94, 8},
        {0x95, 0x95, 52}, {0x96, 0x96, 6}, {0x97, 0x98, 18}, {0x99, 0x99, 19}, {0x9A, 0x9B, 2},
        {0x9C, 0x9C, 16}, {0x9D, 0x9D, 50}, {0x9E, 0x9E, 2}, {0xA1, 0xAA, 6}, {0xAC, 0xAC, 6},
        {0xB1, 0xB5, 6}, {0xBA, 0xBA, 6}, {0xBD, 0xBD, 4}, {0xC0, 0xC0, 7}, {0xC1, 0xC1, 9},
        {0xC2, 0xC2, 7}, {0xC3, 0xC8, 8}, {0xC9, 0xCB, 7}, {0xCC, 0xCE, 4}, {0xCF, 0xCF, 5},
        {0xD0, 0xD1, 9}, {0xD2, 0xD2, 31}, {0xD3, 0xD3, 3}, {0xD5, 0xD6, 10}, {0xD7, 0xD7, 32},
        {0xD8, 0xD9, 3}, {0xDA, 0xDA, 8}, {0xDB, 0xDB, 4}, {0xDC, 0xDC, 2}, {0xDD, 0xDE, 5},
        {0xDF, 0xDF, 10}, {0xFE, 0xFF, 1},
    };
    unsigned esperado[256] = {};
    for (unsigned t = 0; t <= 0x74; ++t)
        esperado[t] = t + 1;
    for (const Faixa &f : tabela)
        for (unsigned t = f.de; t <= f.ate; ++t)
            esperado[t] = f.comprimento;
    for (unsigned t = 0; t < 256; ++t) {
        unsigned n = 0;
        int r = TamanhoRegistroFD(static_cast<uint8_t>(t), &n);
        if (esperado[t] == 0) {
            EXPECT_EQ(r, 6) << std::hex << t;
        } else {
            EXPECT_EQ(r, 0) << std::hex << t;
            EXPECT_EQ(n, esperado[t]) << std::hex << t;
        }
    }
}

TEST_F(LeitorTeste, MFDFileIsReadFromItsParameterRecordToTheTrailerExactly)
{
    ConstrutorFD c;
    c.IdentificacaoECF("TV0123456789", "TALVOR", "7720-QX3", "ECF-IF").InicioLeituraX(kData, 7)
        .LinhaImpressa("LEITURA X").FimDocumento(0xA4, kData);
    std::string conteudo = ParametrosFD("TV0123456789", 3) + c.Fluxo();
    Lido l = Le(conteudo, 29);
    EXPECT_EQ(l.resultado, 20);
    ASSERT_EQ(l.registros.size(), 4u);
    EXPECT_EQ(l.registros[3][0], '\xA4');
    EXPECT_EQ(l.posicaoFinal, conteudo.size());
}

TEST_F(LeitorTeste, RecordCrossingTheStreamEndIsDamaged)
{
    std::string cupom = ConstrutorFD().InicioCupom(kData, 1, 1).Fluxo();
    Lido l = Le(cupom.substr(0, 9));
    EXPECT_EQ(l.resultado, 6);
    // The trailer is not read to complete it.
    EXPECT_LE(l.posicaoFinal, 9u);
    Lido t = Le(ConstrutorFD().Separador().Fluxo() + ConstrutorFD().LinhaImpressa("ABCDEF").Fluxo().substr(0, 4));
    EXPECT_EQ(t.resultado, 6);
    ASSERT_EQ(t.registros.size(), 1u);
}

TEST_F(LeitorTeste, NumericFieldsAreTurnedIntoHostOrder)
{
    ConstrutorFD c;
    c.InicioCupom(kData, 0x01020304, 0x0A0B0C0D).FimDocumento(0xB2, kData)
        .Item(0x0102, "C", 0x11223344, "UN", 0x55667788, 0x80, 1, "DESC");
    Lido l = Le(c.Fluxo());
    ASSERT_EQ(l.registros.size(), 3u);
    const std::string &a = l.registros[0];
    uint16_t data = EmpacotaDataTeste(15, 3, 2007);
    EXPECT_EQ(static_cast<uint8_t>(a[1]), data & 0xFF);
    EXPECT_EQ(static_cast<uint8_t>(a[2]), data >> 8);
    EXPECT_EQ(a.substr(6, 4), "\x04\x03\x02\x01");
    EXPECT_EQ(a.substr(10, 4), "\x0D\x0C\x0B\x0A");
    // 0xB2 keeps the stream's byte order.
    EXPECT_EQ(static_cast<uint8_t>(l.registros[1][1]), data >> 8);
    const std::string &i = l.registros[2];
    EXPECT_EQ(i.substr(1, 2), "\x02\x01");
    EXPECT_EQ(i.substr(17, 4), "\x44\x33\x22\x11");
    EXPECT_EQ(i.substr(24, 4), "\x88\x77\x66\x55");
    EXPECT_EQ(i.substr(30, 2), std::string("\x04\x00", 2));
    EXPECT_EQ(i.substr(32), "DESC");
    EXPECT_TRUE(InicioDocumentoFD(0x81));
    EXPECT_TRUE(InicioDocumentoFD(0x8C));
    EXPECT_FALSE(InicioDocumentoFD(0x8B));
    EXPECT_FALSE(InicioDocumentoFD(0xA1));
}

TEST_F(LeitorTeste, AnyBytesEndInAResult)
{
    std::mt19937 gerador(4);
    for (int rodada = 0; rodada < 3000; ++rodada) {
        std::string s(gerador() % 600, '\0');
        for (char &ch : s)
            ch = static_cast<char>(gerador());
        if (rodada % 3 == 0) {
            // Mostly valid tags: print lines, fillers and item records.
            for (char &ch : s)
                ch = static_cast<char>("\x05\xFF\xFE\xD7\x7F\x7D\x9E\xD2\x10"[gerador() % 9]);
        }
        Lido l = Le(s);
        EXPECT_TRUE(l.resultado == 6 || l.resultado == 20);
        EXPECT_LE(l.posicaoFinal, s.size());
    }
}

TEST_F(LeitorTeste, ShortIdentificationOfARecordStream)
{
    ConstrutorFD c;
    c.Preenchimento(3).Separador().IdentificacaoECF("AB1234XYZ", "TALVOR", "7720-RP5", "ECF");
    GravaArquivo("c.RZ", c.Fluxo() + kTrailer);
    char id[6];
    std::memset(id, ' ', 6);
    EXPECT_EQ(ReadShortId("c.RZ", id, ID_FLUXO_REGISTROS), 0);
    EXPECT_EQ(std::string(id, 6), "AB1234");
    // No 0x90 before a bad tag: left as it was.
    GravaArquivo("d.RZ", ConstrutorFD().Separador().Byte(0xD4).IdentificacaoECF("ZZ9999", "", "", "").Fluxo() + kTrailer);
    std::memset(id, ' ', 6);
    EXPECT_EQ(ReadShortId("d.RZ", id, ID_FLUXO_REGISTROS), 0);
    EXPECT_EQ(std::string(id, 6), "      ");
}

TEST(TextoFD, ExpansionOfSpacesAndDashes)
{
    char linha[147];
    auto expande = [&](const std::string &t, uint8_t largura) {
        std::memset(linha, ' ', sizeof linha);
        uint8_t c = ExpandeLinhaFD(linha, largura, reinterpret_cast<const uint8_t *>(t.data()),
                                   static_cast<uint8_t>(t.size()));
        return std::string(linha, c);
    };
    EXPECT_EQ(expande(std::string("A\x01\x03" "B"), 147), "A   B");
    EXPECT_EQ(expande(std::string("\x02\x05", 2), 147), "-----");
    EXPECT_EQ(expande(std::string("0123456789\x02\x03" "X"), 147), "0123456789");
    EXPECT_EQ(expande(std::string("AB\x01\x20" "C"), 20), "AB");
    EXPECT_EQ(expande("", 147), "");
    EXPECT_EQ(expande(std::string("AB\x01"), 147), "AB");
    EXPECT_EQ(expande(std::string(60, 'x'), 48), std::string(48, 'x'));
}

TEST(TextoFD, CharacterTable)
{
    std::string t("\x00\x1F\x41\x7E\x7F\x80\x87\x9E\x9F\xA6\xC6\xC7\xEA\xFF\xFE", 15);
    TraduzCaracteresFD(&t[0], t.size());
    EXPECT_EQ(t, std::string("  A~\x95\xC7\xE7\x2E\x9F\xA6\xE3\xC3\xD3\x9F\xFE"));
}

}  // namespace
