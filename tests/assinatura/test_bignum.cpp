// The 1024-bit modular arithmetic against Python's integers: MulMod and
// ReduceMod on many random values and on the values next to the modulus,
// for the key's modulus and for moduli chosen to strain the quotient
// estimate; ExpMod against pow, with and without a masked exponent.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "assinatura/apoio.h"
#include "common/util.h"
#include "files/bignum.h"
#include "files/chave.h"

// python3 does not run under Windows.
#if !defined(_WIN32)
class Aritmetica : public DiretorioTemporario {
protected:
    void SetUp() override
    {
        DiretorioTemporario::SetUp();
        ASSERT_TRUE(Disponivel("python3 --version")) << "python3 missing";
    }
};

using Bytes = std::vector<uint8_t>;

static std::string HexLimbs(const uint64_t *limbs, unsigned n)
{
    // Most significant limb first, eight digits each.
    std::string s;
    for (unsigned i = n; i-- > 0;) {
        uint8_t b[4] = {static_cast<uint8_t>(limbs[i] >> 24), static_cast<uint8_t>(limbs[i] >> 16),
                        static_cast<uint8_t>(limbs[i] >> 8), static_cast<uint8_t>(limbs[i])};
        s += Hex(b, 4);
    }
    return s;
}

static Bytes Aleatorio(std::mt19937 &g)
{
    Bytes b(128);
    for (auto &x : b)
        x = static_cast<uint8_t>(g());
    return b;
}

// A number below a modulus whose top bit is set: clear the top bit.
static Bytes AbaixoDe(std::mt19937 &g)
{
    Bytes b = Aleatorio(g);
    b[0] &= 0x7F;
    return b;
}

static Bytes Menos(Bytes b, unsigned k)
{
    for (unsigned v = 0; v < k; ++v)
        for (size_t i = b.size(); i-- > 0;)
            if (b[i]-- != 0)
                break;
    return b;
}

static std::vector<Bytes> Modulos(std::mt19937 &g)
{
    std::vector<Bytes> m;
    Bytes chave(128);
    ModuloPublico(chave.data());
    m.push_back(chave);
    Bytes b(128, 0);
    b[0] = 0x80;
    b[127] = 1;
    m.push_back(b);                       // 2^1023 + 1
    m.push_back(Bytes(128, 0xFF));        // 2^1024 - 1
    Bytes c(128, 0);
    c[0] = 0x80;
    for (int i = 12; i < 128; ++i)
        c[i] = 0xFF;                      // top three limbs 0x80000000, 0, 0
    m.push_back(c);
    Bytes d(128, 0xFF);
    d[0] = 0x80;
    d[127] = 0xFD;
    m.push_back(d);
    for (int i = 0; i < 3; ++i) {
        Bytes r = Aleatorio(g);
        r[0] |= 0x80;
        m.push_back(r);
    }
    return m;
}

static const char kChecaLinhas[] =
    "import sys\n"
    "ruins = 0; total = 0\n"
    "for linha in open('casos.txt'):\n"
    "    c = linha.split()\n"
    "    op = c[0]; v = [int(x, 16) for x in c[1:]]\n"
    "    if op == 'mul': n, a, b, r = v; ok = a * b % n == r\n"
    "    elif op == 'red': n, a, r = v; ok = a % n == r\n"
    "    elif op == 'exp': n, a, e, r = v; ok = pow(a, e, n) == r\n"
    "    total += 1\n"
    "    if not ok:\n"
    "        ruins += 1; print('errado:', linha.strip()[:80])\n"
    "print('total', total, 'errados', ruins)\n";

// Runs caso for each modulus in turn (set as the current one, k its
// position): each writes its cases as lines of casos and returns how many;
// Python then checks every line.
template <class Caso>
void ConfereComPython(unsigned semente, Caso caso)
{
    std::mt19937 g(semente);
    std::ostringstream casos;
    unsigned total = 0;
    const std::vector<Bytes> modulos = Modulos(g);
    for (size_t k = 0; k < modulos.size(); ++k) {
        uint64_t n[32];
        BytesParaLimbs(modulos[k].data(), n);
        ASSERT_EQ(DefineModulo(n), 0);
        total += caso(g, k, modulos[k], n, casos);
    }
    GravaArquivo("casos.txt", casos.str());
    EXPECT_EQ(RodaPython(kChecaLinhas), "total " + std::to_string(total) + " errados 0\n");
}

