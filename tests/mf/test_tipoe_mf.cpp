// Type-E records from the fiscal memory as whole files: every record kind
// composed here field by field, the download's range applied to E12 and
// E13, the combined mode fed by a queue, the input's signature check and
// the results of the export.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "common/construtor_fd.h"
#include "common/construtor_mf.h"
#include "common/util.h"
#include "files/assinatura.h"
#include "mf/cenario.h"
#include "mf/espelho_lmf.h"
#include "mf/esperado.h"
#include "talvor/ecf.h"
#include "tipoe/tipoe.h"

namespace {

const DataMF kVersao2{1, 2, 2007, 8, 0, 0};
const DataMF kCodificacao2{1, 2, 2007, 9, 40, 0};

std::string Prefixo(const std::string &tipo)
{
    return tipo + kSerie + " " + Campo("7720-QX3", 20);
}

ReducaoMF ReducaoE(unsigned crz)
{
    ReducaoMF z = Reducao(crz, 10 + crz, 1);
    z.contador19 = 100 + crz;
    z.contador25 = 200 + crz;
    z.contador28 = static_cast<uint16_t>(300 + crz);
    z.indicador = crz == 2 ? 1 : 0;
    z.naoTributados[7] = 77;   // FS2
    return z;
}

// Base, a second user from CRZ 3, a second version, a second GT coding
// from CRZ 3, and four reductions.
ConstrutorMF Imagem(std::vector<ReducaoMF> *z)
{
    ConstrutorMF c = Base();
    c.Usuario(kUsuario2, 3, kCnpj2, kIe2, kIm2, 2, 50000, 2);
    c.Versao(kVersao2, 1, 0, 3);
    c.Codificacao(kCodificacao2, 3, "KLMNOPQRST");
    for (unsigned crz = 1; crz <= 4; ++crz) {
        z->push_back(ReducaoE(crz));
        c.Reducao(z->back());
    }
    return c;
}

std::vector<std::string> E12E13(const std::vector<ReducaoMF> &z, const std::vector<int> &quais)
{
    std::vector<std::string> e12, parciais;
    for (int i : quais) {
        const ReducaoMF &r = z[i];
        std::string usuario = r.crz > 3 ? "02" : "01";
        e12.push_back(Prefixo("E12") + usuario + Zeros(r.crz, 6) + Zeros(r.coo, 6) + Zeros(r.cro, 6) +
                      AMD(r.movimento) + AMD(r.emissao) + HMS(r.emissao) + Zeros(r.vendaBruta, 14) +
                      (r.indicador == 1 ? "S" : "N"));
        auto e13 = [&](const std::string &rotulo, uint64_t v) {
            parciais.push_back(Prefixo("E13") + usuario + Zeros(r.crz, 6) + Campo(rotulo, 7) + Zeros(v, 13));
        };
        e13("OPNF", r.on);
        e13("DT", r.dt);
        e13("DS", r.ds);
        e13("DO", r.dO);
        e13("AT", r.at);
        e13("AS", r.as);
        e13("AO", r.ao);
        e13("Can-T", r.ct);
        e13("Can-S", r.cs);
        e13("Can-O", r.co);
        e13("01T1800", r.parciais[0]);
        e13("02S0500", r.parciais[1]);
        e13("03T1800", r.parciais[2]);
        e13("04T0700", r.parciais[3]);
        const char *nomes[12][2] = {{"F1", "FS1"}, {"F2", "FS2"}, {"I1", "IS1"},
                                    {"I2", "IS2"}, {"N1", "NS1"}, {"N2", "NS2"}};
        for (int k = 0; k < 6; ++k) {
            e13(nomes[k][0], r.naoTributados[k]);
            e13(nomes[k][1], r.naoTributados[6 + k]);
        }
    }
    e12.insert(e12.end(), parciais.begin(), parciais.end());
    return e12;
}

// E01 to E11 of the image, with the ECF number and source of E01 given.
std::vector<std::string> Inicio(const std::vector<ReducaoMF> &z, const std::string &numero,
                                const std::string &fonte, const std::string *e02 = nullptr)
{
    uint64_t gt = 0;
    for (const auto &r : z)
        gt += r.vendaBruta;
    const ReducaoMF &u = z.back();
    std::vector<std::string> v;
    v.push_back("E01" + kSerie + " " + Campo("ECF-IF", 7) + Campo("TALVOR", 20) + Campo("7720-QX3", 20) +
                "01.00.03  " + AMD(kVersao2) + HMS(kVersao2) + numero + Digitos14(kCnpj2) + fonte +
                Zeros(z.front().crz, 6) + Zeros(u.crz, 6) + AMD(z.front().emissao) + AMD(u.emissao) +
                "01.00.41" + "AC1704 01.00.00");
    v.push_back(e02 != nullptr ? *e02
                               : Prefixo("E02") + Digitos14(kCnpj2) + Digitos14(kIe2) + std::string(160, ' ') +
                                     AMD(kUsuario2) + HMS(kUsuario2) + "000002" + Zeros(50000, 18) + "02");
    v.push_back(Prefixo("E04") + "01" + AMD(kUsuario1) + HMS(kUsuario1) + Digitos14(kCnpj1) +
                Digitos14(kIe1) + "000001" + Zeros(0, 18));
    v.push_back(Prefixo("E04") + "02" + AMD(kUsuario2) + HMS(kUsuario2) + Digitos14(kCnpj2) +
                Digitos14(kIe2) + "000002" + Zeros(50000, 18));
    v.push_back(Prefixo("E05") + Digitos14(kCnpj1) + AMD(kCodificacao) + HMS(kCodificacao) + "ABCDEFGHIJ");
    v.push_back(Prefixo("E05") + Digitos14(kCnpj2) + AMD(kCodificacao2) + HMS(kCodificacao2) + "KLMNOPQRST");
    v.push_back(Prefixo("E06") + Digitos14(kCnpj1) + AMD(kMoeda) + HMS(kMoeda) + "R$  ");
    v.push_back(Prefixo("E07") + "01.00.02  " + AMD(kVersao));
    v.push_back(Prefixo("E07") + "01.00.03  " + AMD(kVersao2));
    v.push_back(Prefixo("E08") + Digitos14(kCnpj1) + Campo("MFD000111", 20));
    v.push_back(Prefixo("E09") + "000001" + AMD(kReinicio1) + HMS(kReinicio1) + "N");
    v.push_back(Prefixo("E09") + "000002" + AMD(kReinicio2) + HMS(kReinicio2) + "S");
    v.push_back(Prefixo("E10") + "000001" + AMD(kFita) + "000001" + "000040" + Digitos14(kCnpj1));
    v.push_back(Prefixo("E11") + Zeros(u.crz, 6) + Zeros(u.cro, 6) + Zeros(u.coo, 6) + Zeros(u.gnf, 6) +
                Zeros(u.contador19, 6) + "000000000000" + Zeros(u.contador25, 6) + "000000" +
                Zeros(u.contador28, 6) + Zeros(gt, 18) + std::string(14, '\x01'));
    return v;
}

// Compares a type-E file with the expected records: E11's current date and
// time (14 characters of \x01) are checked for form; the file is signed.
void ComparaRegistros(const std::string &real, const std::vector<std::string> &esperado)
{
    ComparaLinhas(real, esperado, true, std::string(14, '\x01'), "99999999999999");
}

class TipoEMF : public DiretorioTemporario {
protected:
    // The image of Imagem(), its reductions in *z, written signed to mf.bin:
    // the file's bytes.
    std::string GravaImagem(std::vector<ReducaoMF> *z)
    {
        Imagem(z).Grava("mf.bin");
        return LeArquivo("mf.bin");
    }
};

char *Texto(const std::string &s)
{
    char *t = static_cast<char *>(std::malloc(s.size() + 1));
    std::memcpy(t, s.c_str(), s.size() + 1);
    return t;
}

}  // namespace

