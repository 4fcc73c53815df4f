// Reads the input as UTF-16 code units and holds each path of the engine to the literal model.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "LiteralModel.h"
#include "text/EnginePaths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(char16_t));
    for (const EnginePath& path : EnginePaths())
        if (!CheckAgainstModel(path, text).empty()) std::abort();
    return 0;
}
