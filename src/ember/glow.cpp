#include "ember/glow.h"

#include <algorithm>
#include <cstdint>

namespace vexilo::ember {

namespace {

// Application tags of Glow.
enum : std::uint32_t {
    kAppRoot = 0,
    kAppParameter = 1,
    kAppCommand = 2,
    kAppNode = 3,
    kAppElementCollection = 4,
    kAppQualifiedParameter = 9,
    kAppQualifiedNode = 10,
    kAppRootElementCollection = 11,
    kAppMatrix = 13,
    kAppQualifiedMatrix = 17,
    kAppFunction = 19,
    kAppQualifiedFunction = 20,
    kAppTupleItemDescription = 21,
    kAppInvocation = 22,
    kAppInvocationResult = 23,
};

// Command numbers.
enum : std::int64_t {
    kCommandSubscribe = 30,
    kCommandUnsubscribe = 31,
    kCommandGetDirectory = 32,
    kCommandInvoke = 33,
};

Bytes Wrap(Tag tag, const Bytes& content) {
    Bytes out;
    AppendTlv(out, tag, content);
    return out;
}

void AppendContextValue(Bytes& out, std::uint32_t context, const Value& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        AppendContextInteger(out, context, *i);
    } else if (const auto* r = std::get_if<double>(&value)) {
        AppendContextReal(out, context, *r);
    } else if (const auto* s = std::get_if<std::string>(&value)) {
        AppendContextString(out, context, *s);
    } else if (const auto* b = std::get_if<bool>(&value)) {
        AppendContextBoolean(out, context, *b);
    } else {
        Bytes null;
        AppendTlv(null, Universal(kNull), {});
        AppendTlv(out, Context(context), null);
    }
}

Bytes TupleDescription(std::span<const TupleItem> items) {
    Bytes seq;
    for (const TupleItem& item : items) {
        Bytes fields;
        AppendContextInteger(fields, 0, static_cast<std::int64_t>(item.type));
        AppendContextString(fields, 1, item.name);
        AppendTlv(seq, Context(0), Wrap(Application(kAppTupleItemDescription), fields));
    }
    return Wrap(Universal(kSequence, true), seq);
}

Bytes Contents(const Element& e, Fields fields) {
    Bytes set;
    switch (e.type) {
        case Element::Type::kNode:
            // Identifier and description go with the online flag: some consumers take a
            // contents update as a whole.
            AppendContextString(set, 0, e.identifier);
            AppendContextString(set, 1, e.description);
            AppendContextBoolean(set, 3, e.online);
            break;
        case Element::Type::kParameter:
            if (fields == Fields::kAll) {
                AppendContextString(set, 0, e.identifier);
                AppendContextString(set, 1, e.description);
            }
            // No value yet (not read): left out, as a null is not understood everywhere.
            if ((fields == Fields::kAll || fields == Fields::kValue) &&
                !std::holds_alternative<std::monostate>(e.value)) {
                AppendContextValue(set, 2, e.value);
            }
            if (fields == Fields::kAll) {
                if (!std::holds_alternative<std::monostate>(e.minimum)) {
                    AppendContextValue(set, 3, e.minimum);
                }
                if (!std::holds_alternative<std::monostate>(e.maximum)) {
                    AppendContextValue(set, 4, e.maximum);
                }
                AppendContextInteger(set, 5, static_cast<std::int64_t>(e.access));
                if (!e.format.empty()) {
                    AppendContextString(set, 6, e.format);
                }
                if (!e.enumeration.empty()) {
                    AppendContextString(set, 7, e.enumeration);
                }
            }
            // The type goes with every value, for the same reason.
            AppendContextInteger(set, 13, static_cast<std::int64_t>(e.parameterType));
            break;
        case Element::Type::kFunction:
            if (fields == Fields::kAll) {
                AppendContextString(set, 0, e.identifier);
                AppendContextString(set, 1, e.description);
                AppendTlv(set, Context(2), TupleDescription(e.arguments));
                AppendTlv(set, Context(3), TupleDescription(e.result));
            }
            break;
    }
    return Wrap(Universal(kSet, true), set);
}

std::uint32_t AppTag(Element::Type type, bool qualified) {
    switch (type) {
        case Element::Type::kNode:
            return qualified ? kAppQualifiedNode : kAppNode;
        case Element::Type::kParameter:
            return qualified ? kAppQualifiedParameter : kAppParameter;
        case Element::Type::kFunction:
            return qualified ? kAppQualifiedFunction : kAppFunction;
    }
    return kAppNode;
}

}  // namespace

