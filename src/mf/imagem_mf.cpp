// Readers of the fiscal-memory image.  Records below 43690 have a backup
// copy 43690 bytes further on, used when the primary copy's checksum fails;
// a record of 0xFF bytes only has never been written and ends its list.
// Reductions have no copy: a damaged one is passed over.
#include "mf/imagem_mf.h"

#include <cstring>

#include "platform/plataforma.h"
#include "text/numeros.h"

const uint8_t *BaseMF = nullptr;
uint8_t ParametrosMF[TAMANHO_PARAMETROS];
uint8_t RegistroReducaoZ[TAM_REDUCAO_Z];

// The file read whole: the image, its parameter record and its signature
// line (a longer file is read up to there).  Read, never mapped, so that a
// file that shrinks or sits on a share that goes away is a failed read.
static uint8_t imagem[TAMANHO_IMAGEM_MF + TAMANHO_PARAMETROS + 259];
static bool fimConhecido = false;
static size_t fimReducoes = OFS_REDUCAO_Z;
// Outcome of validating each slot, kept from the pass of FimReducoes so
// that searches by CRZ do not check the same slots again and again.
static bool slotValido[SLOTS_REDUCAO_Z];
static uint16_t crzDoSlot[SLOTS_REDUCAO_Z];

int MapeiaMF(const char *arquivo)
{
    DesmapeiaMF();
    size_t lidos = 0;
    if (LeArquivoInteiro(arquivo, imagem, sizeof imagem, &lidos) != 0 ||
        lidos < TAMANHO_IMAGEM_MF + TAMANHO_PARAMETROS)
        return 1;
    BaseMF = imagem;
    std::memcpy(ParametrosMF, BaseMF + TAMANHO_IMAGEM_MF, TAMANHO_PARAMETROS);
    fimConhecido = false;
    return 0;
}

void DesmapeiaMF()
{
    if (BaseMF == nullptr)
        return;
    BaseMF = nullptr;
    fimConhecido = false;
}

uint64_t CampoNumero(const uint8_t *r, size_t o, size_t n)
{
    return LeNumero(r + o, n);
}

static bool Intacto(const uint8_t *r, size_t t)
{
    return SomaVerificacao(r, t - 1) == r[t - 1];
}

int LeRegistroMF(size_t offset, size_t t, uint8_t *destino)
{
    if (BaseMF == nullptr || t == 0 || offset >= COPIA_MF || t > COPIA_MF - offset)
        return MF_DANIFICADO;
    std::memcpy(destino, BaseMF + offset, t);
    if (SoApagados(destino, t))
        return MF_APAGADO;
    if (Intacto(destino, t))
        return MF_OK;
    std::memcpy(destino, BaseMF + offset + COPIA_MF, t);
    if (SoApagados(destino, t))
        return MF_APAGADO;
    return Intacto(destino, t) ? MF_OK : MF_DANIFICADO;
}

static void Inverte(uint8_t *r, size_t o, size_t n)
{
    InverteBytes(r + o, r + o, n);
}

// Reads slot n of a list and reverses the three leading 16-bit words that
// most records share (date, time, a counter).
static int LeLista(size_t base, size_t t, size_t slots, unsigned n, uint8_t *destino,
                   bool tresPalavras)
{
    if (n < 1 || n > slots)
        return MF_DANIFICADO;
    int r = LeRegistroMF(base + t * (n - 1), t, destino);
    if (r == MF_OK && tresPalavras) {
        Inverte(destino, 0, 2);
        Inverte(destino, 2, 2);
        Inverte(destino, 4, 2);
    }
    return r;
}

int LeCabecalhoMF(uint8_t *destino)
{
    return LeRegistroMF(OFS_CABECALHO_MF, TAM_CABECALHO_MF, destino);
}

int LeIdentidadeECF(uint8_t *destino)
{
    int r = LeCabecalhoMF(destino);
    if (r == MF_APAGADO) {
        std::memset(destino, ' ', TAM_CABECALHO_MF);
        r = MF_OK;
    }
    return r;
}

int LeVersaoSB(unsigned n, uint8_t *destino)
{
    return LeLista(OFS_VERSAO_SB, TAM_VERSAO_SB, SLOTS_VERSAO_SB, n, destino, true);
}

int LeDispositivoMFD(unsigned n, uint8_t *destino)
{
    int r = LeLista(OFS_DISPOSITIVO_MFD, TAM_DISPOSITIVO_MFD, SLOTS_DISPOSITIVO_MFD, n, destino,
                    false);
    if (r == MF_OK) {
        Inverte(destino, 20, 2);
        Inverte(destino, 22, 2);
        Inverte(destino, 24, 2);
    }
    return r;
}

int LeMarcaMFD(unsigned n, uint8_t *destino)
{
    return LeLista(OFS_MARCA_MFD, TAM_MARCA_MFD, SLOTS_MARCA_MFD, n, destino, true);
}

int LeRegistroUsuario(unsigned n, uint8_t *destino)
{
    int r = LeLista(OFS_USUARIO, TAM_USUARIO, SLOTS_USUARIO, n, destino, true);
    if (r == MF_OK)
        Inverte(destino, USU_GT, 8);
    return r;
}

