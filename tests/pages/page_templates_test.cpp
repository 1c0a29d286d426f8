// The page templates as the pages use them: every control a page works with exists with the kind
// it expects, fits inside the page, and the groups and buddies its code relies on are in place.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "pages/adjust_page.h"
#include "pages/argb_dialog.h"
#include "pages/cvbs_dialog.h"
#include "pages/dev_dialog.h"
#include "pages/dvid_dialog.h"
#include "ui/dialog_template.h"

namespace vexilo {
namespace {

using ui::ControlKind;

constexpr int kClosedComboHeight = 12;  // dialog units, one line of text

struct Control {
    int id;
    ControlKind kind;
};

// What CDevDialog works with on every page.
const std::vector<Control> kCommon = {
    {IDC_WIDTH, ControlKind::Edit},          {IDC_HEIGHT, ControlKind::Edit},
    {IDC_FRAMERATE, ControlKind::Edit},      {IDC_SCAN, ControlKind::Edit},
    {IDC_FPGA_TEMP, ControlKind::Edit},      {IDC_MCU_TEMP, ControlKind::Edit},
    {IDC_VOLTAGE, ControlKind::Edit},        {IDC_AUTO_UPDATE, ControlKind::Check},
    {IDC_UPDATE, ControlKind::Button},       {IDC_OUTPUT_59I, ControlKind::Radio},
    {IDC_OUTPUT_59P, ControlKind::Radio},    {IDC_LEVEL_A, ControlKind::Radio},
    {IDC_LEVEL_B, ControlKind::Radio},       {IDC_SCALER_ALWAYS, ControlKind::Radio},
    {IDC_SCALER_SYNC, ControlKind::Radio},   {IDC_FPGA_VER, ControlKind::Static},
    {IDC_FIRMWARE_VER, ControlKind::Static}, {IDC_BOARD_REV, ControlKind::Static},
    {IDC_FACTORY, ControlKind::Button},      {IDC_ID_ENABLE, ControlKind::Check},
    {IDC_ID_DID, ControlKind::Combo},        {IDC_ID_SN, ControlKind::Edit},
    {IDC_ID_ID, ControlKind::Edit},          {IDC_ID_NAME, ControlKind::Edit},
    {IDC_ID_NOTE, ControlKind::Static},      {IDC_STATUS_TIME, ControlKind::Static},
};

// Each spin and the edit that is its buddy.
using SpinPair = std::array<int, 2>;

struct PageTemplate {
    int templateId;
    std::vector<Control> own;
    std::vector<SpinPair> spins;
    std::vector<int> groupStarts;  // first button of each radio group
};

const PageTemplate kPages[] = {
    {133,
     {{IDC_NO_CABLE_CHECK, ControlKind::Check}},
     {},
     {IDC_OUTPUT_59I, IDC_LEVEL_A, IDC_SCALER_ALWAYS}},
    {134,
     {{IDC_SYNC_RGB, ControlKind::Radio},
      {IDC_SYNC_RGBS, ControlKind::Radio},
      {IDC_SYNC_RGBHV, ControlKind::Radio},
      {IDC_SYNC_AUTO, ControlKind::Check},
      {IDC_OFFSET_AUTO, ControlKind::Check},
      {IDC_ADJUST_FACTORY, ControlKind::Button}},
     {{IDC_HPOS_SPIN, IDC_HPOS_EDIT},
      {IDC_VPOS_SPIN, IDC_VPOS_EDIT},
      {IDC_PHASE_SPIN, IDC_PHASE_EDIT},
      {IDC_GAIN_R_SPIN, IDC_GAIN_R_EDIT},
      {IDC_GAIN_G_SPIN, IDC_GAIN_G_EDIT},
      {IDC_GAIN_B_SPIN, IDC_GAIN_B_EDIT},
      {IDC_OFFSET_R_SPIN, IDC_OFFSET_R_EDIT},
      {IDC_OFFSET_G_SPIN, IDC_OFFSET_G_EDIT},
      {IDC_OFFSET_B_SPIN, IDC_OFFSET_B_EDIT}},
     {IDC_OUTPUT_59I, IDC_LEVEL_A, IDC_SCALER_ALWAYS, IDC_SYNC_RGB}},
    {135,
     {{IDC_ADJUST_FACTORY, ControlKind::Button}},
     {{IDC_BRIGHTNESS_SPIN, IDC_BRIGHTNESS_EDIT},
      {IDC_CONTRAST_SPIN, IDC_CONTRAST_EDIT},
      {IDC_HUE_SPIN, IDC_HUE_EDIT},
      {IDC_SATURATION_SPIN, IDC_SATURATION_EDIT}},
     {IDC_OUTPUT_59I, IDC_LEVEL_A, IDC_SCALER_ALWAYS}},
};

TEST(PageTemplates, HoldEveryControlThePagesUseAndEachFits) {
    for (const PageTemplate& page : kPages) {
        const auto dlg = ui::LoadDialogTemplate(page.templateId);
        ASSERT_TRUE(dlg) << page.templateId;
        EXPECT_EQ(dlg->style, ui::kDlgChild) << page.templateId;
        std::vector<Control> used = kCommon;
        used.insert(used.end(), page.own.begin(), page.own.end());
        for (const SpinPair& spin : page.spins) {
            used.push_back({spin[0], ControlKind::UpDown});
            used.push_back({spin[1], ControlKind::Edit});
        }
        for (const Control& want : used) {
            const ui::ControlTemplate* c = dlg->Find(want.id);
            ASSERT_NE(c, nullptr) << "template " << page.templateId << " lacks " << want.id;
            EXPECT_EQ(c->kind, want.kind) << page.templateId << "/" << want.id;
        }
        for (const ui::ControlTemplate& c : dlg->controls) {
            // A combo box's height includes its open list, which may reach past the page.
            const int cy = c.kind == ControlKind::Combo ? kClosedComboHeight : c.cy;
            EXPECT_TRUE(c.x >= 0 && c.y >= 0 && c.x + c.cx <= dlg->cx && c.y + cy <= dlg->cy)
                << page.templateId << "/" << c.id << " lies outside the page";
        }
        // A spin takes the edit created just before it as its buddy, and writes numbers into it.
        for (const SpinPair& spin : page.spins) {
            const ui::ControlTemplate* updown = dlg->Find(spin[0]);
            ASSERT_GT(updown - dlg->controls.data(), 0);
            EXPECT_EQ((updown - 1)->id, spin[1]) << page.templateId << "/" << spin[0];
            EXPECT_TRUE(updown->Has(ui::kAutoBuddy | ui::kSetBuddyInt | ui::kArrowKeys));
            EXPECT_TRUE((updown - 1)->Has(ui::kReadOnly));
        }
        for (int start : page.groupStarts) {
            EXPECT_TRUE(dlg->Find(start)->Has(ui::kGroupStart)) << page.templateId << "/" << start;
        }
        EXPECT_TRUE(dlg->Find(IDC_UPDATE)->Has(ui::kDefault)) << page.templateId;
        EXPECT_TRUE(dlg->Find(IDC_ID_DID)->Has(ui::kDropDownList)) << "a DID is chosen, not typed";
        // The ID function group stands at the same place on every page.
        const ui::ControlTemplate* name = dlg->Find(IDC_ID_NAME);
        EXPECT_EQ((std::array{name->x, name->y, name->cx, name->cy}),
                  (std::array{296, 205, 132, 12}));
    }
}

}  // namespace
}  // namespace vexilo