Path Element::GetPath() const {
    Path path;
    for (const Element* e = this; e->parent != nullptr; e = e->parent) {
        path.push_back(e->number);
    }
    std::reverse(path.begin(), path.end());
    return path;
}

Element* Element::Child(std::uint32_t childNumber) const {
    for (const auto& c : children) {
        if (c->number == childNumber) {
            return c.get();
        }
    }
    return nullptr;
}

Element* Element::ChildNamed(std::string_view name) const {
    for (const auto& c : children) {
        if (c->identifier == name) {
            return c.get();
        }
    }
    return nullptr;
}

Element& Element::Add(Type childType, std::string childIdentifier, std::string childDescription) {
    const std::uint32_t next = children.empty() ? 1 : children.back()->number + 1;
    children.push_back(std::make_unique<Element>(childType, next, std::move(childIdentifier),
                                                 std::move(childDescription)));
    children.back()->parent = this;
    return *children.back();
}

Element* Tree::Find(std::span<const std::uint32_t> path) {
    Element* e = &m_root;
    for (std::uint32_t n : path) {
        e = e->Child(n);
        if (e == nullptr) {
            return nullptr;
        }
    }
    return e;
}

Bytes EncodeElement(const Element& element, bool qualified, Fields fields, bool withChildren) {
    Bytes seq;
    if (qualified) {
        const Path path = element.GetPath();
        AppendContextRelativeOid(seq, 0, path);
    } else {
        AppendContextInteger(seq, 0, element.number);
    }
    if (fields != Fields::kNone) {
        AppendTlv(seq, Context(1), Contents(element, fields));
    }
    if (withChildren && !element.children.empty()) {
        Bytes collection;
        for (const auto& child : element.children) {
            AppendTlv(collection, Context(0), EncodeElement(*child, false, Fields::kAll, false));
        }
        AppendTlv(seq, Context(2), Wrap(Application(kAppElementCollection), collection));
    }
    return Wrap(Application(AppTag(element.type, qualified)), seq);
}

Bytes EncodeRoot(std::span<const Bytes> elements) {
    Bytes collection;
    for (const Bytes& e : elements) {
        AppendTlv(collection, Context(0), e);
    }
    return Wrap(Application(kAppRoot), Wrap(Application(kAppRootElementCollection), collection));
}

Bytes EncodeInvocationResult(std::int32_t invocationId, const InvokeResult& result) {
    Bytes seq;
    AppendContextInteger(seq, 0, invocationId);
    AppendContextBoolean(seq, 1, result.success);
    Bytes tuple;
    for (const Value& v : result.values) {
        AppendContextValue(tuple, 0, v);
    }
    AppendTlv(seq, Context(2), Wrap(Universal(kSequence, true), tuple));
    return Wrap(Application(kAppRoot), Wrap(Application(kAppInvocationResult), seq));
}

// ---- Decoding ----

std::optional<Value> DecodeValue(const Tlv& tlv) {
    if (tlv.tag.cls != TagClass::kUniversal || tlv.tag.constructed) {
        return std::nullopt;
    }
    switch (tlv.tag.number) {
        case kInteger:
            if (auto v = DecodeInteger(tlv.content)) {
                return Value(*v);
            }
            return std::nullopt;
        case kReal:
            if (auto v = DecodeReal(tlv.content)) {
                return Value(*v);
            }
            return std::nullopt;
        case kUtf8String:
        case kOctetString:
            return Value(DecodeString(tlv.content));
        case kBoolean:
            if (auto v = DecodeBoolean(tlv.content)) {
                return Value(*v);
            }
            return std::nullopt;
        case kNull:
            return Value();
        default:
            return std::nullopt;
    }
}