TEST_F(TipoEMF, WholeFileAloneWithEveryRecordKind)
{
    std::vector<ReducaoMF> z;
    ConstrutorMF c = Imagem(&z);
    c.Grava("mf.bin");
    ASSERT_EQ(GeraTipoEDaMF("mf.bin", "tipoe.txt", nullptr, false), 0);
    std::vector<std::string> e = Inicio(z, "000", "MF ");
    {
        std::vector<std::string> r = E12E13(z, {0, 1, 2, 3});
        e.insert(e.end(), r.begin(), r.end());
    }
    ComparaRegistros(LeArquivo("tipoe.txt"), e);
}

TEST_F(TipoEMF, RangeOfTheDownloadAppliesToE12AndE13Only)
{
    std::vector<ReducaoMF> z;
    ConstrutorMF c = Imagem(&z);
    struct { uint8_t tipo; uint32_t inicio, fim; std::vector<int> quais; } faixas[] = {
        {2, z[1].coo, z[2].coo, {1, 2}},                                              // COO
        {1, 2, 2, {1}},                                                               // CRZ
        {0, DataMFCompacta(z[2].emissao), DataMFCompacta(z[3].emissao), {2, 3}},      // dates
        {0, DataMFCompacta({1, 2, 2007, 0, 0, 0}), DataMFCompacta({1, 3, 2007, 0, 0, 0}), {}},
    };
    for (const auto &f : faixas) {
        SCOPED_TRACE(static_cast<int>(f.tipo));
        c.Grava("mf.bin", f.tipo, f.inicio, f.fim);
        ASSERT_EQ(GeraTipoEDaMF("mf.bin", "tipoe.txt", nullptr, false), 0);
        std::vector<std::string> e = Inicio(z, "000", "MF ");
        std::vector<std::string> r = E12E13(z, f.quais);
        e.insert(e.end(), r.begin(), r.end());
        ComparaRegistros(LeArquivo("tipoe.txt"), e);
    }
}

