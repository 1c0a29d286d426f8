#include "model/id_rules.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/converter_model.h"

namespace vexilo::model {

namespace {

// Writes `bytes` and a terminating zero into a field of `size` bytes; false when it does not fit.
bool PutField(IdBlock& block, int offset, int size, const std::string& bytes) {
    if (bytes.size() + 1 > static_cast<std::size_t>(size)) {
        return false;
    }
    std::memcpy(block.data() + offset, bytes.data(), bytes.size());
    block[offset + bytes.size()] = 0;
    return true;
}

std::string FieldBytes(const IdBlock& block, int offset, int max) {
    return FieldText(block.data() + offset, static_cast<std::size_t>(max));
}

}  // namespace

bool IdFunctionSupported(std::uint8_t series, std::uint16_t fpgaVersion) {
    return series != 0xFF && fpgaVersion >= kIdMinFpga && FpgaKnown(fpgaVersion);
}

std::string MakeModelName(std::uint8_t series, Kind kind) {
    const char* part = KindOf(kind).idModelPart;
    if (part == nullptr) {
        return {};
    }
    return std::string(series != 0 ? "KTP" : "KTQ") + "-" + part + "-SDI";
}

std::string FilterSnDigits(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (out.size() >= static_cast<std::size_t>(kSnDigits)) {
            break;
        }
        if (c >= '0' && c <= '9') {
            out += c;
        }
    }
    return out;
}

std::string PadSn(std::string_view text) {
    const std::string digits = FilterSnDigits(text);
    if (digits.empty()) {
        return digits;
    }
    return std::string(kSnDigits - digits.size(), '0') + digits;
}

std::string FilterIdText(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (out.size() >= static_cast<std::size_t>(kIdChars)) {
            break;
        }
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') {
            out += c;
        }
    }
    return out;
}

std::string LimitNameUtf8(std::string_view text) {
    std::string out(text);
    while (out.size() > static_cast<std::size_t>(kNameBytes)) {
        // Drop the last character: its continuation bytes, then its lead byte.
        while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) {
            out.pop_back();
        }
        if (!out.empty()) {
            out.pop_back();
        }
    }
    return out;
}

std::string AutoFillText(std::uint8_t series, Kind kind, std::string_view sn) {
    std::string base = MakeModelName(series, kind);
    if (base.size() >= 4 && base.compare(base.size() - 4, 4, "-SDI") == 0) {
        base.resize(base.size() - 4);
    }
    std::erase(base, '-');
    if (base.empty()) {
        return {};
    }
    return base + "_" + PadSn(sn);
}

std::string DidText(std::uint8_t did) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X",
                  did >= kIdDidMin && did <= kIdDidMax ? did : kIdDidDefault);
    return text;
}

std::optional<std::uint8_t> ParseDid(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    const auto last = text.find_last_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string s(text.substr(first, last - first + 1));
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(s.c_str(), &end, 0);
    if (errno != 0 || end != s.c_str() + s.size() || value < kIdDidMin || value > kIdDidMax) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

IdFields IdFieldsOf(const IdBlock& block) {
    IdFields f;
    f.enabled = block[kIdOffEnable] != 0;
    f.did = block[kIdOffDid];
    f.sn = FieldBytes(block, kIdOffSerial, kIdSerialMax);
    f.model = FieldBytes(block, kIdOffModel, kIdModelMax);
    f.id = FieldBytes(block, kIdOffId, kIdIdMax);
    f.name = FieldBytes(block, kIdOffName, kIdNameMax);
    return f;
}

IdBlockError ComposeIdBlock(const IdFields& fields, IdBlock& block) {
    IdBlock out{};
    out[kIdOffEnable] = fields.enabled ? 1 : 0;
    out[kIdOffDid] = fields.did;
    if (!PutField(out, kIdOffSerial, kIdOffModel - kIdOffSerial, fields.sn) ||
        !PutField(out, kIdOffModel, kIdOffId - kIdOffModel, fields.model) ||
        !PutField(out, kIdOffId, kIdOffName - kIdOffId, fields.id) ||
        !PutField(out, kIdOffName, kIdBlockSize - kIdOffName, fields.name)) {
        return IdBlockError::kTooLong;
    }
    std::array<std::uint8_t, kIdRecordMax> record{};
    std::uint16_t length = 0;
    if (!EncodeIdRecord(out, record, length)) {
        return IdBlockError::kInvalid;
    }
    block = out;
    return IdBlockError::kNone;
}

}  // namespace vexilo::model