namespace {

bool IsContext(const Tlv& tlv, std::uint32_t number) {
    return tlv.tag.cls == TagClass::kContext && tlv.tag.number == number && tlv.tag.constructed;
}
bool IsApplication(const Tlv& tlv, std::uint32_t number) {
    return tlv.tag.cls == TagClass::kApplication && tlv.tag.number == number && tlv.tag.constructed;
}

class Decoder {
public:
    std::vector<Request> requests;

    // Elements of a RootElementCollection or an ElementCollection: [0] { element } ...
    bool Collection(BerReader& reader, const Path& parent) {
        while (auto item = reader.Next()) {
            if (!IsContext(*item, 0)) {
                continue;
            }
            BerReader inner = reader.Inner(*item);
            auto element = inner.Next();
            if (!element || !ElementTlv(inner, *element, parent)) {
                return false;
            }
        }
        return !reader.Failed();
    }

private:
    bool ElementTlv(const BerReader& outer, const Tlv& tlv, const Path& parent) {
        if (tlv.tag.cls != TagClass::kApplication || !tlv.tag.constructed) {
            return true;  // not an element Glow knows here
        }
        const std::uint32_t app = tlv.tag.number;
        if (app == kAppCommand) {
            return Command(outer, tlv, parent);
        }
        const bool qualified = app == kAppQualifiedParameter || app == kAppQualifiedNode ||
                               app == kAppQualifiedFunction || app == kAppQualifiedMatrix;
        const bool numbered =
            app == kAppParameter || app == kAppNode || app == kAppFunction || app == kAppMatrix;
        if (!qualified && !numbered) {
            return true;
        }
        const bool parameter = app == kAppParameter || app == kAppQualifiedParameter;
        BerReader fields = outer.Inner(tlv);
        std::optional<Path> path;
        std::optional<Tlv> contents;
        std::optional<Tlv> children;
        while (auto f = fields.Next()) {
            if (IsContext(*f, 0)) {
                auto inner = Unwrap(fields, *f);
                if (!inner) {
                    return false;
                }
                if (qualified && inner->tag.number == kRelativeOid) {
                    auto oid = DecodeRelativeOid(inner->content);
                    if (!oid || oid->size() > kMaxPathLength) {
                        return false;
                    }
                    path = std::move(*oid);
                } else if (numbered && inner->tag.number == kInteger) {
                    auto n = DecodeInteger(inner->content);
                    if (!n || *n < 0 || *n > 0xFFFFFFFFLL || parent.size() >= kMaxPathLength) {
                        return false;
                    }
                    path = parent;
                    path->push_back(static_cast<std::uint32_t>(*n));
                } else {
                    return false;
                }
            } else if (IsContext(*f, 1)) {
                contents = *f;
            } else if (IsContext(*f, 2)) {
                children = *f;
            }
        }
        if (fields.Failed() || !path) {
            return false;
        }
        if (parameter && contents) {
            if (!SetValue(fields, *contents, *path)) {
                return false;
            }
        }
        if (children) {
            BerReader c = fields.Inner(*children);
            auto collection = c.Next();
            if (!collection || !IsApplication(*collection, kAppElementCollection)) {
                return false;
            }
            BerReader items = c.Inner(*collection);
            return Collection(items, *path);
        }
        return true;
    }

