#include "TextEncoder.h"

#include <memory>
#include <stdexcept>
#include <type_traits>

#include <iconv.h>

namespace {

struct IconvClose {
    void operator()(iconv_t converter) const { iconv_close(converter); }
};
using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvClose>;

} // namespace

std::string TextEncoder::fromUtf8(std::string_view text, const std::string &charset) {
    if (charset == "UTF-8")
        return std::string(text);
    // glibc's converters are the ones libxml2 decodes with, so what goes out reads back alike.
    const iconv_t opened = iconv_open(charset.c_str(), "UTF-8");
    if (opened == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("unknown charset " + charset);
    const Converter converter(opened);
    std::string encoded(text.size() + 4, '\0'); // these charsets never need more bytes than UTF-8
    char *in = const_cast<char *>(text.data());
    size_t inLeft = text.size();
    char *out = encoded.data();
    size_t outLeft = encoded.size();
    if (iconv(converter.get(), &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1))
        throw std::runtime_error("text cannot be written in " + charset + " at byte " +
                                 std::to_string(text.size() - inLeft));
    encoded.resize(encoded.size() - outLeft);
    return encoded;
}