TEST_F(Aritmetica, MulModAgainstPython)
{
    ConfereComPython(2024, [](std::mt19937 &g, size_t, const Bytes &mb, const uint64_t *,
                              std::ostringstream &casos) {
        unsigned total = 0;
        std::vector<Bytes> valores = {Bytes(128, 0), Menos(Bytes(128, 0), 0), Menos(mb, 1),
                                      Menos(mb, 2)};
        valores[1][127] = 1;
        for (int i = 0; i < 40; ++i)
            valores.push_back(AbaixoDe(g));
        for (size_t i = 0; i < valores.size(); ++i) {
            for (size_t j = 0; j < valores.size(); j += 1 + (i % 5)) {
                uint64_t a[32], b[32], r[32];
                BytesParaLimbs(valores[i].data(), a);
                BytesParaLimbs(valores[j].data(), b);
                MulMod(a, b, r);
                casos << "mul " << Hex(mb.data(), 128) << ' ' << Hex(valores[i].data(), 128) << ' '
                      << Hex(valores[j].data(), 128) << ' ' << HexLimbs(r, 32) << '\n';
                ++total;
            }
        }
        // The result may be one of the factors.
        uint64_t a[32], b[32], esperado[32];
        BytesParaLimbs(valores[5].data(), a);
        BytesParaLimbs(valores[6].data(), b);
        MulMod(a, b, esperado);
        MulMod(a, b, a);
        EXPECT_EQ(std::memcmp(a, esperado, sizeof a), 0);
        BytesParaLimbs(valores[5].data(), a);
        MulMod(a, b, b);
        EXPECT_EQ(std::memcmp(b, esperado, sizeof b), 0);
        return total;
    });
}

TEST_F(Aritmetica, ReduceModAgainstPython)
{
    ConfereComPython(99, [](std::mt19937 &g, size_t, const Bytes &mb, const uint64_t *n,
                            std::ostringstream &casos) {
        for (int i = 0; i < 150; ++i) {
            uint64_t acc[33];
            for (int k = 0; k < 32; ++k)
                acc[k] = g();
            // Limb 32 as large as a multiplication step leaves it (33 bits),
            // small, or zero.
            uint64_t topo = (static_cast<uint64_t>(g()) << 1) | (g() & 1);
            acc[32] = i % 3 == 0 ? topo : i % 3 == 1 ? g() % 4 : 0;
            if (i == 0)
                for (int k = 0; k < 32; ++k)
                    acc[k] = n[k];   // exactly N
            // Limb 32 may exceed 32 bits: written in full ahead of the rest.
            char topo_hex[24];
            std::snprintf(topo_hex, sizeof topo_hex, "%llX", static_cast<unsigned long long>(acc[32]));
            const std::string antes = topo_hex + HexLimbs(acc, 32);
            ReduceMod(acc);
            EXPECT_EQ(acc[32], 0u);
            casos << "red " << Hex(mb.data(), 128) << ' ' << antes << ' ' << HexLimbs(acc, 32)
                  << '\n';
        }
        return 150u;
    });
}

static uint8_t MascaraDeTeste(unsigned i)
{
    return static_cast<uint8_t>(0x5A ^ (i * 31));
}

TEST_F(Aritmetica, ExpModAgainstPythonPow)
{
    ConfereComPython(65537, [](std::mt19937 &g, size_t k, const Bytes &mb, const uint64_t *,
                               std::ostringstream &casos) {
        std::vector<Bytes> expoentes = {Bytes(128, 0), Aleatorio(g), Aleatorio(g)};
        expoentes[0][125] = 1;
        expoentes[0][127] = 1;   // 65537
        if (k == 0)
            expoentes.push_back(Bytes(128, 0));   // exponent 0 gives 1
        for (const Bytes &e : expoentes) {
            Bytes base = k == 0 && &e == &expoentes[0] ? Menos(mb, 1) : AbaixoDe(g);
            uint64_t b[32], r[32], rm[32];
            BytesParaLimbs(base.data(), b);
            ExpMod(b, e.data(), 128, nullptr, r);
            Bytes mascarado(e);
            for (unsigned i = 0; i < 128; ++i)
                mascarado[i] = static_cast<uint8_t>(mascarado[i] ^ MascaraDeTeste(i));
            ExpMod(b, mascarado.data(), 128, MascaraDeTeste, rm);
            EXPECT_EQ(std::memcmp(r, rm, sizeof r), 0);
            casos << "exp " << Hex(mb.data(), 128) << ' ' << Hex(base.data(), 128) << ' '
                  << Hex(e.data(), 128) << ' ' << HexLimbs(r, 32) << '\n';
        }
        return static_cast<unsigned>(expoentes.size());
    });
}

#endif

TEST(AritmeticaModulo, RefusesAModulusWithoutItsTopBit)
{
    uint64_t n[32] = {};
    n[31] = 0x7FFFFFFF;
    EXPECT_EQ(DefineModulo(n), 1);
    n[31] = 0;
    n[0] = 12345;
    EXPECT_EQ(DefineModulo(n), 1);
}