    // A parameter's contents carrying a value is a set request.
    bool SetValue(const BerReader& outer, const Tlv& contents, const Path& path) {
        BerReader r = outer.Inner(contents);
        auto set = r.Next();
        if (!set || set->tag != Universal(kSet, true)) {
            return false;
        }
        BerReader fields = r.Inner(*set);
        while (auto f = fields.Next()) {
            if (IsContext(*f, 2)) {
                auto inner = Unwrap(fields, *f);
                auto value = inner ? DecodeValue(*inner) : std::nullopt;
                if (!value) {
                    return false;
                }
                if (requests.size() >= kMaxRequests) {
                    return false;
                }
                Request req;
                req.kind = Request::Kind::kSetValue;
                req.path = path;
                req.value = std::move(*value);
                requests.push_back(std::move(req));
            }
        }
        return !fields.Failed();
    }

    bool Command(const BerReader& outer, const Tlv& tlv, const Path& parent) {
        if (requests.size() >= kMaxRequests) {
            return false;
        }
        BerReader fields = outer.Inner(tlv);
        Request req;
        req.path = parent;
        std::optional<std::int64_t> number;
        while (auto f = fields.Next()) {
            if (IsContext(*f, 0)) {
                auto inner = Unwrap(fields, *f);
                if (!inner || inner->tag.number != kInteger) {
                    return false;
                }
                number = DecodeInteger(inner->content);
            } else if (IsContext(*f, 2)) {
                if (!Invocation(fields, *f, req)) {
                    return false;
                }
            }
        }
        if (fields.Failed() || !number) {
            return false;
        }
        switch (*number) {
            case kCommandSubscribe:
                req.kind = Request::Kind::kSubscribe;
                break;
            case kCommandUnsubscribe:
                req.kind = Request::Kind::kUnsubscribe;
                break;
            case kCommandGetDirectory:
                req.kind = Request::Kind::kGetDirectory;
                break;
            case kCommandInvoke:
                req.kind = Request::Kind::kInvoke;
                break;
            default:
                return true;  // a command this provider does not know: ignored
        }
        requests.push_back(std::move(req));
        return true;
    }

    bool Invocation(const BerReader& outer, const Tlv& context, Request& req) {
        BerReader r = outer.Inner(context);
        auto inv = r.Next();
        if (!inv || !IsApplication(*inv, kAppInvocation)) {
            return false;
        }
        BerReader fields = r.Inner(*inv);
        while (auto f = fields.Next()) {
            if (IsContext(*f, 0)) {
                auto inner = Unwrap(fields, *f);
                auto id = inner && inner->tag.number == kInteger ? DecodeInteger(inner->content)
                                                                 : std::nullopt;
                // The answer carries the ID back as 32 bits: a larger one would come back as
                // another.
                if (!id || *id < INT32_MIN || *id > INT32_MAX) {
                    return false;
                }
                req.invocationId = static_cast<std::int32_t>(*id);
            } else if (IsContext(*f, 1)) {
                BerReader t = fields.Inner(*f);
                auto seq = t.Next();
                if (!seq || seq->tag != Universal(kSequence, true)) {
                    return false;
                }
                BerReader items = t.Inner(*seq);
                while (auto item = items.Next()) {
                    auto inner = IsContext(*item, 0) ? Unwrap(items, *item) : std::nullopt;
                    auto value = inner ? DecodeValue(*inner) : std::nullopt;
                    if (!value) {
                        return false;
                    }
                    req.arguments.push_back(std::move(*value));
                }
                if (items.Failed()) {
                    return false;
                }
            }
        }
        return !fields.Failed();
    }
};

}  // namespace

std::optional<std::vector<Request>> DecodeRequests(std::span<const std::uint8_t> glow) {
    BerReader reader(glow);
    auto root = reader.Next();
    if (!root || !IsApplication(*root, kAppRoot)) {
        return std::nullopt;
    }
    BerReader inner = reader.Inner(*root);
    auto collection = inner.Next();
    if (!collection) {
        return std::nullopt;
    }
    Decoder decoder;
    if (IsApplication(*collection, kAppRootElementCollection)) {
        BerReader items = inner.Inner(*collection);
        if (!decoder.Collection(items, {})) {
            return std::nullopt;
        }
    }
    return std::move(decoder.requests);
}

}  // namespace vexilo::ember
