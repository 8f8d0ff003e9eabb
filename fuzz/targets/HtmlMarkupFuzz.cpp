// The HTML text static's markup: UTF-16 text (two bytes a character, low byte first) through the
// tokenizer, and every number attribute through the bounded number parse.

#include "html/HtmlMarkup.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring markup;
    markup.reserve(size / 2);
    for (size_t k = 0; k + 1 < size; k += 2) markup.push_back(wchar_t(data[k] | data[k + 1] << 8));
    for (const sorvane::html::Token& token : sorvane::html::ParseMarkup(markup)) {
        if (token.face.size() > sorvane::html::kMaxFaceLength) __builtin_trap();
        sorvane::html::ParseBoundedNumber(token.size, 7);
    }
    return 0;
}
