#include "platform/CodePage.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <vector>
#include <iconv.h>

namespace mayorin::platform {

namespace {

// One conversion descriptor per direction, opened on first use and kept for the life of the
// process: opening one costs far more than converting a short line, and everything runs on the
// user-interface thread.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(m_cd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of in as possible into out (appending). Returns 0 when everything was
    // converted, else the errno that stopped it (EILSEQ, EINVAL); *consumed receives the number
    // of input bytes converted.
    int run(std::string_view in, std::string& out, std::size_t* consumed) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        std::size_t used = out.size();
        // Code page 932 to UTF-8 grows by at most three times (a half-width katakana byte);
        // UTF-8 to code page 932 never grows.
        out.resize(used + in.size() * 3 + 8);
        int err = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            const std::size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            err = errno;
            break;
        }
        out.resize(used);
        *consumed = in.size() - srcLeft;
        return err;
    }

private:
    iconv_t m_cd;
};

Converter& toCp932() {
    static Converter c("CP932", "UTF-8");
    return c;
}

Converter& fromCp932() {
    static Converter c("UTF-8", "CP932");
    return c;
}

// Every character's conversion is asked of iconv once and remembered, so that long texts (the
// data file holds megabytes) convert by table look-up with exactly iconv's answers.
constexpr std::uint32_t kUnknown = 0;
constexpr std::uint32_t kInvalid = 0xFFFFFFFF;
constexpr std::uint32_t kLead = 0xFFFFFFFE;

// UTF-8 bytes of one character packed as length << 24 | bytes, or kInvalid / kLead.
std::uint32_t packUtf8(const std::string& u) {
    if (u.empty() || u.size() > 3) {
        return kInvalid;
    }
    std::uint32_t v = static_cast<std::uint32_t>(u.size()) << 24;
    for (std::size_t i = 0; i < u.size(); ++i) {
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(u[i])) << (8 * i);
    }
    return v;
}

void appendPacked(std::string& out, std::uint32_t v) {
    const std::size_t n = v >> 24;
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

// What one code page 932 byte is on its own: a character, a lead byte, or invalid.
std::uint32_t singleByte(unsigned char b) {
    static std::array<std::uint32_t, 256> table{};
    std::uint32_t& v = table[b];
    if (v == kUnknown) {
        std::string out;
        std::size_t consumed = 0;
        const char in = static_cast<char>(b);
        const int err = fromCp932().run(std::string_view(&in, 1), out, &consumed);
        v = err == 0 ? packUtf8(out) : (err == EINVAL ? kLead : kInvalid);
    }
    return v;
}

std::uint32_t doubleByte(unsigned char lead, unsigned char trail) {
    static std::vector<std::uint32_t> table(65536, kUnknown);
    std::uint32_t& v = table[static_cast<std::size_t>(lead) << 8 | trail];
    if (v == kUnknown) {
        std::string out;
        std::size_t consumed = 0;
        const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const int err = fromCp932().run(std::string_view(in, 2), out, &consumed);
        v = err == 0 && consumed == 2 ? packUtf8(out) : kInvalid;
    }
    return v;
}

// Code page 932 bytes of one character of the basic plane, packed as length << 24 | bytes, or
// kInvalid when it has none.
std::uint32_t encodedChar(std::uint32_t cp, std::string_view utf8) {
    static std::vector<std::uint32_t> table(65536, kUnknown);
    std::uint32_t& v = table[cp];
    if (v == kUnknown) {
        std::string out;
        std::size_t consumed = 0;
        const int err = toCp932().run(utf8, out, &consumed);
        v = err == 0 && !out.empty() && out.size() <= 2 ? packUtf8(out) : kInvalid;
    }
    return v;
}

// Length and code point of the well-formed UTF-8 character of at most three bytes at s[i], or
// 0 when it is anything else (malformed, or outside the basic plane).
std::size_t utf8Char(std::string_view s, std::size_t i, std::uint32_t* cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) {
        *cp = c;
        return 1;
    }
    if (c >= 0xC2 && c < 0xE0 && i + 1 < s.size() && (b(i + 1) & 0xC0) == 0x80) {
        *cp = (c & 0x1Fu) << 6 | (b(i + 1) & 0x3Fu);
        return 2;
    }
    if (c >= 0xE0 && c < 0xF0 && i + 2 < s.size() && (b(i + 1) & 0xC0) == 0x80 && (b(i + 2) & 0xC0) == 0x80) {
        const std::uint32_t v = (c & 0x0Fu) << 12 | (b(i + 1) & 0x3Fu) << 6 | (b(i + 2) & 0x3Fu);
        if (v < 0x800 || (v >= 0xD800 && v < 0xE000)) {
            return 0;
        }
        *cp = v;
        return 3;
    }
    return 0;
}

} // namespace

std::optional<std::string> IconvCodePage::encode(std::string_view utf8, std::size_t* badOffset) const {
    if (!toCp932().ok()) {
        if (badOffset) {
            *badOffset = 0;
        }
        return std::nullopt;
    }
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        // Runs of ASCII, most of every file, are the same in both.
        std::size_t run = i;
        while (run < utf8.size() && static_cast<unsigned char>(utf8[run]) < 0x80) {
            ++run;
        }
        if (run > i) {
            out.append(utf8.data() + i, run - i);
            i = run;
            continue;
        }
        std::uint32_t cp = 0;
        const std::size_t n = utf8Char(utf8, i, &cp);
        if (n == 0) {
            // Malformed text or a character outside the basic plane: iconv says where it stops.
            std::string rest;
            std::size_t consumed = 0;
            if (toCp932().run(utf8.substr(i), rest, &consumed) == 0) {
                out += rest;
                return out;
            }
            if (badOffset) {
                *badOffset = i + consumed;
            }
            return std::nullopt;
        }
        const std::uint32_t v = encodedChar(cp, utf8.substr(i, n));
        if (v == kInvalid) {
            if (badOffset) {
                *badOffset = i;
            }
            return std::nullopt;
        }
        appendPacked(out, v);
        i += n;
    }
    return out;
}

std::string IconvCodePage::decode(std::string_view bytes, std::size_t* badBytes) const {
    std::size_t bad = 0;
    std::string out;
    if (!fromCp932().ok()) {
        out.assign(bytes.size(), '?');
        if (badBytes) {
            *badBytes = bytes.size();
        }
        return out;
    }
    out.reserve(bytes.size() + bytes.size() / 2);
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t run = i;
        while (run < bytes.size() && static_cast<unsigned char>(bytes[run]) < 0x80) {
            ++run;
        }
        if (run > i) {
            out.append(bytes.data() + i, run - i);
            i = run;
            continue;
        }
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::uint32_t v = singleByte(b);
        std::size_t n = 1;
        if (v == kLead) {
            v = i + 1 < bytes.size() ? doubleByte(b, static_cast<unsigned char>(bytes[i + 1])) : kInvalid;
            n = 2;
        }
        if (v == kInvalid) {
            // An invalid byte (or a lead byte without a fitting second byte) becomes "?", and
            // reading goes on with the next byte.
            out.push_back('?');
            ++bad;
            ++i;
            continue;
        }
        appendPacked(out, v);
        i += n;
    }
    if (badBytes) {
        *badBytes = bad;
    }
    return out;
}

} // namespace mayorin::platform
