// Modular multiplication and exponentiation over 1024-bit numbers for the
// signature lines: schoolbook multiplication interleaved with reduction, the
// quotient of each reduction step estimated from the top limbs in double
// precision (never below the true quotient), then corrected so that the
// residue is exact whatever the estimate gave.
#include "files/bignum.h"

namespace {

constexpr uint64_t MASCARA32 = 0xFFFFFFFFu;

// The modulus and the value of its three top limbs, N31 + N30/2^32 +
// N29/2^64, used to estimate quotients.
uint64_t g_modulo[LIMBS_NUMERO];
double g_topo;

// acumulador -= q × N × 2^(32·deslocamento), q below 2^32; limb 32 is signed.
void SubtraiMultiplo(uint64_t *a, uint64_t q, unsigned deslocamento)
{
    uint64_t vai = 0;
    uint64_t emprestimo = 0;
    for (unsigned i = 0; i + deslocamento < 32; ++i) {
        uint64_t p = q * g_modulo[i] + vai;
        vai = p >> 32;
        uint64_t sub = (p & MASCARA32) + emprestimo;
        uint64_t &limb = a[i + deslocamento];
        emprestimo = limb < sub ? 1 : 0;
        limb = (limb - sub) & MASCARA32;
    }
    // The rest of the product lands in limb 32 (a signed 64-bit value).
    uint64_t resto = vai + emprestimo;
    for (unsigned i = 32 - deslocamento; i < 32; ++i)
        resto += q * g_modulo[i];   // only when shifted: one product, small q
    a[32] = static_cast<uint64_t>(static_cast<int64_t>(a[32]) - static_cast<int64_t>(resto));
}

void SomaModulo(uint64_t *a)
{
    uint64_t vai = 0;
    for (unsigned i = 0; i < 32; ++i) {
        uint64_t t = a[i] + g_modulo[i] + vai;
        a[i] = t & MASCARA32;
        vai = t >> 32;
    }
    a[32] += vai;
}

// True when limbs 0 to 31 are at least N (limb 32 being 0).
bool AoMenosModulo(const uint64_t *a)
{
    for (unsigned i = 32; i-- > 0;) {
        if (a[i] != g_modulo[i])
            return a[i] > g_modulo[i];
    }
    return true;
}

}  // namespace

void BytesParaLimbs(const uint8_t bytes[128], uint64_t limbs[LIMBS_NUMERO])
{
    for (unsigned i = 0; i < LIMBS_NUMERO; ++i) {
        const uint8_t *p = bytes + 124 - 4 * i;
        limbs[i] = static_cast<uint64_t>(p[0]) << 24 | static_cast<uint64_t>(p[1]) << 16 |
                   static_cast<uint64_t>(p[2]) << 8 | p[3];
    }
}

void LimbsParaBytes(const uint64_t limbs[LIMBS_NUMERO], uint8_t bytes[128])
{
    for (unsigned i = 0; i < LIMBS_NUMERO; ++i) {
        uint8_t *p = bytes + 124 - 4 * i;
        p[0] = static_cast<uint8_t>(limbs[i] >> 24);
        p[1] = static_cast<uint8_t>(limbs[i] >> 16);
        p[2] = static_cast<uint8_t>(limbs[i] >> 8);
        p[3] = static_cast<uint8_t>(limbs[i]);
    }
}

int DefineModulo(const uint64_t n[LIMBS_NUMERO])
{
    if ((n[31] & 0x80000000u) == 0 || n[31] > MASCARA32)
        return 1;
    for (unsigned i = 0; i < LIMBS_NUMERO; ++i)
        g_modulo[i] = n[i] & MASCARA32;
    g_topo = static_cast<double>(g_modulo[31]) + static_cast<double>(g_modulo[30]) / 4294967296.0 +
             static_cast<double>(g_modulo[29]) / 18446744073709551616.0;
    return 0;
}

void ReduceMod(uint64_t a[LIMBS_ACUMULADOR])
{
    // q = trunc((A32·2^32 + A31 + A30/2^32) / D) + 3: with D taken from the
    // top limbs of N (N31 at least 2^31) the estimate errs by far less than
    // 1, so q is never below the true quotient and at most a few above it.
    const double topo = static_cast<double>(a[32]) * 4294967296.0 + static_cast<double>(a[31]) +
                        static_cast<double>(a[30]) / 4294967296.0;
    const uint64_t q = static_cast<uint64_t>(topo / g_topo) + 3;
    if ((q >> 32) != 0)
        SubtraiMultiplo(a, q >> 32, 1);
    SubtraiMultiplo(a, q & MASCARA32, 0);
    // Over-estimated: A went negative; add N back.
    while (static_cast<int64_t>(a[32]) < 0)
        SomaModulo(a);
    // Never needed when the estimate holds; keeps the residue exact anyway.
    while (a[32] != 0 || AoMenosModulo(a)) {
        uint64_t emprestimo = 0;
        for (unsigned i = 0; i < 32; ++i) {
            uint64_t sub = g_modulo[i] + emprestimo;
            emprestimo = a[i] < sub ? 1 : 0;
            a[i] = (a[i] - sub) & MASCARA32;
        }
        a[32] -= emprestimo;
    }
}

void MulMod(const uint64_t a[LIMBS_NUMERO], const uint64_t b[LIMBS_NUMERO],
            uint64_t resultado[LIMBS_NUMERO])
{
    uint64_t acc[LIMBS_ACUMULADOR] = {};
    for (unsigned i = LIMBS_NUMERO; i-- > 0;) {
        for (unsigned k = LIMBS_ACUMULADOR - 1; k > 0; --k)
            acc[k] = acc[k - 1];
        acc[0] = 0;
        const uint64_t ai = a[i] & MASCARA32;
        uint64_t vai = 0;
        for (unsigned j = 0; j < LIMBS_NUMERO; ++j) {
            uint64_t t = ai * b[j] + acc[j] + vai;
            acc[j] = t & MASCARA32;
            vai = t >> 32;
        }
        acc[32] += vai;
        ReduceMod(acc);
    }
    for (unsigned i = 0; i < LIMBS_NUMERO; ++i)
        resultado[i] = acc[i];
}

void ExpMod(const uint64_t base[LIMBS_NUMERO], const uint8_t *expoente, unsigned bytes,
            uint8_t (*mascara)(unsigned posicao), uint64_t resultado[LIMBS_NUMERO])
{
    uint64_t r[LIMBS_NUMERO] = {1};
    uint64_t t[LIMBS_NUMERO];
    for (unsigned i = 0; i < bytes; ++i) {
        uint8_t byte = expoente[i];
        if (mascara != nullptr)
            byte = static_cast<uint8_t>(byte ^ mascara(i));
        for (unsigned bit = 0x80; bit != 0; bit >>= 1) {
            MulMod(r, r, t);
            if (byte & bit)
                MulMod(base, t, r);
            else
                for (unsigned k = 0; k < LIMBS_NUMERO; ++k)
                    r[k] = t[k];
        }
    }
    for (unsigned k = 0; k < LIMBS_NUMERO; ++k)
        resultado[k] = r[k];
}
