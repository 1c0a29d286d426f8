#pragma once

#include <string>
#include <vector>

#include "ui/dialog_template.h"
#include "ui/dialog_units.h"
#include "ui/geometry.h"

namespace vexilo::ui {

// Group box title placement, shared by the toolkit that draws it and the fit rule.
inline constexpr int kGroupTitleLeft = 6;
inline constexpr int kGroupTitlePadding = 2;

// The dialog font and units a window and the pages inside it are built with.
struct DialogLayout {
    FontSpec font;
    BaseUnits units;
};

// Measured by the toolkit's backend, as it draws the controls:
// The caption's advance in `font`, without its mnemonic marks ("&S" draws as an underlined S).
int CaptionAdvance(const FontSpec& font, const std::string& caption);
// Pixels a control of this kind needs beside its caption: the check box or radio indicator and
// its spacing, a push button's margins and frame, a group box's title inset and frame, an edit's
// frame and margins.
int CaptionDecoration(ControlKind kind);
// The room a top-level window's client area has on the primary screen: its available area less
// an allowance for the title bar and frame. Unbounded where no real screen limits the window
// (pictures drawn off screen).
Size AvailableClientArea();

// True for a control whose caption the fit rule must fit: a visible kind with a caption.
bool HasFittedCaption(const ControlTemplate& c);

// The units at which every visible caption of `tpl` fits its control in `font`: the vertical
// unit is the font's, the horizontal one the font's own or, when a caption needs more, the
// smallest that gives every control room. Positions scale alike, so proportions and alignment
// stay as the template has them.
BaseUnits FittingUnits(const DialogTemplate& tpl, const FontSpec& font);

// The client area on a screen whose available area is `screen` (in device-independent pixels).
Size ClientAreaOn(Size screen);

// The layout for a window of template `windowTpl` that hosts dialogs of `inner` templates: one
// horizontal unit that fits every caption of all of them; when that window would not fit
// `available` (the screen area less the window frame), the dialog font shrinks step by step,
// down to three quarters of its size (still easy to read), until it does. A window that is
// still too large gives up part of its tab control, whose page area scrolls
// (Dialog::ShrinkInto), and only beyond that scrolls as a whole (Dialog::DoModal).
DialogLayout FitLayout(const DialogTemplate& windowTpl,
                       const std::vector<const DialogTemplate*>& inner, Size available);

}  // namespace vexilo::ui
