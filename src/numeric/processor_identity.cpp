#include "numeric/processor_identity.h"

#include "numeric/processor.h"

#if QUORVEL_X86
#include <cpuid.h>

#include <cstring>
#endif

namespace quorvel {

#if QUORVEL_X86
ProcessorIdentity identifyProcessor() {
    ProcessorIdentity identity{"", "", 0, 0, 0};
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(0, &a, &b, &c, &d) == 0) return identity;
    char vendor[13] = {};
    std::memcpy(vendor, &b, 4);
    std::memcpy(vendor + 4, &d, 4);
    std::memcpy(vendor + 8, &c, 4);
    identity.vendor = vendor;
    if (a >= 1 && __get_cpuid(1, &a, &b, &c, &d) != 0) {
        const int base = int((a >> 8) & 0xF), extendedFamily = int((a >> 20) & 0xFF);
        const int model = int((a >> 4) & 0xF), extendedModel = int((a >> 16) & 0xF);
        identity.family = base == 0xF ? base + extendedFamily : base;
        identity.model = base == 0x6 || base == 0xF ? extendedModel << 4 | model : model;
        identity.stepping = int(a & 0xF);
    }
    if (__get_cpuid(0x80000000u, &a, &b, &c, &d) != 0 && a >= 0x80000004u) {
        char brand[49] = {};
        for (unsigned leaf = 0; leaf < 3; ++leaf) {
            __get_cpuid(0x80000002u + leaf, &a, &b, &c, &d);
            const unsigned words[4] = {a, b, c, d};
            std::memcpy(brand + 16 * leaf, words, 16);
        }
        identity.brand = brand;
        // Some makers pad the text with spaces at either end.
        identity.brand.erase(0, identity.brand.find_first_not_of(' '));
        identity.brand.erase(identity.brand.find_last_not_of(' ') + 1);
    }
    return identity;
}
#else
ProcessorIdentity identifyProcessor() { return {"", "", 0, 0, 0}; }
#endif

}  // namespace quorvel
