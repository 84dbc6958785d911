// Writing one seed of a fuzz target's corpus: dir/sementeN.  A seed that
// cannot be written stops the generator, so a target never starts on a
// corpus that silently lacks its seeds.
#ifndef TALVOR_FUZZ_SEMENTE_H
#define TALVOR_FUZZ_SEMENTE_H

#include <cstdio>
#include <cstdlib>
#include <string>

inline void GravaSemente(const std::string &dir, int n, const std::string &c)
{
    std::string nome = dir + "/semente" + std::to_string(n);
    FILE *f = std::fopen(nome.c_str(), "wb");
    bool ok = f != nullptr && std::fwrite(c.data(), 1, c.size(), f) == c.size();
    if (f != nullptr && std::fclose(f) != 0)
        ok = false;
    if (!ok) {
        std::fprintf(stderr, "semente: %s could not be written\n", nome.c_str());
        std::exit(1);
    }
}

#endif
