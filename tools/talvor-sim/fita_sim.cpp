// The detail-tape file system of the simulator, served from a directory:
//   diretorio.txt   one closed file per line, in listing order:
//                   NAME DDMMYYYY HHMMSS COUNTER4 COUNTER8
//                   (NAME exactly 12 characters, the counters 4 and 8
//                   decimal digits; blank lines and lines starting with #
//                   are ignored)
//   NAME            the closed file's record stream, as the printer keeps it
//   File_Current    the record stream of the file still being written
// Without a directory the printer has no closed files and an empty current
// file; the default sample printer is served from memory through the same
// listing parser.
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#include "amostra_sim.h"
#include "sim.h"

namespace {

struct ArquivoFita {
    std::string nome;
    unsigned dia, mes, ano, hora, minuto, segundo;
    std::string contador4, contador8;
    std::vector<uint8_t> dados;
};

std::vector<ArquivoFita> Arquivos;
std::vector<uint8_t> Atual;
int Aberto = -1;

bool LeConteudo(const std::string &caminho, std::vector<uint8_t> *d, bool obrigatorio)
{
    std::ifstream f(caminho, std::ios::binary);
    if (!f) {
        if (obrigatorio)
            std::fprintf(stderr, "talvor-sim: arquivo da fita não pode ser lido: %s\n", caminho.c_str());
        return !obrigatorio;
    }
    d->assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

bool SoDigitos(const std::string &s, size_t n)
{
    if (s.size() != n)
        return false;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// Reads the listing; conteudo gives each listed file's bytes (false when
// it has none, with its own message).
bool LeListagem(std::istream &lista,
                const std::function<bool(const std::string &, std::vector<uint8_t> *)> &conteudo)
{
    std::string linha;
    unsigned numero = 0;
    while (std::getline(lista, linha)) {
        ++numero;
        if (!linha.empty() && linha.back() == '\r')
            linha.pop_back();
        if (linha.empty() || linha[0] == '#')
            continue;
        std::istringstream campos(linha);
        ArquivoFita a;
        std::string data, hora;
        campos >> a.nome >> data >> hora >> a.contador4 >> a.contador8;
        if (a.nome.size() != 12 || !SoDigitos(data, 8) || !SoDigitos(hora, 6) ||
            !SoDigitos(a.contador4, 4) || !SoDigitos(a.contador8, 8)) {
            std::fprintf(stderr, "talvor-sim: diretorio.txt, linha %u inválida\n", numero);
            return false;
        }
        a.dia = std::stoul(data.substr(0, 2));
        a.mes = std::stoul(data.substr(2, 2));
        a.ano = std::stoul(data.substr(4, 4));
        a.hora = std::stoul(hora.substr(0, 2));
        a.minuto = std::stoul(hora.substr(2, 2));
        a.segundo = std::stoul(hora.substr(4, 2));
        if (a.ano < 1980 || a.ano > 2107) {
            std::fprintf(stderr, "talvor-sim: diretorio.txt, linha %u: ano fora de 1980 a 2107\n", numero);
            return false;
        }
        if (!conteudo(a.nome, &a.dados))
            return false;
        Arquivos.push_back(a);
    }
    return true;
}

}  // namespace

bool CarregaFita(const std::string &diretorio)
{
    if (diretorio.empty())
        return true;
    std::ifstream lista(diretorio + "/diretorio.txt");
    if (!lista) {
        std::fprintf(stderr, "talvor-sim: %s/diretorio.txt não pode ser lido\n", diretorio.c_str());
        return false;
    }
    auto arquivo = [&](const std::string &nome, std::vector<uint8_t> *d) {
        return LeConteudo(diretorio + "/" + nome, d, true);
    };
    return LeListagem(lista, arquivo) && LeConteudo(diretorio + "/File_Current", &Atual, false);
}

bool CarregaFitaAmostra(const AmostraSim &amostra)
{
    std::istringstream lista(amostra.diretorio);
    auto arquivo = [&](const std::string &nome, std::vector<uint8_t> *d) {
        auto i = amostra.arquivos.find(nome);
        if (i == amostra.arquivos.end()) {
            std::fprintf(stderr, "talvor-sim: a amostra não tem o arquivo %s\n", nome.c_str());
            return false;
        }
        *d = i->second;
        return true;
    };
    if (!LeListagem(lista, arquivo))
        return false;
    Atual = amostra.atual;
    return true;
}

bool EntradaListagem(size_t indice, Resposta *r)
{
    if (indice >= Arquivos.size())
        return false;
    const ArquivoFita &a = Arquivos[indice];
    Resposta &x = *r;
    x.resize(74);
    x[15] = 0;
    std::memcpy(&x[16], a.nome.data(), 12);
    x[28] = 0;
    // Time and date as a directory entry keeps them (little-endian, years
    // counted from 1980, seconds in units of two).
    unsigned hora = (a.hora << 11) | (a.minuto << 5) | (a.segundo / 2);
    unsigned data = ((a.ano - 1980) << 9) | (a.mes << 5) | a.dia;
    x[29] = static_cast<uint8_t>(hora);
    x[30] = static_cast<uint8_t>(hora >> 8);
    x[31] = static_cast<uint8_t>(data);
    x[32] = static_cast<uint8_t>(data >> 8);
    uint32_t tamanho = static_cast<uint32_t>(a.dados.size());
    for (int k = 0; k < 4; ++k)
        x[33 + k] = static_cast<uint8_t>(tamanho >> (8 * k));
    std::memset(&x[37], ' ', 37);
    std::memcpy(&x[59], a.contador4.data(), 4);
    std::memcpy(&x[63], a.contador8.data(), 8);
    return true;
}

bool AbreArquivoFita(const uint8_t *nome12)
{
    for (size_t i = 0; i < Arquivos.size(); ++i) {
        if (std::memcmp(Arquivos[i].nome.data(), nome12, 12) == 0) {
            Aberto = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

void FechaArquivoFita()
{
    Aberto = -1;
}

bool BlocoFita(bool atual, uint32_t bloco, std::vector<uint8_t> *dados)
{
    if (!atual && Aberto < 0)
        return false;
    const std::vector<uint8_t> &d = atual ? Atual : Arquivos[static_cast<size_t>(Aberto)].dados;
    uint64_t inicio = static_cast<uint64_t>(bloco) * 128;
    dados->clear();
    if (inicio < d.size()) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(128, d.size() - inicio));
        dados->assign(d.begin() + static_cast<std::ptrdiff_t>(inicio),
                      d.begin() + static_cast<std::ptrdiff_t>(inicio + n));
    }
    return true;
}
