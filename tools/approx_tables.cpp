// Measures this processor's approximate reciprocal and reciprocal square root as tables, and
// turns such a measurement into the C++ source of a model.
//   quorvel-approx-tables measure BITS > src/numeric/generated/MAKER-tables.txt
//     tables of 2^BITS reciprocal and 2 * 2^BITS reciprocal square root entries, then a check of
//     the model they make against the instructions over all 2^32 inputs (0 wrong: exact)
//   quorvel-approx-tables source MAKER src/numeric/generated/MAKER-tables.txt >
//   src/numeric/generated/approx_tables_MAKER.cpp

#include <immintrin.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "numeric/approx_model.h"

namespace {

using quorvel::ApproxModel;

uint32_t nativeReciprocal(uint32_t bits) {
    return quorvel::bitsOfFloat(_mm_cvtss_f32(_mm_rcp_ss(_mm_set_ss(quorvel::floatFromBits(bits)))));
}

uint32_t nativeReciprocalSqrt(uint32_t bits) {
    return quorvel::bitsOfFloat(_mm_cvtss_f32(_mm_rsqrt_ss(_mm_set_ss(quorvel::floatFromBits(bits)))));
}

void printTable(const std::vector<uint32_t>& table) {
    for (size_t i = 0; i < table.size(); ++i)
        std::printf("%08" PRIx32 "%c", table[i], i % 8 == 7 ? '\n' : ' ');
}

int measure(int bits) {
    const int shift = 23 - bits;
    std::vector<uint32_t> reciprocal(size_t(1) << bits), reciprocalSqrt(size_t(2) << bits);
    for (uint32_t i = 0; i < reciprocal.size(); ++i)
        reciprocal[i] = nativeReciprocal(0x3F800000u | i << shift);
    for (uint32_t i = 0; i < reciprocalSqrt.size(); ++i) {
        const uint32_t parity = i >> bits, top = i & ((1u << bits) - 1);
        reciprocalSqrt[i] = nativeReciprocalSqrt((parity != 0 ? 0x40000000u : 0x3F800000u) | top << shift);
    }
    std::printf("# rcp: result bits for 1.m, m's top %d bits = index\n", bits);
    printTable(reciprocal);
    std::printf("# rsqrt: index = parity << %d | top %d bits of m; parity 0 covers [1,2), 1 covers [2,4)\n",
                bits, bits);
    printTable(reciprocalSqrt);
    const ApproxModel model = {"measured", bits, bits, reciprocal.data(), reciprocalSqrt.data()};
    uint64_t reciprocalWrong = 0, reciprocalSqrtWrong = 0;
    uint32_t input = 0;
    do {
        reciprocalWrong += nativeReciprocal(input) != quorvel::modelReciprocalBits(model, input);
        reciprocalSqrtWrong += nativeReciprocalSqrt(input) != quorvel::modelReciprocalSqrtBits(model, input);
    } while (++input != 0);
    std::printf("# check over all 2^32 inputs: rcp wrong %" PRIu64 ", rsqrt wrong %" PRIu64 "\n",
                reciprocalWrong, reciprocalSqrtWrong);
    return reciprocalWrong == 0 && reciprocalSqrtWrong == 0 ? 0 : 1;
}

// Index bits of a table with `entries` entries per parity, or -1 when that is no power of two.
int indexBits(size_t entries) {
    for (int bits = 1; bits <= 23; ++bits)
        if (entries == size_t(1) << bits) return bits;
    return -1;
}

void printSourceTable(const char* name, const std::vector<uint32_t>& table) {
    std::printf("constexpr uint32_t %s[%zu] = {\n", name, table.size());
    for (size_t i = 0; i < table.size(); ++i)
        std::printf("%s0x%08" PRIx32 ",%s", i % 8 == 0 ? "    " : "", table[i], i % 8 == 7 ? "\n" : " ");
    std::printf("};\n");
}

int source(const std::string& maker, const char* path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "quorvel-approx-tables: cannot read %s\n", path);
        return 1;
    }
    std::vector<uint32_t> reciprocal, reciprocalSqrt, *filling = nullptr;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("# rcp", 0) == 0) {
            filling = &reciprocal;
        } else if (line.rfind("# rsqrt", 0) == 0) {
            filling = &reciprocalSqrt;
        } else if (line.rfind('#', 0) == 0) {
            filling = nullptr;
        } else if (filling != nullptr) {
            const char* at = line.c_str();
            char* end = nullptr;
            for (unsigned long value = std::strtoul(at, &end, 16); end != at;
                 value = std::strtoul(at, &end, 16)) {
                filling->push_back(static_cast<uint32_t>(value));
                at = end;
            }
        }
    }
    const int reciprocalBits = indexBits(reciprocal.size());
    const int reciprocalSqrtBits = indexBits(reciprocalSqrt.size() / 2);
    if (reciprocalBits < 0 || reciprocalSqrtBits < 0 || reciprocalSqrt.size() % 2 != 0) {
        std::fprintf(stderr,
                     "quorvel-approx-tables: %s: tables of %zu and %zu entries are not powers of two\n", path,
                     reciprocal.size(), reciprocalSqrt.size());
        return 1;
    }
    const char* file = std::strrchr(path, '/') != nullptr ? std::strrchr(path, '/') + 1 : path;
    std::printf("// clang-format off\n");
    std::printf("// The approximate reciprocals of --approx %s, as measured (%s).\n", maker.c_str(), file);
    std::printf("// Regenerate with: quorvel-approx-tables source %s src/numeric/generated/%s\n",
                maker.c_str(), file);
    std::printf("#include \"numeric/approx_model.h\"\n\nnamespace quorvel {\nnamespace {\n\n");
    printSourceTable("kReciprocal", reciprocal);
    std::printf("\n");
    printSourceTable("kReciprocalSqrt", reciprocalSqrt);
    std::string title = maker;
    title[0] = static_cast<char>(std::toupper(title[0]));
    std::printf(
        "\n}  // namespace\n\nconst ApproxModel k%sApprox = {\"%s\", %d, %d, kReciprocal, "
        "kReciprocalSqrt};\n",
        title.c_str(), maker.c_str(), reciprocalBits, reciprocalSqrtBits);
    std::printf("\n}  // namespace quorvel\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "measure" && argc == 3) {
        const int bits = std::atoi(argv[2]);
        if (bits >= 1 && bits <= 16) return measure(bits);
    } else if (command == "source" && argc == 4 && argv[2][0] != '\0') {
        return source(argv[2], argv[3]);
    }
    std::fprintf(stderr, "usage: quorvel-approx-tables measure BITS | source MAKER TABLES.txt\n");
    return 2;
}
