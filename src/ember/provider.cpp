#include "ember/provider.h"

namespace vexilo::ember {

bool Provider::Handle(int consumer, std::span<const std::uint8_t> glow) {
    auto requests = DecodeRequests(glow);
    if (!requests) {
        return false;
    }
    for (const ember::Request& r : *requests) {
        Request(consumer, r);
    }
    return true;
}

void Provider::Forget(int consumer) {
    m_watch.erase(consumer);
}

bool Provider::Watches(const Watch& w, const Element& e) const {
    return w.subscribed.count(&e) != 0 || w.directories.count(&e) != 0 ||
           (e.parent != nullptr && w.directories.count(e.parent) != 0);
}

int Provider::Watchers(const Element& element) const {
    int n = 0;
    for (const auto& [id, w] : m_watch) {
        n += Watches(w, element) ? 1 : 0;
    }
    return n;
}

void Provider::Notify(std::span<const Element* const> elements, Fields fields, int except) {
    for (const auto& [id, w] : m_watch) {
        if (id == except) {
            continue;
        }
        std::vector<Bytes> items;
        for (const Element* e : elements) {
            if (Watches(w, *e)) {
                items.push_back(EncodeElement(*e, true, fields, false));
            }
        }
        if (!items.empty()) {
            m_send(id, EncodeRoot(items));
        }
    }
}

void Provider::Added(const Element& element) {
    if (element.parent == nullptr) {
        return;
    }
    const Element& parent = *element.parent;
    for (const auto& [id, w] : m_watch) {
        if (w.directories.count(&parent) == 0) {
            continue;
        }
        Bytes item;
        if (parent.parent == nullptr) {
            item = EncodeElement(element, false, Fields::kAll, false);
        } else {
            // The parent by path, holding the new child by number.
            Bytes seq;
            AppendContextRelativeOid(seq, 0, parent.GetPath());
            Bytes collection;
            AppendTlv(collection, Context(0), EncodeElement(element, false, Fields::kAll, false));
            Bytes wrapped;
            AppendTlv(wrapped, Application(4), collection);
            AppendTlv(seq, Context(2), wrapped);
            AppendTlv(item, Application(parent.type == Element::Type::kNode ? 10 : 9), seq);
        }
        const Bytes one[] = {item};
        m_send(id, EncodeRoot(one));
    }
}

void Provider::Request(int consumer, const ember::Request& r) {
    Watch& w = m_watch[consumer];
    Element* e = m_tree.Find(r.path);
    if (r.kind == ember::Request::Kind::kInvoke) {
        InvokeResult result{false, {}};
        if (e != nullptr && e->type == Element::Type::kFunction && e->onInvoke) {
            result = e->onInvoke(*e, r.arguments);
        }
        m_send(consumer, EncodeInvocationResult(r.invocationId.value_or(0), result));
        return;
    }
    if (e == nullptr) {
        return;  // an unknown path gets no answer, as consumers expect of a provider
    }
    switch (r.kind) {
        case ember::Request::Kind::kGetDirectory: {
            w.directories.insert(e);
            // The root's children by number, any other node's by path, each on its own
            // (consumers that expand a tree read the children at the top of the answer). An
            // element without children answers with itself.
            std::vector<Bytes> items;
            for (const auto& child : e->children) {
                items.push_back(EncodeElement(*child, e->parent != nullptr, Fields::kAll, false));
            }
            if (items.empty() && e->parent != nullptr) {
                items.push_back(EncodeElement(*e, true, Fields::kAll, false));
            }
            m_send(consumer, EncodeRoot(items));
            break;
        }
        case ember::Request::Kind::kSubscribe:
            w.subscribed.insert(e);
            break;
        case ember::Request::Kind::kUnsubscribe:
            w.subscribed.erase(e);
            w.directories.erase(e);
            break;
        case ember::Request::Kind::kSetValue: {
            if (e->type != Element::Type::kParameter) {
                return;
            }
            const Value before = e->value;
            if ((static_cast<int>(e->access) & static_cast<int>(Access::kWrite)) != 0 && e->onSet) {
                e->onSet(*e, r.value);
            }
            // The answer is the value now held, whether the new one was taken or refused.
            const Bytes one[] = {EncodeElement(*e, true, Fields::kValue, false)};
            m_send(consumer, EncodeRoot(one));
            if (!(e->value == before)) {
                const Element* changed[] = {e};
                Notify(changed, Fields::kValue, consumer);
            }
            break;
        }
        case ember::Request::Kind::kInvoke:
            break;
    }
}

}  // namespace vexilo::ember
