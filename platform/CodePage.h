#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mayorin::platform {

// Conversion between the program's UTF-8 texts and the Japanese code page 932 used by its files.
class CodePage {
public:
    virtual ~CodePage() = default;
    // Encodes UTF-8 text as code page 932 bytes. Returns nothing when a character has no
    // code page 932 form; *badOffset then receives the byte offset of that character in the input.
    virtual std::optional<std::string> encode(std::string_view utf8, std::size_t* badOffset = nullptr) const = 0;
    // Decodes code page 932 bytes into UTF-8. Bytes that are not valid code page 932 come out
    // as "?" and are counted in *badBytes.
    virtual std::string decode(std::string_view bytes, std::size_t* badBytes = nullptr) const = 0;
};

// Code page 932 through glibc iconv ("CP932", Microsoft's table).
class IconvCodePage final : public CodePage {
public:
    std::optional<std::string> encode(std::string_view utf8, std::size_t* badOffset = nullptr) const override;
    std::string decode(std::string_view bytes, std::size_t* badBytes = nullptr) const override;
};

} // namespace mayorin::platform
