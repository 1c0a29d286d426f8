#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexilo {

// The kinds of converter the panel tells apart; a converter's record (CDevLink) keeps its kind.
enum class Kind : std::uint8_t { Other = 0, Dvi = 1, Rgb = 2, Ntsc = 3 };

// What the layers below the model tell a kind by: its name (settings files, the command line,
// VEXILO_PORTS) and its own USB product ID. Every product ID of the family that no row claims is
// Other's. The model's row of each kind (model/converter_model.cpp) says what the kind means.
struct KindIdentity {
    Kind kind;
    const char* name;
    std::uint16_t productId;  // 0: none of its own
};

// One row per kind, in the order messages list them; Other, the catch-all, comes last.
inline constexpr KindIdentity kKindIdentities[] = {
    {Kind::Dvi, "dvi", 0x0021},
    {Kind::Rgb, "rgb", 0x0022},
    {Kind::Ntsc, "ntsc", 0x0023},
    {Kind::Other, "other", 0},
};

// "dvi", "rgb", "ntsc", "other".
const char* KindName(Kind kind);
// The kind called `name`, in any case; nothing for another name.
std::optional<Kind> KindFromName(std::string_view name);
// Every kind's name in row order: "dvi, rgb, ntsc or other" for (", ", " or ").
std::string KindNames(std::string_view separator, std::string_view lastSeparator);

}  // namespace vexilo