TEST_F(TipoEMF, CombinedTakesE01AndE02FromTheQueueAndWritesTheRestAfter)
{
    std::vector<ReducaoMF> z;
    // Combined mode reads no signature: a changed byte does not matter.
    std::string mf = GravaImagem(&z);
    mf[1048576 + 29 + 10] ^= 1;
    GravaArquivo("mf.bin", mf);
    const std::string e01fd = "E01" + std::string(92, 'x') + "007" + std::string(68, 'y');
    const std::string e02fd = "E02" + std::string(269, 'q');
    ItemList fila;
    fila.Init();
    for (const std::string &s : {e01fd, e02fd, std::string("E14 primeiro"), std::string("E21 ultimo")})
        ASSERT_EQ(fila.Append(Texto(s)), 0);
    GravaArquivo("tdm.txt", "");
    ASSERT_EQ(GeraTipoEDaMF("mf.bin", "tdm.txt", &fila, true), 0);
    EXPECT_EQ(fila.Count(), 0u);
    std::vector<std::string> e = Inicio(z, "007", "TDM", &e02fd);
    std::vector<std::string> r = E12E13(z, {0, 1, 2, 3});
    e.insert(e.end(), r.begin(), r.end());
    e.push_back("E14 primeiro");
    e.push_back("E21 ultimo");
    ComparaRegistros(LeArquivo("tdm.txt"), e);
    fila.Release();
}

