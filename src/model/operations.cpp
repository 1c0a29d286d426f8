#include "model/operations.h"

#include <algorithm>

namespace vexilo::model {

namespace {

bool ValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= text.size()) {
            return false;  // cut short
        }
        for (int k = 1; k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

}  // namespace

std::optional<Assignment> ParseAssignment(const KindModel& kind, std::string_view text,
                                          std::string& error) {
    const auto eq = text.find('=');
    if (eq == std::string_view::npos || eq == 0) {
        error = "'" + std::string(text) + "': expected NAME=VALUE";
        return std::nullopt;
    }
    const std::string_view name = text.substr(0, eq);
    const Setting* setting = kind.Find(name);
    if (setting == nullptr) {
        std::string names;
        for (const Setting& s : kind.settings) {
            if (s.writable) {
                names += (names.empty() ? "" : ", ") + std::string(s.name);
            }
        }
        error = "'" + std::string(name) + "' is not a setting of " + kind.Name() +
                " converters (settings: " + names + ")";
        return std::nullopt;
    }
    if (!setting->writable) {
        error = std::string(setting->name) + " is shown only; it cannot be set";
        return std::nullopt;
    }
    const auto value = ParseValue(*setting, text.substr(eq + 1), error);
    if (!value) {
        return std::nullopt;
    }
    return Assignment{setting, *value};
}

std::optional<IdChanges> CheckIdChanges(const std::optional<std::string>& enable,
                                        const std::optional<std::string>& did,
                                        const std::optional<std::string>& sn,
                                        const std::optional<std::string>& id,
                                        const std::optional<std::string>& name,
                                        std::string& error) {
    IdChanges changes;
    if (enable) {
        if (*enable == "on") {
            changes.enabled = true;
        } else if (*enable == "off") {
            changes.enabled = false;
        } else {
            error = "--enable: '" + *enable + "' is not allowed (allowed: on|off)";
            return std::nullopt;
        }
    }
    if (did) {
        changes.did = ParseDid(*did);
        if (!changes.did) {
            error = "--did: '" + *did + "' is not allowed (allowed: 0x50..0x5F)";
            return std::nullopt;
        }
    }
    if (sn) {
        if (!sn->empty() && FilterSnDigits(*sn) != *sn) {
            error = "--sn: '" + *sn + "' is not allowed (allowed: 1 to 8 digits, or empty)";
            return std::nullopt;
        }
        changes.sn = PadSn(*sn);
    }
    if (id) {
        const std::string filtered = FilterIdText(*id);
        if (filtered.size() != id->size()) {
            error = "--id: '" + *id +
                    "' is not allowed (allowed: up to 16 of A-Z, 0-9 and _; a-z are taken as "
                    "A-Z)";
            return std::nullopt;
        }
        changes.id = filtered;
    }
    if (name) {
        // A NUL would cut the stored Name short; other control characters are no text either.
        const bool control = std::any_of(name->begin(), name->end(), [](char ch) {
            return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F;
        });
        if (control || !ValidUtf8(*name) || LimitNameUtf8(*name).size() != name->size()) {
            error =
                "--name: not allowed (allowed: UTF-8 text of at most 80 bytes, no control "
                "characters)";
            return std::nullopt;
        }
        changes.name = *name;
    }
    return changes;
}

IdFields MergeIdChanges(const IdFields& current, const IdChanges& changes, std::uint8_t series,
                        Kind kind) {
    IdFields merged = current;
    if (merged.did < kIdDidMin || merged.did > kIdDidMax) {
        merged.did = kIdDidDefault;  // shown as 0x5F, and stored as shown
    }
    if (changes.enabled) {
        merged.enabled = *changes.enabled;
    }
    if (changes.did) {
        merged.did = *changes.did;
    }
    if (changes.sn) {
        merged.sn = *changes.sn;
        // The page fills ID and Name from a new SN while the operator has not written either.
        if (!changes.id && !changes.name && current.id.empty() && current.name.empty() &&
            !changes.sn->empty()) {
            const std::string fill = AutoFillText(series, kind, *changes.sn);
            merged.id = FilterIdText(fill);
            merged.name = LimitNameUtf8(fill);
        }
    }
    if (changes.id) {
        merged.id = *changes.id;
    }
    if (changes.name) {
        merged.name = *changes.name;
    }
    merged.model = MakeModelName(series, kind);
    return merged;
}

}  // namespace vexilo::model
