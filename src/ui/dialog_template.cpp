#include "ui/dialog_template.h"

#include <array>
#include <charconv>
#include <system_error>
#include <utility>

#include "ui/tr.h"

namespace vexilo::ui {

namespace {

struct Named {
    const char* name;
    unsigned value;
};

constexpr std::array<Named, 16> kControlFlags{{
    {"readonly", kReadOnly},
    {"center", kCenter},
    {"right", kRight},
    {"group", kGroupStart},
    {"default", kDefault},
    {"hidden", kHidden},
    {"disabled", kDisabled},
    {"tabstop", kTabStop},
    {"notab", kNoTabStop},
    {"auto", kAuto},
    {"dropdownlist", kDropDownList},
    {"vscroll", kVScroll},
    {"autohscroll", kAutoHScroll},
    {"autobuddy", kAutoBuddy},
    {"setbuddyint", kSetBuddyInt},
    {"arrowkeys", kArrowKeys},
}};

constexpr std::array<Named, 6> kDialogFlags{{
    {"child", kDlgChild},
    {"popup", kDlgPopup},
    {"visible", kDlgVisible},
    {"caption", kDlgCaption},
    {"modalframe", kDlgModalFrame},
    {"appwindow", kDlgAppWindow},
}};

constexpr std::array<std::pair<const char*, ControlKind>, 9> kKinds{{
    {"group", ControlKind::Group},
    {"static", ControlKind::Static},
    {"edit", ControlKind::Edit},
    {"button", ControlKind::Button},
    {"check", ControlKind::Check},
    {"radio", ControlKind::Radio},
    {"combo", ControlKind::Combo},
    {"updown", ControlKind::UpDown},
    {"tab", ControlKind::Tab},
}};

struct Token {
    std::string text;
    bool quoted = false;
};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Splits a line into words and "quoted strings"; false on an unterminated quote.
bool Tokenize(std::string_view line, std::vector<Token>& out) {
    out.clear();
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        if (IsSpace(line[i])) {
            ++i;
            continue;
        }
        Token t;
        if (line[i] == '"') {
            const std::size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos) {
                return false;
            }
            t.text = std::string(line.substr(i + 1, end - i - 1));
            t.quoted = true;
            i = end + 1;
        } else {
            std::size_t end = i;
            while (end < n && !IsSpace(line[end])) {
                ++end;
            }
            t.text = std::string(line.substr(i, end - i));
            i = end;
        }
        out.push_back(std::move(t));
    }
    return true;
}

// A whole decimal number with an optional sign.
bool ToInt(const Token& t, int& value) {
    if (t.quoted || t.text.empty()) {
        return false;
    }
    const char* first = t.text.data();
    const char* last = first + t.text.size();
    if (*first == '+' && last - first > 1 && first[1] != '-') {
        ++first;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last;
}

template <std::size_t N>
bool LookUpFlag(const std::array<Named, N>& table, const std::string& word, unsigned& flags) {
    for (const Named& f : table) {
        if (word == f.name) {
            flags |= f.value;
            return true;
        }
    }
    return false;
}

}  // namespace

std::string TranslationContext(int templateId) {
    return "Template " + std::to_string(templateId);
}

void TranslateCaptions(DialogTemplate& dlg) {
    const std::string context = TranslationContext(dlg.id);
    auto translate = [&context](std::string& caption) {
        if (!caption.empty()) {
            caption = Tr(context.c_str(), caption.c_str());
        }
    };
    translate(dlg.caption);
    for (ControlTemplate& c : dlg.controls) {
        translate(c.caption);
    }
}

const ControlTemplate* DialogTemplate::Find(int controlId) const {
    for (const ControlTemplate& c : controls) {
        if (c.id == controlId && controlId != kNoId) {
            return &c;
        }
    }
    return nullptr;
}

