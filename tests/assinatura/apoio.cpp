// Helpers of the signature tests (see apoio.h).
#include "assinatura/apoio.h"

#include "common/util.h"

std::string Hex(const void *bytes, size_t n)
{
    static const char d[] = "0123456789ABCDEF";
    const uint8_t *p = static_cast<const uint8_t *>(bytes);
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += d[p[i] >> 4];
        s += d[p[i] & 15];
    }
    return s;
}

std::string BytesAleatorios(std::mt19937 &g, size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(g() & 0xFF);
    return s;
}

bool Disponivel(const std::string &comando)
{
#if defined(_WIN32)
    return Executa(comando + " >NUL 2>&1") == 0;
#else
    return Executa(comando + " >/dev/null 2>&1") == 0;
#endif
}

std::string RodaPython(const std::string &script)
{
    GravaArquivo("verificador.py", script);
    std::string saida;
    if (Executa("python3 verificador.py", &saida) != 0)
        return "";
    return saida;
}

std::string CaminhoChavePublica()
{
    return std::string(TALVOR_SOURCE_DIR) + "/keys/ead-public.pem";
}

std::string ModuloPorOpenssl()
{
    std::string saida;
    if (Executa("openssl rsa -pubin -noout -modulus -in '" + CaminhoChavePublica() + "'", &saida) != 0)
        return "";
    size_t igual = saida.find('=');
    if (igual == std::string::npos)
        return "";
    std::string m = saida.substr(igual + 1);
    while (!m.empty() && (m.back() == '\n' || m.back() == '\r'))
        m.pop_back();
    return m;
}
