// The markup of the HTML text static: a small set of tags and character entities over plain text.
// The text is untrusted: a tag without its ">" within kMaxTagLength characters, or an entity that is
// not known, stays text; an unknown tag is skipped. Nothing reads beyond the text.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sorvane::html {

constexpr std::size_t kMaxTagLength = 1024;
constexpr std::size_t kMaxFaceLength = 31;  // a font face name fits LOGFONT's 32 characters

enum class TagName { B, I, U, Strike, Center, Big, Small, Sub, Sup, Font, Code, A, Hr, Br };

struct Token {
    enum class Kind { Text, Tag, LineBreak };
    Kind kind = Kind::Text;
    std::wstring text;  // Text: the characters, entities resolved ("&nbsp;" to U+00A0)
    TagName tag = TagName::B;
    bool closing = false;
    // Attributes of the opening tags that have them (values without their quotes).
    std::wstring href, color, bgcolor, face, size;
};

std::vector<Token> ParseMarkup(const std::wstring& markup);

// The value of a signed decimal number (leading sign and digits only), held within ±limit.
int ParseBoundedNumber(const std::wstring& text, int limit);

}  // namespace sorvane::html