std::optional<DialogTemplate> ParseDialogTemplate(std::string_view text, std::string* error) {
    DialogTemplate dlg;
    bool haveHeader = false;
    std::vector<Token> tok;
    auto fail = [&](int lineNo, const std::string& why) -> std::optional<DialogTemplate> {
        if (error != nullptr) {
            *error = "line " + std::to_string(lineNo) + ": " + why;
        }
        return std::nullopt;
    };
    int lineNo = 0;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t newline = text.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        const std::string_view line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        ++lineNo;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (!Tokenize(line, tok)) {
            return fail(lineNo, "unterminated quote");
        }
        const std::string& head = tok[0].text;
        if (head == "dialog") {
            if (tok.size() < 4 || !ToInt(tok[1], dlg.id) || !ToInt(tok[2], dlg.cx) ||
                !ToInt(tok[3], dlg.cy) || dlg.cx <= 0 || dlg.cy <= 0) {
                return fail(lineNo, "expected: dialog <id> <cx> <cy> <style>...");
            }
            for (std::size_t k = 4; k < tok.size(); ++k) {
                if (!LookUpFlag(kDialogFlags, tok[k].text, dlg.style)) {
                    return fail(lineNo, "unknown dialog style " + tok[k].text);
                }
            }
            haveHeader = true;
            continue;
        }
        if (!haveHeader) {
            return fail(lineNo, "the first item must be the dialog line");
        }
        if (head == "caption") {
            if (tok.size() != 2 || !tok[1].quoted) {
                return fail(lineNo, "expected: caption \"<text>\"");
            }
            dlg.caption = tok[1].text;
            continue;
        }
        if (head == "font") {
            if (tok.size() < 3 || !ToInt(tok[1], dlg.pointSize) || dlg.pointSize <= 0) {
                return fail(lineNo, "expected: font <points> \"<face>\"...");
            }
            dlg.fontFamilies.clear();
            for (std::size_t k = 2; k < tok.size(); ++k) {
                dlg.fontFamilies.push_back(tok[k].text);
            }
            continue;
        }
        ControlTemplate c;
        bool known = false;
        for (const auto& [name, kind] : kKinds) {
            if (head == name) {
                c.kind = kind;
                known = true;
            }
        }
        if (!known) {
            return fail(lineNo, "unknown item " + head);
        }
        if (tok.size() < 7 || !ToInt(tok[1], c.id) || !ToInt(tok[2], c.x) || !ToInt(tok[3], c.y) ||
            !ToInt(tok[4], c.cx) || !ToInt(tok[5], c.cy) || !tok[6].quoted) {
            return fail(lineNo, "expected: <kind> <id> <x> <y> <cx> <cy> \"<caption>\"");
        }
        if (c.id < kNoId || c.cx < 0 || c.cy < 0) {
            return fail(lineNo, "negative ID or size");
        }
        if (c.id != kNoId && dlg.Find(c.id) != nullptr) {
            return fail(lineNo, "duplicate control ID " + std::to_string(c.id));
        }
        c.caption = tok[6].text;
        for (std::size_t k = 7; k < tok.size(); ++k) {
            if (!LookUpFlag(kControlFlags, tok[k].text, c.style)) {
                return fail(lineNo, "unknown control flag " + tok[k].text);
            }
        }
        dlg.controls.push_back(std::move(c));
    }
    if (!haveHeader) {
        return fail(0, "no dialog line");
    }
    return dlg;
}

std::optional<DialogTemplate> LoadDialogTemplate(int templateId, std::string* error) {
    std::string text;
    if (!ReadDialogTemplateText(templateId, text)) {
        if (error != nullptr) {
            *error = "no dialog template " + std::to_string(templateId);
        }
        return std::nullopt;
    }
    auto dlg = ParseDialogTemplate(text, error);
    if (dlg && dlg->id != templateId) {
        if (error != nullptr) {
            *error = "template file " + std::to_string(templateId) + " declares ID " +
                     std::to_string(dlg->id);
        }
        return std::nullopt;
    }
    if (dlg) {
        TranslateCaptions(*dlg);
    }
    return dlg;
}

}  // namespace vexilo::ui
