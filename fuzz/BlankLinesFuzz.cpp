// Reads the input as UTF-16 code units and checks the engine against the
// literal model, plus the properties users rely on.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../tests/text/LiteralModel.h"
#include "text/BlankLines.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(char16_t));

    std::u16string removed = RemoveBlankLines(text);
    std::u16string added = AddBlankLines(text);
    Check(removed == model::RemoveBlankLines(text));
    Check(added == model::AddBlankLines(text));
    Check(removed.size() <= text.size());
    Check(AddBlankLines(added) == added);

    // The reused-buffer forms, starting from a stale longer result.
    std::u16string buffer = added + added;
    RemoveBlankLines(text, buffer);
    Check(buffer == removed);
    AddBlankLines(text, buffer);
    Check(buffer == added);
    return 0;
}