TEST_F(TipoEMF, OneUserOneVersionNoReductionsAndNulBytes)
{
    ConstrutorMF c;
    c.Cabecalho(std::string("TL00\0\0ABC", 9), "TALVOR", std::string("7720\0QX3", 8), "ECF-IF");
    c.Versao(kVersao, 1, 0, 2).Usuario(kUsuario1, 0, kCnpj1, kIe1, "", 1, 0, 1);
    c.Grava("mf.bin");
    ASSERT_EQ(GeraTipoEDaMF("mf.bin", "tipoe.txt", nullptr, false), 0);
    const std::string serie = Campo("TL00  ABC", 20), modelo = Campo("7720 QX3", 20);
    std::vector<std::string> e = {
        "E01" + serie + " " + Campo("ECF-IF", 7) + Campo("TALVOR", 20) + modelo + "01.00.02  " +
            AMD(kVersao) + HMS(kVersao) + "000" + Digitos14(kCnpj1) + "MF " + std::string(28, ' ') +
            "01.00.41" + "AC1704 01.00.00",
        "E02" + serie + " " + modelo + Digitos14(kCnpj1) + Digitos14(kIe1) + std::string(160, ' ') +
            AMD(kUsuario1) + HMS(kUsuario1) + "000001" + Zeros(0, 18) + "01",
        "E11" + serie + " " + modelo + std::string(60, '0') + std::string(18, '0') + std::string(14, '\x01')};
    ComparaRegistros(LeArquivo("tipoe.txt"), e);
}

TEST_F(TipoEMF, SignatureAndResults)
{
    std::vector<ReducaoMF> z;
    const std::string mf = GravaImagem(&z);
    // A byte of the image changed after signing: 6, no output at all.
    std::string mudado = mf;
    mudado[ConstrutorMF::OffsetReducao(2) + 9] ^= 1;
    GravaArquivo("mudado.bin", mudado);
    EXPECT_EQ(GeraTipoEDaMF("mudado.bin", "tipoe.txt", nullptr, false), 6);
    EXPECT_FALSE(ExisteArquivo("tipoe.txt"));
    // No signature line after the parameter record: cannot be read.
    GravaArquivo("sem.bin", mf.substr(0, mf.size() - 259));
    EXPECT_EQ(GeraTipoEDaMF("sem.bin", "tipoe.txt", nullptr, false), 1);
    EXPECT_EQ(GeraTipoEDaMF("nao-existe.bin", "tipoe.txt", nullptr, false), 1);
    GravaArquivo("curto.bin", std::string(1048575, '\0'));
    EXPECT_EQ(GeraTipoEDaMF("curto.bin", "tipoe.txt", nullptr, true), 1);
    EXPECT_EQ(GeraTipoEDaMF("mf.bin", "sem-diretorio/tipoe.txt", nullptr, false), 2);
    // A damaged list record: unsigned partial file, result 100 (3 by the export).
    ConstrutorMF d = Imagem(&z);
    d.Estraga(21104 + 3, true);
    d.Grava("danificado.bin");
    EXPECT_EQ(GeraTipoEDaMF("danificado.bin", "parcial.txt", nullptr, false), 100);
    std::string parcial = LeArquivo("parcial.txt");
    EXPECT_NE(parcial.find("\r\nE08"), std::string::npos);
    EXPECT_EQ(parcial.find("E09"), std::string::npos);
    EXPECT_EQ(parcial.find("EAD"), std::string::npos);

    // Through the export: the name, and 6 folded into 3.
    CriaDiretoriosSaida();
    EXPECT_EQ(GeraRegistrosTipoE("mudado.bin", "", "0"), 3);
    EXPECT_TRUE(ListaDiretorio("Arquivos TXT Formatados").empty());
    ASSERT_EQ(GeraRegistrosTipoE("mf.bin", "", "0"), 0);
    std::vector<std::string> nomes = ListaDiretorio("Arquivos TXT Formatados");
    ASSERT_EQ(nomes.size(), 1u);
    EXPECT_EQ(nomes[0].size(), 52u - std::strlen("Arquivos TXT Formatados/"));
    EXPECT_EQ(nomes[0].substr(0, 9), "MFTL0001_");
}

