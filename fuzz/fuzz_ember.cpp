// Bytes a consumer sends, through the S101 decoder, the Glow request decoder and a provider.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ember/glow.h"
#include "ember/provider.h"
#include "ember/s101.h"

using namespace vexilo::ember;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Tree tree = [] {
        Tree t;
        Element& node = t.Root().Add(Element::Type::kNode, "n", "");
        Element& p = node.Add(Element::Type::kParameter, "p", "");
        p.parameterType = ParameterType::kInteger;
        p.access = Access::kReadWrite;
        p.value = std::int64_t{1};
        p.onSet = [](Element& e, const Value& v) { e.value = v; };
        Element& f = node.Add(Element::Type::kFunction, "f", "");
        f.onInvoke = [](Element&, const std::vector<Value>& args) {
            return InvokeResult{true, args};
        };
        return t;
    }();
    Provider provider(tree, [](int, const Bytes& glow) {
        // What the provider sends must decode again.
        if (!DecodeRequests(glow)) {
            __builtin_trap();
        }
    });
    // Raw Glow, and the same bytes as an S101 stream.
    provider.Handle(1, {data, size});
    S101Decoder decoder;
    std::vector<S101Event> events;
    decoder.Feed({data, size}, events);
    for (const S101Event& e : events) {
        provider.Handle(1, e.glow);
    }
    return 0;
}
