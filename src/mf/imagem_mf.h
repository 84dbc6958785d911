// The fiscal-memory image: a downloaded MF file read whole, and the
// readers that hand one record at a time, checked against its checksum (or
// its backup copy 43690 bytes further on) and with its numeric fields turned
// into host order.  The LMF mirror and the type-E generator read through
// here; nothing else touches the image in memory.
#ifndef TALVOR_MF_IMAGEM_MF_H
#define TALVOR_MF_IMAGEM_MF_H

#include <cstddef>
#include <cstdint>

#include "files/parametros.h"

constexpr uint64_t TAMANHO_IMAGEM_MF = 1048576;
constexpr size_t COPIA_MF = 43690;   // the backup copy of the first 43690 bytes

// Results of the readers.
constexpr int MF_OK = 0;
constexpr int MF_DANIFICADO = 100;   // both copies bad, or out of range
constexpr int MF_APAGADO = 255;      // an erased slot: end of the list
constexpr int MF_FIM_REDUCOES = 90;  // ProcuraReducaoZ reached the end

// Records: offset of record 1, size, number of slots.
constexpr size_t OFS_CABECALHO_MF = 256, TAM_CABECALHO_MF = 312;
constexpr size_t OFS_VERSAO_SB = 896, TAM_VERSAO_SB = 16, SLOTS_VERSAO_SB = 30;
constexpr size_t OFS_DISPOSITIVO_MFD = 1424, TAM_DISPOSITIVO_MFD = 32, SLOTS_DISPOSITIVO_MFD = 10;
constexpr size_t OFS_MARCA_MFD = 1792, TAM_MARCA_MFD = 16, SLOTS_MARCA_MFD = 10;
constexpr size_t OFS_USUARIO = 2056, TAM_USUARIO = 88, SLOTS_USUARIO = 20;
constexpr size_t OFS_CODIFICACAO_GT = 3928, TAM_CODIFICACAO_GT = 24, SLOTS_CODIFICACAO_GT = 10;
constexpr size_t OFS_SIMBOLO_MOEDA = 4248, TAM_SIMBOLO_MOEDA = 56, SLOTS_SIMBOLO_MOEDA = 10;
constexpr size_t OFS_FITA_DETALHE = 5072, TAM_FITA_DETALHE = 16, SLOTS_FITA_DETALHE = 400;
constexpr size_t OFS_REINICIO = 21104, TAM_REINICIO = 16, SLOTS_REINICIO = 200;
constexpr size_t OFS_ALIQUOTA = 24320 + 8, TAM_ALIQUOTA = 8, SLOTS_ALIQUOTA = 200;
constexpr size_t OFS_REDUCAO_Z = 87680, TAM_REDUCAO_Z = 280, SLOTS_REDUCAO_Z = 2555;

// Fields (offsets inside each record).
// RegistroCabecalhoMF
constexpr size_t CAB_SERIE = 0, CAB_MARCA = 20, CAB_MODELO = 40, CAB_TIPO = 60;
// RegistroVersaoSB
constexpr size_t VSB_DATA = 0, VSB_HORA = 2, VSB_VERSAO = 6, VSB_SEGUNDOS = 10;
// RegistroDispositivoMFD
constexpr size_t DISP_SERIE = 0, DISP_USUARIO = 26;
// RegistroMarcaMFD
constexpr size_t MARCA_DISPOSITIVO = 6, MARCA_CARACTERE = 7;
// RegistroUsuario
constexpr size_t USU_DATA = 0, USU_HORA = 2, USU_CRZ = 4, USU_CNPJ = 6, USU_IE = 26, USU_IM = 46,
                 USU_CRO = 67, USU_GT = 68, USU_NUMERO = 76, USU_SEGUNDOS = 77;
// RegistroCodificacaoGT
constexpr size_t CGT_DATA = 0, CGT_HORA = 2, CGT_CRZ = 4, CGT_LETRAS = 6, CGT_SEGUNDOS = 16;
// RegistroSimboloMoeda
constexpr size_t MOE_DATA = 0, MOE_HORA = 2, MOE_CRZ = 4, MOE_SIMBOLO = 46, MOE_SEGUNDOS = 50;
// RegistroFitaDetalhe
constexpr size_t CFD_DATA = 0, CFD_HORA = 2, CFD_USUARIO = 6, CFD_COO_INICIAL = 7,
                 CFD_COO_FINAL = 10, CFD_SEGUNDOS = 13;