int LeCodificacaoGT(unsigned n, uint8_t *destino)
{
    return LeLista(OFS_CODIFICACAO_GT, TAM_CODIFICACAO_GT, SLOTS_CODIFICACAO_GT, n, destino, true);
}

int LeSimboloMoeda(unsigned n, uint8_t *destino)
{
    return LeLista(OFS_SIMBOLO_MOEDA, TAM_SIMBOLO_MOEDA, SLOTS_SIMBOLO_MOEDA, n, destino, true);
}

int LeFitaDetalhe(unsigned n, uint8_t *destino)
{
    int r = LeLista(OFS_FITA_DETALHE, TAM_FITA_DETALHE, SLOTS_FITA_DETALHE, n, destino, true);
    if (r == MF_OK) {
        Inverte(destino, CFD_COO_INICIAL, 3);
        Inverte(destino, CFD_COO_FINAL, 3);
    }
    return r;
}

int LeReinicio(unsigned n, uint8_t *destino)
{
    return LeLista(OFS_REINICIO, TAM_REINICIO, SLOTS_REINICIO, n, destino, true);
}

int LeAliquota(unsigned n, uint8_t *destino)
{
    int r = LeLista(OFS_ALIQUOTA, TAM_ALIQUOTA, SLOTS_ALIQUOTA, n, destino, false);
    if (r == MF_OK) {
        Inverte(destino, 0, 2);
        Inverte(destino, ALI_VALOR, 2);
    }
    return r;
}

static bool PosicaoDeSlot(size_t posicao)
{
    return posicao >= OFS_REDUCAO_Z && posicao < PosicaoReducaoZ(SLOTS_REDUCAO_Z + 1) &&
           (posicao - OFS_REDUCAO_Z) % TAM_REDUCAO_Z == 0;
}

int ValidaReducaoZ(size_t posicao)
{
    if (BaseMF == nullptr || !PosicaoDeSlot(posicao))
        return MF_DANIFICADO;
    uint8_t *r = RegistroReducaoZ;
    std::memcpy(r, BaseMF + posicao, TAM_REDUCAO_Z);
    if (!Intacto(r, TAM_REDUCAO_Z) || (r[0] == 0 && r[1] == 0))
        return MF_DANIFICADO;
    static const uint8_t kCampos[][2] = {
        {RZ_DATA, 2}, {RZ_HORA, 2}, {RZ_CRZ, 2}, {RZ_DATA_MOVIMENTO, 2}, {RZ_VENDA_BRUTA, 6},
        {RZ_COO, 4}, {RZ_CONTADOR19, 3}, {RZ_GNF, 3}, {RZ_CONTADOR25, 3}, {RZ_CONTADOR28, 2}};
    for (const auto &c : kCampos)
        Inverte(r, c[0], c[1]);
    for (size_t o = RZ_TOTALIZADORES; o + 6 <= RZ_ALIQUOTAS; o += 6)
        Inverte(r, o, 6);
    return MF_OK;
}

// The reductions run from slot 1 up to the first erased slot.  A damaged
// slot among them (a bad checksum where later slots are intact) is passed
// over rather than taken for the end, so that the reductions after it are
// not lost; the end is the position after the last slot that validates.
size_t FimReducoes()
{
    if (fimConhecido)
        return fimReducoes;
    fimReducoes = OFS_REDUCAO_Z;
    if (BaseMF != nullptr) {
        for (unsigned n = 1; n <= SLOTS_REDUCAO_Z; ++n) {
            size_t p = PosicaoReducaoZ(n);
            if (SoApagados(BaseMF + p, TAM_REDUCAO_Z))
                break;
            slotValido[n - 1] = ValidaReducaoZ(p) == MF_OK;
            crzDoSlot[n - 1] = Campo16(RegistroReducaoZ, RZ_CRZ);
            if (slotValido[n - 1])
                fimReducoes = p + TAM_REDUCAO_Z;
        }
    }
    fimConhecido = true;
    return fimReducoes;
}

int ProcuraReducaoZ(unsigned crz, size_t *posicao)
{
    const size_t fim = FimReducoes();
    if (*posicao < OFS_REDUCAO_Z || (*posicao - OFS_REDUCAO_Z) % TAM_REDUCAO_Z != 0)
        return MF_DANIFICADO;
    while (*posicao < fim) {
        const size_t slot = (*posicao - OFS_REDUCAO_Z) / TAM_REDUCAO_Z;
        if (slotValido[slot]) {
            unsigned c = crzDoSlot[slot];
            if (c == crz)
                return ValidaReducaoZ(*posicao);
            if (c > crz)
                return MF_DANIFICADO;
        }
        *posicao += TAM_REDUCAO_Z;
    }
    return MF_FIM_REDUCOES;
}

int LeReducaoZ(unsigned crz, uint8_t *destino)
{
    if (crz < 1 || crz > SLOTS_REDUCAO_Z)
        return MF_DANIFICADO;
    size_t p = PosicaoReducaoZ(crz);
    int r = ProcuraReducaoZ(crz, &p);
    if (r == MF_FIM_REDUCOES)
        return MF_APAGADO;
    if (r != MF_OK)
        return r;
    if (destino != RegistroReducaoZ)
        std::memcpy(destino, RegistroReducaoZ, TAM_REDUCAO_Z);
    return MF_OK;
}
