// Input: a code as a user types it into the ID-code dialog, applied to the sample
// catalogue. Afterwards every control holds a valid selection or none, a complete
// configuration encodes, and its code applied afresh gives the same code again.
#include "core/session/Configurator.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace kb;

namespace {

void Require(bool condition, const char* what, const std::string& code) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_idcode: %s: \"%s\"\n", what, code.c_str());
        std::abort();
    }
}

const Configurator& Loaded() {
    static const Configurator loaded = [] {
        Configurator c;
        const LoadOutcome outcome =
            c.LoadCatalogue(KITBUILDER_DATA_DIR "/KITBUILDER.INI", KITBUILDER_DATA_DIR "/KITBUILDER.PRS");
        if (outcome.result != LoadResult::Loaded) {
            std::fprintf(stderr, "fuzz_idcode: the sample catalogue does not load: %s\n",
                         outcome.detail.c_str());
            std::abort();
        }
        c.StartUp(false);
        return c;
    }();
    return loaded;
}

void RequireValidSelections(const Configurator& c, const std::string& code) {
    for (const auto& info : AllGroups()) {
        const int index = c.choice()[info.group];
        Require(index >= -1 && index < c.snapshot()->Count(info.group), "a selection index is out of range",
                code);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string code(reinterpret_cast<const char*>(data), size);
    // Most inputs are better spent past the prefix, which decoding skips anyway.
    if (!code.empty() && code.front() == '+')
        code = kIDCodePrefix + code.substr(1);

    Configurator c = Loaded();
    c.ApplyIDCode(code);
    RequireValidSelections(c, code);
    if (!c.configuration().Complete())
        return 0;

    const Result<std::string> encoded = c.CurrentIDCode();
    Require(encoded.has_value(), "a complete configuration does not encode", code);
    Require(encoded->size() == kIDCodeLength, "the code has the wrong length", code);

    Configurator fresh = Loaded();
    fresh.ApplyIDCode(kIDCodePrefix + *encoded);
    RequireValidSelections(fresh, *encoded);
    const Result<std::string> again = fresh.CurrentIDCode();
    Require(again.has_value() && *again == *encoded, "an encoded code does not decode to itself", *encoded);
    return 0;
}
