#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ember/ber.h"

// The Glow tree a provider serves (nodes, parameters, functions), its BER encoding, and the
// decoding of what consumers send into flat, path-addressed requests.
namespace vexilo::ember {

// A Glow value: null, integer, real, string or boolean.
using Value = std::variant<std::monostate, std::int64_t, double, std::string, bool>;

enum class ParameterType : std::uint8_t {
    kNull = 0,
    kInteger = 1,
    kReal = 2,
    kString = 3,
    kBoolean = 4,
    kTrigger = 5,
    kEnum = 6,
    kOctets = 7,
};

enum class Access : std::uint8_t { kNone = 0, kRead = 1, kWrite = 2, kReadWrite = 3 };

struct TupleItem {
    ParameterType type = ParameterType::kString;
    std::string name;
};

struct InvokeResult {
    bool success = true;
    std::vector<Value> values;  // in the order of the function's result description
};

using Path = std::vector<std::uint32_t>;

class Element {
public:
    enum class Type { kNode, kParameter, kFunction };

    Element(Type type, std::uint32_t number, std::string identifier, std::string description)
        : type(type),
          number(number),
          identifier(std::move(identifier)),
          description(std::move(description)) {}

    Type type;
    std::uint32_t number;
    std::string identifier;
    std::string description;
    Element* parent = nullptr;
    std::vector<std::unique_ptr<Element>> children;

    // Node.
    bool online = true;

    // Parameter.
    ParameterType parameterType = ParameterType::kNull;
    Access access = Access::kRead;
    Value value;
    Value minimum;  // monostate: none
    Value maximum;
    std::string enumeration;  // entries separated by '\n', for kEnum
    std::string format;       // e.g. "%.1f°C"
    // A consumer's new value; the provider answers with `value` afterwards, changed or not.
    std::function<void(Element&, const Value&)> onSet;

    // Function.
    std::vector<TupleItem> arguments;
    std::vector<TupleItem> result;
    std::function<InvokeResult(Element&, const std::vector<Value>&)> onInvoke;

    Path GetPath() const;
    Element* Child(std::uint32_t childNumber) const;
    Element* ChildNamed(std::string_view name) const;
    // Adds a child numbered after the last one.
    Element& Add(Type childType, std::string childIdentifier, std::string childDescription);
};

// The root of a tree: not an element of its own; its children are the top-level elements.
class Tree {
public:
    Tree() : m_root(Element::Type::kNode, 0, "", "") {}
    Element& Root() { return m_root; }
    const Element& Root() const { return m_root; }
    // The element at `path`; the root for an empty path; nullptr when there is none.
    Element* Find(std::span<const std::uint32_t> path);

private:
    Element m_root;
};

// ---- Encoding (provider to consumer) ----

// Which parts of an element go into a message.
enum class Fields {
    kAll,    // every field of the contents
    kValue,  // a parameter's value and type; a node's identifier, description and online flag
    kNone,   // number or path only
};

// One element as Glow: qualified (with its path) or by number, its contents, and optionally its
// children (by number, with their full contents).
Bytes EncodeElement(const Element& element, bool qualified, Fields fields, bool withChildren);
// A Root message holding the given elements.
Bytes EncodeRoot(std::span<const Bytes> elements);
// A Root message holding an invocation result.
Bytes EncodeInvocationResult(std::int32_t invocationId, const InvokeResult& result);

// ---- Decoding (consumer to provider) ----

struct Request {
    enum class Kind { kGetDirectory, kSubscribe, kUnsubscribe, kInvoke, kSetValue };
    Kind kind = Kind::kGetDirectory;
    Path path;  // of the element the request is about; empty: the root
    Value value;
    std::optional<std::int32_t> invocationId;
    std::vector<Value> arguments;
};

// What one consumer message may ask: the served tree is four levels deep, and a panel's page
// of subscriptions is far below this many requests. More is refused, so that a small hostile
// message cannot make the decoder copy a long path thousands of times.
inline constexpr std::size_t kMaxPathLength = 16;
inline constexpr std::size_t kMaxRequests = 512;

// The requests of one Glow message; nothing when it is not a well-formed Glow root. Elements
// that carry no request (a consumer echoing contents) and unknown element kinds are skipped.
std::optional<std::vector<Request>> DecodeRequests(std::span<const std::uint8_t> glow);

// Value of a BER-encoded universal element; nothing for a type Glow values do not have.
std::optional<Value> DecodeValue(const Tlv& tlv);

}  // namespace vexilo::ember
