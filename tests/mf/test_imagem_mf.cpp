// Readers of the fiscal-memory image: checksums and backup copies, erased
// slots, slot ranges, host order of the reversed fields, the reductions by
// CRZ with a damaged slot among them, and files that are too short.
#include <gtest/gtest.h>

#include <cstring>

#include "common/construtor_mf.h"
#include "common/util.h"
#include "mf/imagem_mf.h"
#include "text/numeros.h"

namespace {

class ImagemMF : public DiretorioTemporario {
protected:
    void TearDown() override
    {
        DesmapeiaMF();
        DiretorioTemporario::TearDown();
    }
    void Mapeia(const ConstrutorMF &c)
    {
        GravaArquivo("mf.bin", c.Arquivo());
        ASSERT_EQ(MapeiaMF("mf.bin"), 0);
    }
    static ReducaoMF Z(uint16_t crz, unsigned dia)
    {
        ReducaoMF z;
        z.crz = crz;
        z.emissao = {dia, 3, 2007, 22, 10, 5};
        z.coo = 100u * crz;
        z.vendaBruta = 1000u * crz;
        return z;
    }
};

const DataMF kData{15, 3, 2007, 14, 25, 1};

}  // namespace

TEST_F(ImagemMF, ChecksumBackupCopyAndErasedSlots)
{
    ConstrutorMF c;
    c.Usuario(kData, 0, "11.111.111/0001-11", "IE1", "IM1", 1, 0x0102030405060708ull, 1)
        .Usuario(kData, 5, "22.222.222/0001-22", "IE2", "IM2", 2, 7, 2)
        .Usuario(kData, 9, "33", "IE3", "IM3", 3, 9, 3);
    c.Estraga(ConstrutorMF::OffsetUsuario(1) + 10);          // primary only
    c.Estraga(ConstrutorMF::OffsetUsuario(2) + 10, true);    // both copies
    Mapeia(c);
    uint8_t u[TAM_USUARIO];
    ASSERT_EQ(LeRegistroUsuario(1, u), MF_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(u + USU_CNPJ), 18), "11.111.111/0001-11");
    EXPECT_EQ(LeNumero(u + USU_GT, 8), 0x0102030405060708ull);
    EXPECT_EQ(Campo16(u, USU_DATA), DataMFCompacta(kData));
    EXPECT_EQ(Campo16(u, USU_HORA), HoraMFCompacta(kData));
    EXPECT_EQ(LeRegistroUsuario(2, u), MF_DANIFICADO);
    ASSERT_EQ(LeRegistroUsuario(3, u), MF_OK);
    EXPECT_EQ(Campo16(u, USU_CRZ), 9);
    EXPECT_EQ(LeRegistroUsuario(4, u), MF_APAGADO);
    EXPECT_EQ(LeRegistroUsuario(0, u), MF_DANIFICADO);
    EXPECT_EQ(LeRegistroUsuario(21, u), MF_DANIFICADO);
    // Nothing at or beyond the backup copy is read as a list record.
    EXPECT_EQ(LeRegistroMF(COPIA_MF, 16, u), MF_DANIFICADO);
    EXPECT_EQ(LeRegistroMF(COPIA_MF - 8, 16, u), MF_DANIFICADO);
}

