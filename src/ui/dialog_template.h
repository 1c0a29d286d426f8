#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexilo::ui {

enum class ControlKind { Group, Static, Edit, Button, Check, Radio, Combo, UpDown, Tab };

// Style flags of a control, as the templates name them.
enum ControlStyle : unsigned {
    kReadOnly = 1u << 0,
    kCenter = 1u << 1,
    kRight = 1u << 2,
    kGroupStart = 1u << 3,
    kDefault = 1u << 4,
    kHidden = 1u << 5,
    kDisabled = 1u << 6,
    kTabStop = 1u << 7,
    kNoTabStop = 1u << 8,
    kAuto = 1u << 9,
    kDropDownList = 1u << 10,
    kVScroll = 1u << 11,
    kAutoHScroll = 1u << 12,
    kAutoBuddy = 1u << 13,
    kSetBuddyInt = 1u << 14,
    kArrowKeys = 1u << 15,
};

inline constexpr int kNoId = -1;

struct ControlTemplate {
    ControlKind kind = ControlKind::Static;
    int id = kNoId;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::string caption;               // UTF-8
    unsigned style = 0;

    bool Has(unsigned flag) const { return (style & flag) != 0; }
};

enum DialogStyle : unsigned {
    kDlgChild = 1u << 0,
    kDlgPopup = 1u << 1,
    kDlgVisible = 1u << 2,
    kDlgCaption = 1u << 3,
    kDlgModalFrame = 1u << 4,
    kDlgAppWindow = 1u << 5,
};

struct DialogTemplate {
    int id = 0;
    int cx = 0, cy = 0;  // dialog units
    unsigned style = 0;
    std::string caption;
    int pointSize = 9;
    std::vector<std::string> fontFamilies;  // first choice first
    std::vector<ControlTemplate> controls;

    const ControlTemplate* Find(int controlId) const;
};

// Parses the text form of a template (res/dialogs/README.md). On error returns nothing and,
// when `error` is given, says which line is wrong and why.
std::optional<DialogTemplate> ParseDialogTemplate(std::string_view text,
                                                  std::string* error = nullptr);

// The translation context of a template's captions: "Template <id>".
std::string TranslationContext(int templateId);
// Replaces every caption by its translation into the installed language.
void TranslateCaptions(DialogTemplate& dlg);

// The text of embedded template `templateId` (res/dialogs/<id>.dlg); false when the program holds
// no such template.
bool ReadDialogTemplateText(int templateId, std::string& text);

// The template with this ID from the program's embedded templates, captions translated, or
// nothing.
std::optional<DialogTemplate> LoadDialogTemplate(int templateId, std::string* error = nullptr);

}  // namespace vexilo::ui