TEST_F(TipoEMF, ValuesAtTheirLimits)
{
    ConstrutorMF c = Base();
    ReducaoMF z = Reducao(1, 10, 1);
    z.aliquotas[4] = 255;      // beyond the rate records
    z.parciais[4] = 11;
    z.aliquotas[5] = 150;      // an erased rate record
    z.parciais[5] = 12;
    z.coo = 0xFFFFFFFF;
    z.contador19 = 0xFFFFFF;
    z.vendaBruta = 0xFFFFFFFFFFFFull;
    c.Reducao(z);
    c.Usuario(kUsuario2, 0, kCnpj2, kIe2, kIm2, 255, ~0ull, 200);
    c.Dispositivo("D2", 0).Dispositivo("D3", 21).Marca(11, 'Q');
    c.Grava("mf.bin");
    ASSERT_EQ(GeraTipoEDaMF("mf.bin", "tipoe.txt", nullptr, false), 0);
    std::string t = LeArquivo("tipoe.txt");
    const std::string p = Prefixo("");
    EXPECT_NE(t.find("E13" + p.substr(0) + "00000001" + "05XXXXX" + Zeros(11, 13)), std::string::npos);
    EXPECT_NE(t.find("E13" + p + "00000001" + "06XXXXX" + Zeros(12, 13)), std::string::npos);
    EXPECT_NE(t.find("E08" + p + std::string(14, ' ') + Campo("D3", 20)), std::string::npos);
    EXPECT_NE(t.find("E08" + p + std::string(14, ' ') + Campo("D2", 20)), std::string::npos);
    EXPECT_NE(t.find("E04" + p + "00" + AMD(kUsuario2) + HMS(kUsuario2) + Digitos14(kCnpj2) +
                     Digitos14(kIe2) + "000255" + "446744073709551615"),
              std::string::npos);
    EXPECT_NE(t.find("E12" + p + "00" + "000001" + "967295"), std::string::npos);
    EXPECT_NE(t.find("E11" + p + "000001" + "000001" + "967295" + "000002" + "777215"),
              std::string::npos);
}

TEST_F(TipoEMF, AnyBytesConvertOrAreRefused)
{
    uint32_t semente = 99;
    for (int rodada = 0; rodada < 3; ++rodada) {
        std::string bytes(1048605, '\0');
        for (char &b : bytes) {
            semente = semente * 1103515245u + 12345u;
            b = static_cast<char>(semente >> 16);
        }
        GravaArquivo("lixo.bin", bytes);
        AppendSignatureLine("lixo.bin");
        int r = GeraTipoEDaMF("lixo.bin", "lixo.txt", nullptr, false);
        EXPECT_TRUE(r == 0 || r == 100) << r;
    }
}