TEST_F(ImagemMF, FullListsAndTheReversedFieldsOfEachKind)
{
    ConstrutorMF c;
    for (unsigned n = 1; n <= 20; ++n)
        c.Usuario(kData, static_cast<uint16_t>(n), "1", "2", "3", 1, n, static_cast<uint8_t>(n));
    for (unsigned n = 1; n <= 400; ++n)
        c.FitaDetalhe(kData, 1, n, 0xABCDEF);
    c.Dispositivo(std::string("SER\0\0X", 6), 3).Marca(1, '*');
    c.Versao(kData, 1, 0, 2).Codificacao(kData, 0x0102, "ABCDEFGHIJ");
    c.Simbolo(kData, 0x0304, "R$").Reinicio(kData, 1);
    c.Aliquota(200, 'S', 0x0708).Aliquota(1, 'T', 1800);
    Mapeia(c);
    uint8_t r[TAM_CABECALHO_MF];
    EXPECT_EQ(LeRegistroUsuario(20, r), MF_OK);
    EXPECT_EQ(r[USU_NUMERO], 20);
    ASSERT_EQ(LeFitaDetalhe(400, r), MF_OK);
    EXPECT_EQ(CampoNumero(r, CFD_COO_INICIAL, 3), 400u);
    EXPECT_EQ(CampoNumero(r, CFD_COO_FINAL, 3), 0xABCDEFu);
    EXPECT_EQ(LeFitaDetalhe(401, r), MF_DANIFICADO);
    ASSERT_EQ(LeDispositivoMFD(1, r), MF_OK);
    EXPECT_EQ(Campo16(r, 20), 1);
    EXPECT_EQ(Campo16(r, 24), 3);
    EXPECT_EQ(r[DISP_USUARIO], 3);
    EXPECT_EQ(LeDispositivoMFD(2, r), MF_APAGADO);
    ASSERT_EQ(LeMarcaMFD(1, r), MF_OK);
    EXPECT_EQ(r[MARCA_DISPOSITIVO], 1);
    EXPECT_EQ(r[MARCA_CARACTERE], '*');
    ASSERT_EQ(LeVersaoSB(1, r), MF_OK);
    EXPECT_EQ(r[VSB_VERSAO + 2], 2);
    EXPECT_EQ(Campo16(r, 4), 0x1234);
    ASSERT_EQ(LeCodificacaoGT(1, r), MF_OK);
    EXPECT_EQ(Campo16(r, CGT_CRZ), 0x0102);
    ASSERT_EQ(LeSimboloMoeda(1, r), MF_OK);
    EXPECT_EQ(Campo16(r, MOE_CRZ), 0x0304);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(r + MOE_SIMBOLO), 4), "R$  ");
    ASSERT_EQ(LeReinicio(1, r), MF_OK);
    EXPECT_EQ(r[REI_MARCA], 1);
    ASSERT_EQ(LeAliquota(200, r), MF_OK);
    EXPECT_EQ(r[ALI_TIPO], 'S');
    EXPECT_EQ(Campo16(r, ALI_VALOR), 0x0708);
    EXPECT_EQ(Campo16(r, 0), 0x55);
    EXPECT_EQ(LeAliquota(2, r), MF_APAGADO);
    EXPECT_EQ(LeAliquota(0, r), MF_DANIFICADO);
    EXPECT_EQ(LeAliquota(201, r), MF_DANIFICADO);
    EXPECT_EQ(LeCabecalhoMF(r), MF_APAGADO);
}

TEST_F(ImagemMF, ReductionsByCrzAcrossADamagedSlot)
{
    ConstrutorMF c;
    for (uint16_t n = 1; n <= 5; ++n)
        c.Reducao(Z(n, n));
    // Slot 3 damaged; the reduction with CRZ 6 sits in slot 7 after an
    // empty-dated slot 6 (date 0 never validates).
    c.Estraga(ConstrutorMF::OffsetReducao(3) + 100);
    ReducaoMF zero = Z(99, 1);
    c.Reducao(zero, 6);
    c.Byte(ConstrutorMF::OffsetReducao(6), 0).Byte(ConstrutorMF::OffsetReducao(6) + 1, 0);
    c.Reducao(Z(6, 9), 7);
    Mapeia(c);
    EXPECT_EQ(FimReducoes(), PosicaoReducaoZ(8));
    uint8_t z[TAM_REDUCAO_Z];
    ASSERT_EQ(LeReducaoZ(2, z), MF_OK);
    EXPECT_EQ(Campo16(z, RZ_CRZ), 2);
    EXPECT_EQ(CampoNumero(z, RZ_COO, 4), 200u);
    EXPECT_EQ(CampoNumero(z, RZ_VENDA_BRUTA, 6), 2000u);
    EXPECT_EQ(LeReducaoZ(3, z), MF_DANIFICADO);   // CRZ 4 comes first
    ASSERT_EQ(LeReducaoZ(6, z), MF_OK);
    EXPECT_EQ(Campo16(z, RZ_DATA), DataMFCompacta({9, 3, 2007, 0, 0, 0}));
    EXPECT_EQ(LeReducaoZ(7, z), MF_APAGADO);
    EXPECT_EQ(LeReducaoZ(0, z), MF_DANIFICADO);
    EXPECT_EQ(LeReducaoZ(2556, z), MF_DANIFICADO);
    size_t p = PosicaoReducaoZ(1);
    EXPECT_EQ(ProcuraReducaoZ(4, &p), MF_OK);
    EXPECT_EQ(p, PosicaoReducaoZ(4));
    EXPECT_EQ(ProcuraReducaoZ(40, &p), MF_FIM_REDUCOES);
    EXPECT_EQ(ValidaReducaoZ(PosicaoReducaoZ(1) + 1), MF_DANIFICADO);
}

