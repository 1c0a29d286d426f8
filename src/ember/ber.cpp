#include "ember/ber.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace vexilo::ember {

void AppendTag(Bytes& out, Tag tag) {
    const auto lead = static_cast<std::uint8_t>((static_cast<unsigned>(tag.cls) << 6) |
                                                (tag.constructed ? 0x20 : 0x00));
    if (tag.number < 31) {
        out.push_back(static_cast<std::uint8_t>(lead | tag.number));
        return;
    }
    out.push_back(static_cast<std::uint8_t>(lead | 0x1F));
    std::uint8_t groups[5];
    int n = 0;
    std::uint32_t v = tag.number;
    do {
        groups[n++] = static_cast<std::uint8_t>(v & 0x7F);
        v >>= 7;
    } while (v != 0);
    while (n-- > 0) {
        out.push_back(static_cast<std::uint8_t>(groups[n] | (n > 0 ? 0x80 : 0x00)));
    }
}

void AppendLength(Bytes& out, std::size_t length) {
    if (length < 0x80) {
        out.push_back(static_cast<std::uint8_t>(length));
        return;
    }
    std::uint8_t bytes[sizeof(std::size_t)];
    int n = 0;
    for (std::size_t v = length; v != 0; v >>= 8) {
        bytes[n++] = static_cast<std::uint8_t>(v & 0xFF);
    }
    out.push_back(static_cast<std::uint8_t>(0x80 | n));
    while (n-- > 0) {
        out.push_back(bytes[n]);
    }
}

void AppendTlv(Bytes& out, Tag tag, std::span<const std::uint8_t> content) {
    AppendTag(out, tag);
    AppendLength(out, content.size());
    out.insert(out.end(), content.begin(), content.end());
}

Bytes IntegerContent(std::int64_t value) {
    Bytes bytes;
    for (int shift = 56; shift >= 0; shift -= 8) {
        bytes.push_back(
            static_cast<std::uint8_t>((static_cast<std::uint64_t>(value) >> shift) & 0xFF));
    }
    // Shortest two's complement: drop a leading byte that only repeats the next byte's sign.
    std::size_t first = 0;
    while (first + 1 < bytes.size() && ((bytes[first] == 0x00 && (bytes[first + 1] & 0x80) == 0) ||
                                        (bytes[first] == 0xFF && (bytes[first + 1] & 0x80) != 0))) {
        ++first;
    }
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(first), bytes.end());
}

Bytes RealContent(double value) {
    if (value == 0.0) {
        return std::signbit(value) ? Bytes{0x43} : Bytes{};
    }
    if (std::isnan(value)) {
        return {0x42};
    }
    if (std::isinf(value)) {
        return {static_cast<std::uint8_t>(value > 0 ? 0x40 : 0x41)};
    }
    // Binary form, base 2, as Ember+ writes it (unlike plain X.690): the exponent is that of the
    // mantissa's leading bit, which stands before the binary point; trailing zero bits dropped.
    int exp2 = 0;
    const double fraction = std::frexp(std::fabs(value), &exp2);  // [0.5, 1)
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int exponent = exp2 - 1;
    while ((mantissa & 1) == 0) {
        mantissa >>= 1;
    }
    const Bytes expBytes = IntegerContent(exponent);
    Bytes out;
    out.push_back(
        static_cast<std::uint8_t>(0x80 | (value < 0 ? 0x40 : 0x00) | (expBytes.size() - 1)));
    out.insert(out.end(), expBytes.begin(), expBytes.end());
    Bytes mant;
    for (std::uint64_t v = mantissa; v != 0; v >>= 8) {
        mant.insert(mant.begin(), static_cast<std::uint8_t>(v & 0xFF));
    }
    out.insert(out.end(), mant.begin(), mant.end());
    return out;
}

Bytes RelativeOidContent(std::span<const std::uint32_t> path) {
    Bytes out;
    for (std::uint32_t number : path) {
        std::uint8_t groups[5];
        int n = 0;
        std::uint32_t v = number;
        do {
            groups[n++] = static_cast<std::uint8_t>(v & 0x7F);
            v >>= 7;
        } while (v != 0);
        while (n-- > 0) {
            out.push_back(static_cast<std::uint8_t>(groups[n] | (n > 0 ? 0x80 : 0x00)));
        }
    }
    return out;
}