// Every written record of an image refilled with random bytes under a right
// checksum (user numbers kept within 1 to 20 in half of the rounds): both
// converters finish with a result, whatever the values.
TEST_F(TipoEMF, RandomValuesInIntactRecords)
{
    uint32_t semente = 7;
    auto aleatorio = [&]() {
        semente = semente * 1103515245u + 12345u;
        return static_cast<uint8_t>(semente >> 16);
    };
    const struct { size_t base, tamanho, slots; } listas[] = {
        {256, 312, 1}, {896, 16, 30}, {1424, 32, 10}, {1792, 16, 10}, {2056, 88, 20},
        {3928, 24, 10}, {4248, 56, 10}, {5072, 16, 400}, {21104, 16, 200}, {24328, 8, 200}};
    for (int rodada = 0; rodada < 12; ++rodada) {
        std::vector<ReducaoMF> z;
        ConstrutorMF c = Imagem(&z);
        for (unsigned n = 5; n <= 40; ++n)
            c.Reducao(ReducaoE(n));
        const std::string original = c.Imagem();
        for (const auto &l : listas) {
            for (size_t n = 0; n < l.slots; ++n) {
                size_t o = l.base + l.tamanho * n;
                if (original.compare(o, l.tamanho, std::string(l.tamanho, '\xFF')) == 0 && aleatorio() < 200)
                    continue;
                std::string r(l.tamanho - 1, '\0');
                for (char &b : r)
                    b = static_cast<char>(aleatorio());
                if (l.base == 2056 && rodada % 2 == 0)
                    r[76] = static_cast<char>(1 + aleatorio() % 20);
                c.Registro(o, l.tamanho, r);
            }
        }
        for (unsigned n = 1; n <= 60; ++n) {
            std::string r(279, '\0');
            for (char &b : r)
                b = static_cast<char>(aleatorio());
            if (rodada % 3 == 0) {
                r[4] = static_cast<char>(n >> 8);   // CRZ in order, other fields random
                r[5] = static_cast<char>(n);
            }
            c.Registro(ConstrutorMF::OffsetReducao(n), 280, r, false);
        }
        c.Grava("mf.bin", static_cast<uint8_t>(rodada % 4), 1, 0xFFFF);
        int r = GeraTipoEDaMF("mf.bin", "tipoe.txt", nullptr, false);
        EXPECT_TRUE(r == 0 || r == 100) << r;
        for (const char *faixa : {"0", "1"}) {
            r = GeradorEspelhoLMF("mf.bin", "lmf.txt", rodada % 2 ? "0" : "1", faixa,
                                  faixa[0] == '0' ? "01011990" : "1", faixa[0] == '0' ? "31122089" : "2555");
            EXPECT_TRUE(r == 0 || r == 3) << r;
        }
    }
}

// Both memories through the export: the detail-tape side fills the queue,
// this side writes E01 with the ECF number of the detail tape and "TDM",
// the detail tape's E02, its own records, then the detail tape's records;
// one signature line at the end.
TEST_F(TipoEMF, CombinedThroughTheExport)
{
    std::vector<ReducaoMF> z;
    ConstrutorMF c = Imagem(&z);
    c.Grava("mf.bin");
    ConstrutorFD fd;
    const DataFD dia = {15, 3, 2007, 14, 25, 1}, fim = {15, 3, 2007, 14, 26, 0};
    fd.IdentificacaoECF(kSerie, "TALVOR", "7720-QX3", "ECF-IF")
        .VersaoSB({1, 2, 2007, 10, 20, 30}, 1, 0, 2)
        .Contribuinte({2, 2, 2007, 11, 0, 5}, kCnpj2, kIe2, kIm2, 2, 50000, 2)
        .NumerosECF("042", "0002")
        .InicioLeituraX(dia, 7)
        .FimDocumento(0xA4, fim);
    GravaComAssinatura("fita.mfd", ParametrosFD(kSerie, 3) + fd.Fluxo());
    CriaDiretoriosSaida();
    ASSERT_EQ(GeraRegistrosTipoE("mf.bin", "fita.mfd", "2"), 0);
    const std::string texto = UnicoConteudo("Arquivos TXT Formatados/", "TDMTL0001_");
    ASSERT_GT(texto.size(), 259u);
    EXPECT_EQ(texto.find("EAD"), texto.size() - 259);
    const std::vector<std::string> linhas = Linhas(texto.substr(0, texto.size() - 259));
    std::vector<std::string> e = Inicio(z, "042", "TDM");
    ASSERT_GT(linhas.size(), e.size() + 2);
    EXPECT_EQ(linhas[0], e[0]);
    EXPECT_EQ(linhas[1].size(), 272u);
    EXPECT_EQ(linhas[1].substr(0, 72), e[1].substr(0, 72));   // the detail tape's E02, same user
    for (size_t i = 2; i + 1 < e.size(); ++i)
        EXPECT_EQ(linhas[i], e[i]);
    EXPECT_EQ(linhas[e.size()].substr(0, 3), "E12");
    EXPECT_EQ(linhas.back().substr(0, 3), "E16");
    EXPECT_EQ(linhas.back().substr(74, 2), "LX");
}