TEST_F(ImagemMF, FieldsOfAReductionInHostOrder)
{
    ReducaoMF z = Z(1, 1);
    z.movimento = {28, 2, 2007, 0, 0, 0};
    z.cro = 3;
    z.contador19 = 0x010203;
    z.gnf = 0x040506;
    z.contador25 = 0x070809;
    z.contador28 = 0x0A0B;
    for (unsigned i = 0; i < 16; ++i) {
        z.parciais[i] = 0x100000000ull + i;
        z.aliquotas[i] = static_cast<uint8_t>(i);
    }
    for (unsigned i = 0; i < 12; ++i)
        z.naoTributados[i] = 1000 + i;
    z.on = 0xFFFFFFFFFFFFull;
    z.indicador = 1;
    ConstrutorMF c;
    c.Reducao(z);
    Mapeia(c);
    uint8_t r[TAM_REDUCAO_Z];
    ASSERT_EQ(LeReducaoZ(1, r), MF_OK);
    EXPECT_EQ(Campo16(r, RZ_DATA_MOVIMENTO), DataMFCompacta(z.movimento));
    EXPECT_EQ(r[RZ_CRO], 3);
    EXPECT_EQ(CampoNumero(r, RZ_CONTADOR19, 3), 0x010203u);
    EXPECT_EQ(CampoNumero(r, RZ_GNF, 3), 0x040506u);
    EXPECT_EQ(CampoNumero(r, RZ_CONTADOR25, 3), 0x070809u);
    EXPECT_EQ(Campo16(r, RZ_CONTADOR28), 0x0A0B);
    for (unsigned i = 0; i < 16; ++i) {
        EXPECT_EQ(CampoNumero(r, RZ_TOTALIZADORES + 6 * i, 6), 0x100000000ull + i);
        EXPECT_EQ(r[RZ_ALIQUOTAS + i], i);
    }
    EXPECT_EQ(CampoNumero(r, RZ_NAO_TRIBUTADOS_ISSQN + 30, 6), 1011u);
    EXPECT_EQ(CampoNumero(r, RZ_ON, 6), 0xFFFFFFFFFFFFull);
    EXPECT_EQ(r[RZ_INDICADOR], 1);
    EXPECT_EQ(r[RZ_SEGUNDOS], 5);
}

TEST_F(ImagemMF, ShortOrMissingFilesAreRefused)
{
    EXPECT_EQ(MapeiaMF("nao-existe.bin"), 1);
    GravaArquivo("curto.bin", std::string(1048575, '\xFF'));
    EXPECT_EQ(MapeiaMF("curto.bin"), 1);
    // The image alone, without the parameter record after it.
    GravaArquivo("so-imagem.bin", std::string(1048576, '\xFF'));
    EXPECT_EQ(MapeiaMF("so-imagem.bin"), 1);
    GravaArquivo("vazio.bin", "");
    EXPECT_EQ(MapeiaMF("vazio.bin"), 1);
    uint8_t r[16];
    EXPECT_EQ(LeVersaoSB(1, r), MF_DANIFICADO);
    EXPECT_EQ(FimReducoes(), PosicaoReducaoZ(1));
}
