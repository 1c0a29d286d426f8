#include "pages/argb_dialog.h"

#include "discovery/devices.h"
#include "ui/tr.h"

namespace vexilo {

namespace {

using Control = Binding::Control;

constexpr Binding kRgbBindings[] = {
    {"hpos", Control::kSpin, {IDC_HPOS_SPIN, IDC_HPOS_EDIT, 0}},
    {"vpos", Control::kSpin, {IDC_VPOS_SPIN, IDC_VPOS_EDIT, 0}},
    {"phase", Control::kSpin, {IDC_PHASE_SPIN, IDC_PHASE_EDIT, 0}},
    {"gain_r", Control::kSpin, {IDC_GAIN_R_SPIN, IDC_GAIN_R_EDIT, 0}},
    {"gain_g", Control::kSpin, {IDC_GAIN_G_SPIN, IDC_GAIN_G_EDIT, 0}},
    {"gain_b", Control::kSpin, {IDC_GAIN_B_SPIN, IDC_GAIN_B_EDIT, 0}},
    {"offset_r", Control::kSpin, {IDC_OFFSET_R_SPIN, IDC_OFFSET_R_EDIT, 0}},
    {"offset_g", Control::kSpin, {IDC_OFFSET_G_SPIN, IDC_OFFSET_G_EDIT, 0}},
    {"offset_b", Control::kSpin, {IDC_OFFSET_B_SPIN, IDC_OFFSET_B_EDIT, 0}},
    {"sync_type", Control::kRadio, {IDC_SYNC_RGB, IDC_SYNC_RGBS, IDC_SYNC_RGBHV}, false},
    {"sync_auto", Control::kCheck, {IDC_SYNC_AUTO, 0, 0}},
    {"offset_auto", Control::kCheck, {IDC_OFFSET_AUTO, 0, 0}},
};

const model::KindModel& RgbModel() {
    return model::KindOf(Kind::Rgb);
}

}  // namespace

CArgbDialog::CArgbDialog() : CAdjustPage(RgbModel(), kRgbBindings) {}

const ui::MessageMap& CArgbDialog::ThisMessageMap() {
    static const ui::MessageMap map{&CDevDialog::ThisMessageMap(),
                                    MapEntries(RgbModel(), kRgbBindings)};
    return map;
}

std::string CArgbDialog::ShownOnlyTip() const {
    return ui::Tr("CArgbDialog", "コンバーターの同期信号自動判別の設定を表示します（変更不可）");
}

}  // namespace vexilo
