#include "protocol/converter_kind.h"

#include <algorithm>
#include <iterator>

namespace vexilo {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const char* KindName(Kind kind) {
    for (const KindIdentity& k : kKindIdentities) {
        if (k.kind == kind) {
            return k.name;
        }
    }
    return "other";  // a value outside the enumeration: the catch-all
}

std::optional<Kind> KindFromName(std::string_view name) {
    for (const KindIdentity& k : kKindIdentities) {
        const std::string_view known = k.name;
        if (std::equal(name.begin(), name.end(), known.begin(), known.end(),
                       [](char a, char b) { return Lower(a) == b; })) {
            return k.kind;
        }
    }
    return std::nullopt;
}

std::string KindNames(std::string_view separator, std::string_view lastSeparator) {
    std::string text;
    const std::size_t count = std::size(kKindIdentities);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            text += i + 1 == count ? lastSeparator : separator;
        }
        text += kKindIdentities[i].name;
    }
    return text;
}

}  // namespace vexilo