namespace {

void AppendWrapped(Bytes& out, std::uint32_t context, Tag inner,
                   std::span<const std::uint8_t> content) {
    Bytes tlv;
    AppendTlv(tlv, inner, content);
    AppendTlv(out, Context(context), tlv);
}

}  // namespace

void AppendContextInteger(Bytes& out, std::uint32_t context, std::int64_t value) {
    AppendWrapped(out, context, Universal(kInteger), IntegerContent(value));
}
void AppendContextString(Bytes& out, std::uint32_t context, std::string_view text) {
    AppendWrapped(out, context, Universal(kUtf8String),
                  {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}
void AppendContextBoolean(Bytes& out, std::uint32_t context, bool value) {
    const std::uint8_t byte = value ? 0xFF : 0x00;
    AppendWrapped(out, context, Universal(kBoolean), {&byte, 1});
}
void AppendContextReal(Bytes& out, std::uint32_t context, double value) {
    AppendWrapped(out, context, Universal(kReal), RealContent(value));
}
void AppendContextRelativeOid(Bytes& out, std::uint32_t context,
                              std::span<const std::uint32_t> path) {
    AppendWrapped(out, context, Universal(kRelativeOid), RelativeOidContent(path));
}

namespace {

// Parses one element at `pos`; on success `end` is the position after it (after the
// end-of-contents octets of an indefinite length).
bool ParseElement(std::span<const std::uint8_t> data, std::size_t pos, int depth, Tlv& tlv,
                  std::size_t& end) {
    if (depth > kMaxDepth || pos >= data.size()) {
        return false;
    }
    const std::uint8_t lead = data[pos++];
    tlv.tag.cls = static_cast<TagClass>(lead >> 6);
    tlv.tag.constructed = (lead & 0x20) != 0;
    tlv.tag.number = lead & 0x1F;
    if (tlv.tag.number == 0x1F) {
        std::uint32_t number = 0;
        for (int i = 0;; ++i) {
            if (pos >= data.size() || i == 4) {
                return false;
            }
            const std::uint8_t b = data[pos++];
            number = (number << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) {
                break;
            }
        }
        tlv.tag.number = number;
    }
    if (pos >= data.size()) {
        return false;
    }
    const std::uint8_t first = data[pos++];
    if (first == 0x80) {
        // Indefinite length: constructed only, content runs to the matching end-of-contents.
        if (!tlv.tag.constructed) {
            return false;
        }
        const std::size_t start = pos;
        while (true) {
            if (pos + 1 < data.size() && data[pos] == 0 && data[pos + 1] == 0) {
                tlv.content = data.subspan(start, pos - start);
                end = pos + 2;
                return true;
            }
            Tlv child;
            std::size_t childEnd = 0;
            if (!ParseElement(data, pos, depth + 1, child, childEnd)) {
                return false;
            }
            pos = childEnd;
        }
    }
    std::size_t length = first;
    if (first > 0x80) {
        const int count = first & 0x7F;
        if (count > 4) {
            return false;
        }
        length = 0;
        for (int i = 0; i < count; ++i) {
            if (pos >= data.size()) {
                return false;
            }
            length = (length << 8) | data[pos++];
        }
    }
    if (length > data.size() - pos) {
        return false;
    }
    tlv.content = data.subspan(pos, length);
    end = pos + length;
    return true;
}

}  // namespace

std::optional<Tlv> BerReader::Next() {
    if (m_failed || AtEnd()) {
        return std::nullopt;
    }
    Tlv tlv;
    std::size_t end = 0;
    if (!ParseElement(m_data, m_pos, m_depth, tlv, end)) {
        m_failed = true;
        return std::nullopt;
    }
    m_pos = end;
    return tlv;
}

std::optional<std::int64_t> DecodeInteger(std::span<const std::uint8_t> content) {
    if (content.empty() || content.size() > 8) {
        return std::nullopt;
    }
    std::uint64_t v = (content[0] & 0x80) ? ~std::uint64_t{0} : 0;
    for (std::uint8_t b : content) {
        v = (v << 8) | b;
    }
    return static_cast<std::int64_t>(v);
}

std::optional<double> DecodeReal(std::span<const std::uint8_t> content) {
    if (content.empty()) {
        return 0.0;
    }
    const std::uint8_t lead = content[0];
    if ((lead & 0x80) == 0) {
        if ((lead & 0x40) != 0) {
            switch (lead) {
                case 0x40:
                    return std::numeric_limits<double>::infinity();
                case 0x41:
                    return -std::numeric_limits<double>::infinity();
                case 0x42:
                    return std::numeric_limits<double>::quiet_NaN();
                case 0x43:
                    return -0.0;
                default:
                    return std::nullopt;
            }
        }
        // Decimal form (ISO 6093 text).
        const std::string text(content.begin() + 1, content.end());
        if (text.empty() || text.size() > 64) {
            return std::nullopt;
        }
        std::string normal = text;
        for (char& c : normal) {
            if (c == ',') {
                c = '.';
            }
        }
        char* endp = nullptr;
        const double v = std::strtod(normal.c_str(), &endp);
        if (endp == normal.c_str()) {
            return std::nullopt;
        }
        return v;
    }
    const bool negative = (lead & 0x40) != 0;
    if ((lead & 0x30) != 0) {
        return std::nullopt;  // base 8 or 16: Ember+ writes base 2 only
    }
    const int scale = (lead >> 2) & 0x03;
    std::size_t pos = 1;
    std::size_t expLength = static_cast<std::size_t>(lead & 0x03) + 1;
    if (expLength == 4) {
        if (content.size() < 2) {
            return std::nullopt;
        }
        expLength = content[1];
        pos = 2;
    }
    if (expLength == 0 || expLength > 8 || content.size() < pos + expLength) {
        return std::nullopt;
    }
    const auto exponent = DecodeInteger(content.subspan(pos, expLength));
    pos += expLength;
    const std::size_t mantLength = content.size() - pos;
    if (!exponent || mantLength > 7 || *exponent > 4096 || *exponent < -4096) {
        return std::nullopt;
    }
    std::uint64_t mantissa = 0;
    for (std::size_t i = pos; i < content.size(); ++i) {
        mantissa = (mantissa << 8) | content[i];
    }
    mantissa <<= scale;
    if (mantissa == 0) {
        return negative ? -0.0 : 0.0;
    }
    // The leading bit stands before the binary point (see RealContent).
    const int bits = static_cast<int>(std::bit_width(mantissa));
    const double v =
        std::ldexp(static_cast<double>(mantissa), static_cast<int>(*exponent) - (bits - 1));
    return negative ? -v : v;
}

std::optional<bool> DecodeBoolean(std::span<const std::uint8_t> content) {
    if (content.size() != 1) {
        return std::nullopt;
    }
    return content[0] != 0;
}

std::optional<std::vector<std::uint32_t>> DecodeRelativeOid(std::span<const std::uint8_t> content) {
    std::vector<std::uint32_t> path;
    std::uint32_t number = 0;
    int groups = 0;
    for (std::uint8_t b : content) {
        if (++groups > 5 || number > (0xFFFFFFFFu >> 7)) {
            return std::nullopt;  // a number beyond 32 bits would wrap into another element's
        }
        number = (number << 7) | (b & 0x7F);
        if ((b & 0x80) == 0) {
            path.push_back(number);
            number = 0;
            groups = 0;
        }
    }
    if (groups != 0) {
        return std::nullopt;
    }
    return path;
}

std::string DecodeString(std::span<const std::uint8_t> content) {
    return std::string(content.begin(), content.end());
}

std::optional<Tlv> Unwrap(const BerReader& outer, const Tlv& context) {
    if (!context.tag.constructed) {
        return std::nullopt;
    }
    BerReader inner = outer.Inner(context);
    auto tlv = inner.Next();
    if (!tlv || tlv->tag.cls != TagClass::kUniversal) {
        return std::nullopt;
    }
    return tlv;
}

}  // namespace vexilo::ember
