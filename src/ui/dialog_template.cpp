#include "ui/dialog_template.h"

#include <QCoreApplication>
#include <QFile>
#include <array>
#include <utility>

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
    QString text;
    bool quoted = false;
};

// Splits a line into words and "quoted strings"; false on an unterminated quote.
bool Tokenize(const QString& line, std::vector<Token>& out) {
    out.clear();
    int i = 0;
    const int n = static_cast<int>(line.size());
    while (i < n) {
        if (line[i].isSpace()) {
            ++i;
            continue;
        }
        Token t;
        if (line[i] == u'"') {
            const int end = static_cast<int>(line.indexOf(u'"', i + 1));
            if (end < 0) {
                return false;
            }
            t.text = line.mid(i + 1, end - i - 1);
            t.quoted = true;
            i = end + 1;
        } else {
            int end = i;
            while (end < n && !line[end].isSpace()) {
                ++end;
            }
            t.text = line.mid(i, end - i);
            i = end;
        }
        out.push_back(std::move(t));
    }
    return true;
}

bool ToInt(const Token& t, int& value) {
    if (t.quoted) {
        return false;
    }
    bool ok = false;
    value = t.text.toInt(&ok);
    return ok;
}

template <std::size_t N>
bool LookUpFlag(const std::array<Named, N>& table, const QString& word, unsigned& flags) {
    for (const Named& f : table) {
        if (word == QLatin1String(f.name)) {
            flags |= f.value;
            return true;
        }
    }
    return false;
}

}  // namespace

QByteArray TranslationContext(int templateId) {
    return QByteArrayLiteral("Template ") + QByteArray::number(templateId);
}

void TranslateCaptions(DialogTemplate& dlg) {
    const QByteArray context = TranslationContext(dlg.id);
    auto translate = [&context](QString& caption) {
        if (!caption.isEmpty()) {
            caption =
                QCoreApplication::translate(context.constData(), caption.toUtf8().constData());
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

std::optional<DialogTemplate> ParseDialogTemplate(const QString& text, QString* error) {
    DialogTemplate dlg;
    bool haveHeader = false;
    std::vector<Token> tok;
    const QStringList lines = text.split(u'\n');
    auto fail = [&](int lineNo, const QString& why) -> std::optional<DialogTemplate> {
        if (error != nullptr) {
            *error = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
        }
        return std::nullopt;
    };
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        if (!Tokenize(line, tok)) {
            return fail(lineNo, QStringLiteral("unterminated quote"));
        }
        const QString& head = tok[0].text;
        if (head == QLatin1String("dialog")) {
            if (tok.size() < 4 || !ToInt(tok[1], dlg.id) || !ToInt(tok[2], dlg.cx) ||
                !ToInt(tok[3], dlg.cy) || dlg.cx <= 0 || dlg.cy <= 0) {
                return fail(lineNo, QStringLiteral("expected: dialog <id> <cx> <cy> <style>..."));
            }
            for (std::size_t k = 4; k < tok.size(); ++k) {
                if (!LookUpFlag(kDialogFlags, tok[k].text, dlg.style)) {
                    return fail(lineNo, QStringLiteral("unknown dialog style ") + tok[k].text);
                }
            }
            haveHeader = true;
            continue;
        }
        if (!haveHeader) {
            return fail(lineNo, QStringLiteral("the first item must be the dialog line"));
        }
        if (head == QLatin1String("caption")) {
            if (tok.size() != 2 || !tok[1].quoted) {
                return fail(lineNo, QStringLiteral("expected: caption \"<text>\""));
            }
            dlg.caption = tok[1].text;
            continue;
        }
        if (head == QLatin1String("font")) {
            if (tok.size() < 3 || !ToInt(tok[1], dlg.pointSize) || dlg.pointSize <= 0) {
                return fail(lineNo, QStringLiteral("expected: font <points> \"<face>\"..."));
            }
            dlg.fontFamilies.clear();
            for (std::size_t k = 2; k < tok.size(); ++k) {
                dlg.fontFamilies << tok[k].text;
            }
            continue;
        }
        ControlTemplate c;
        bool known = false;
        for (const auto& [name, kind] : kKinds) {
            if (head == QLatin1String(name)) {
                c.kind = kind;
                known = true;
            }
        }
        if (!known) {
            return fail(lineNo, QStringLiteral("unknown item ") + head);
        }
        if (tok.size() < 7 || !ToInt(tok[1], c.id) || !ToInt(tok[2], c.x) || !ToInt(tok[3], c.y) ||
            !ToInt(tok[4], c.cx) || !ToInt(tok[5], c.cy) || !tok[6].quoted) {
            return fail(lineNo,
                        QStringLiteral("expected: <kind> <id> <x> <y> <cx> <cy> \"<caption>\""));
        }
        if (c.id < kNoId || c.cx < 0 || c.cy < 0) {
            return fail(lineNo, QStringLiteral("negative ID or size"));
        }
        if (c.id != kNoId && dlg.Find(c.id) != nullptr) {
            return fail(lineNo, QStringLiteral("duplicate control ID %1").arg(c.id));
        }
        c.caption = tok[6].text;
        for (std::size_t k = 7; k < tok.size(); ++k) {
            if (!LookUpFlag(kControlFlags, tok[k].text, c.style)) {
                return fail(lineNo, QStringLiteral("unknown control flag ") + tok[k].text);
            }
        }
        dlg.controls.push_back(std::move(c));
    }
    if (!haveHeader) {
        return fail(0, QStringLiteral("no dialog line"));
    }
    return dlg;
}

std::optional<DialogTemplate> LoadDialogTemplate(int templateId, QString* error) {
    QFile file(QStringLiteral(":/vexilo/dialogs/%1.dlg").arg(templateId));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error != nullptr) {
            *error = QStringLiteral("no dialog template %1").arg(templateId);
        }
        return std::nullopt;
    }
    auto dlg = ParseDialogTemplate(QString::fromUtf8(file.readAll()), error);
    if (dlg && dlg->id != templateId) {
        if (error != nullptr) {
            *error = QStringLiteral("template file %1 declares ID %2").arg(templateId).arg(dlg->id);
        }
        return std::nullopt;
    }
    if (dlg) {
        TranslateCaptions(*dlg);
    }
    return dlg;
}

}  // namespace vexilo::ui
