#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The subset of BER (X.690) that Ember+ Glow uses: identifiers, definite and indefinite lengths,
// and the primitive types of Glow values. Decoding never trusts a length or a nesting depth.
namespace vexilo::ember {

using Bytes = std::vector<std::uint8_t>;

enum class TagClass : std::uint8_t { kUniversal = 0, kApplication = 1, kContext = 2, kPrivate = 3 };

struct Tag {
    TagClass cls = TagClass::kUniversal;
    bool constructed = false;
    std::uint32_t number = 0;

    bool operator==(const Tag&) const = default;
};

// Universal tag numbers Glow uses.
enum : std::uint32_t {
    kBoolean = 1,
    kInteger = 2,
    kOctetString = 4,
    kNull = 5,
    kReal = 9,
    kUtf8String = 12,
    kRelativeOid = 13,
    kSequence = 16,
    kSet = 17,
};

inline Tag Universal(std::uint32_t number, bool constructed = false) {
    return {TagClass::kUniversal, constructed, number};
}
inline Tag Application(std::uint32_t number) {
    return {TagClass::kApplication, true, number};
}
inline Tag Context(std::uint32_t number) {
    return {TagClass::kContext, true, number};
}

// ---- Encoding (definite lengths, shortest forms) ----

void AppendTag(Bytes& out, Tag tag);
void AppendLength(Bytes& out, std::size_t length);
void AppendTlv(Bytes& out, Tag tag, std::span<const std::uint8_t> content);

Bytes IntegerContent(std::int64_t value);
Bytes RealContent(double value);
Bytes RelativeOidContent(std::span<const std::uint32_t> path);

// A universal primitive wrapped in an explicit context tag: [n] { value }.
void AppendContextInteger(Bytes& out, std::uint32_t context, std::int64_t value);
void AppendContextString(Bytes& out, std::uint32_t context, std::string_view text);
void AppendContextBoolean(Bytes& out, std::uint32_t context, bool value);
void AppendContextReal(Bytes& out, std::uint32_t context, double value);
void AppendContextRelativeOid(Bytes& out, std::uint32_t context,
                              std::span<const std::uint32_t> path);

// ---- Decoding ----

// One element: its tag and the bytes of its content (for an indefinite length, without the
// end-of-contents octets).
struct Tlv {
    Tag tag;
    std::span<const std::uint8_t> content;
};

// Nesting deeper than this is refused (a consumer's message is a few levels deep).
inline constexpr int kMaxDepth = 32;

// Reads consecutive elements of `data`.
class BerReader {
public:
    explicit BerReader(std::span<const std::uint8_t> data, int depth = 0)
        : m_data(data), m_depth(depth) {}

    bool AtEnd() const { return m_pos >= m_data.size(); }
    // The next element; nothing when the bytes are not well-formed BER (the reader then stays
    // failed).
    std::optional<Tlv> Next();
    bool Failed() const { return m_failed; }
    // A reader of a constructed element's content, one level deeper.
    BerReader Inner(const Tlv& tlv) const { return BerReader(tlv.content, m_depth + 1); }
    int Depth() const { return m_depth; }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;
    int m_depth = 0;
    bool m_failed = false;
};

std::optional<std::int64_t> DecodeInteger(std::span<const std::uint8_t> content);
std::optional<double> DecodeReal(std::span<const std::uint8_t> content);
std::optional<bool> DecodeBoolean(std::span<const std::uint8_t> content);
std::optional<std::vector<std::uint32_t>> DecodeRelativeOid(std::span<const std::uint8_t> content);
std::string DecodeString(std::span<const std::uint8_t> content);

// The single universal element inside an explicit context tag's content.
std::optional<Tlv> Unwrap(const BerReader& outer, const Tlv& context);

}  // namespace vexilo::ember