// RegistroReinicio
constexpr size_t REI_DATA = 0, REI_HORA = 2, REI_MARCA = 6, REI_SEGUNDOS = 7;
// RegistroAliquota
constexpr size_t ALI_TIPO = 2, ALI_VALOR = 3;
// RegistroReducaoZ
constexpr size_t RZ_DATA = 0, RZ_HORA = 2, RZ_CRZ = 4, RZ_DATA_MOVIMENTO = 6, RZ_VENDA_BRUTA = 8,
                 RZ_COO = 14, RZ_CRO = 18, RZ_CONTADOR19 = 19, RZ_GNF = 22, RZ_CONTADOR25 = 25,
                 RZ_CONTADOR28 = 28, RZ_TOTALIZADORES = 30, RZ_NAO_TRIBUTADOS_ICMS = 126,
                 RZ_NAO_TRIBUTADOS_ISSQN = 162, RZ_CT = 198, RZ_CS = 204, RZ_CO = 210,
                 RZ_DT = 216, RZ_DS = 222, RZ_DO = 228, RZ_AT = 234, RZ_AS = 240, RZ_AO = 246,
                 RZ_ON = 252, RZ_ALIQUOTAS = 258, RZ_SEGUNDOS = 274, RZ_INDICADOR = 275;

// The file in memory: the image, and the download parameter record after it.
extern const uint8_t *BaseMF;
extern uint8_t ParametrosMF[TAMANHO_PARAMETROS];
// The record buffer of ValidaReducaoZ.
extern uint8_t RegistroReducaoZ[TAM_REDUCAO_Z];

// Reads the file into memory (it must hold the image and the 29-byte record
// after it; what follows its signature line is not read).  0, or 1 when it
// cannot be opened or read, is too short, or shrinks while it is read.
// DesmapeiaMF lets it go.
int MapeiaMF(const char *arquivo);
void DesmapeiaMF();

// 0 intact, 255 erased slot, 100 damaged in both copies or out of range.
int LeRegistroMF(size_t offset, size_t tamanho, uint8_t *destino);

// One reader per kind; n counts from 1.  Results as LeRegistroMF.
int LeCabecalhoMF(uint8_t *destino);
int LeVersaoSB(unsigned n, uint8_t *destino);
int LeDispositivoMFD(unsigned n, uint8_t *destino);
int LeMarcaMFD(unsigned n, uint8_t *destino);
int LeRegistroUsuario(unsigned n, uint8_t *destino);
int LeCodificacaoGT(unsigned n, uint8_t *destino);
int LeSimboloMoeda(unsigned n, uint8_t *destino);
int LeFitaDetalhe(unsigned n, uint8_t *destino);
int LeReinicio(unsigned n, uint8_t *destino);
int LeAliquota(unsigned n, uint8_t *destino);

// The ECF identity for the converters: the header record, or spaces when
// it was never written.  0, or 100 when it is damaged in both copies.
int LeIdentidadeECF(uint8_t *destino);

// Walks a list from slot 1 to the first erased slot, reading each record
// into reg and calling f(n).  100 at a damaged record, or the first
// non-zero result of f.
template <typename F>
int PercorreLista(int (*le)(unsigned, uint8_t *), unsigned slots, uint8_t *reg, F f)
{
    for (unsigned n = 1; n <= slots; ++n) {
        int r = le(n, reg);
        if (r == MF_APAGADO)
            return 0;
        if (r != MF_OK)
            return r;
        if ((r = f(n)) != 0)
            return r;
    }
    return 0;
}

// Position (offset in the image) of reduction slot n (from 1).
constexpr size_t PosicaoReducaoZ(unsigned n) { return OFS_REDUCAO_Z + TAM_REDUCAO_Z * (n - 1); }

// Copies the reduction at the position into RegistroReducaoZ and turns its
// fields into host order.  0, or 100 (bad checksum, date 0, out of range).
int ValidaReducaoZ(size_t posicao);
// The position just after the last valid reduction (worked out once per
// mapping).
size_t FimReducoes();
// Searches forward from *posicao for the reduction with that CRZ: 0 (found,
// *posicao on it), 100 (a valid greater CRZ came first), 90 (end reached).
int ProcuraReducaoZ(unsigned crz, size_t *posicao);
// 0 (copied to destino), 100 (CRZ outside 1 to 2555 or passed over), 255
// (beyond the last reduction).
int LeReducaoZ(unsigned crz, uint8_t *destino);

// Host-order fields of records already read.
inline uint16_t Campo16(const uint8_t *r, size_t o) { return static_cast<uint16_t>(r[o] | (r[o + 1] << 8)); }
uint64_t CampoNumero(const uint8_t *r, size_t o, size_t n);

#endif
