#include "platform/CodePage.h"

#include <cerrno>
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

} // namespace

std::optional<std::string> IconvCodePage::encode(std::string_view utf8, std::size_t* badOffset) const {
    Converter& c = toCp932();
    if (!c.ok()) {
        if (badOffset) {
            *badOffset = 0;
        }
        return std::nullopt;
    }
    std::string out;
    out.reserve(utf8.size());
    std::size_t consumed = 0;
    if (c.run(utf8, out, &consumed) != 0) {
        if (badOffset) {
            *badOffset = consumed;
        }
        return std::nullopt;
    }
    return out;
}

std::string IconvCodePage::decode(std::string_view bytes, std::size_t* badBytes) const {
    std::size_t bad = 0;
    std::string out;
    Converter& c = fromCp932();
    if (!c.ok()) {
        out.assign(bytes.size(), '?');
        if (badBytes) {
            *badBytes = bytes.size();
        }
        return out;
    }
    out.reserve(bytes.size() + bytes.size() / 2);
    while (!bytes.empty()) {
        std::size_t consumed = 0;
        const int err = c.run(bytes, out, &consumed);
        bytes.remove_prefix(consumed);
        if (err == 0) {
            break;
        }
        // An invalid byte (or a lead byte cut off at the end) becomes "?", and reading goes on
        // with the next byte.
        out.push_back('?');
        ++bad;
        bytes.remove_prefix(1);
    }
    if (badBytes) {
        *badBytes = bad;
    }
    return out;
}

} // namespace mayorin::platform
