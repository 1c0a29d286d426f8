#include "pages/cvbs_dialog.h"

#include "discovery/devices.h"

namespace vexilo {

namespace {

using Control = Binding::Control;

constexpr Binding kCvbsBindings[] = {
    {"brightness", Control::kSpin, {IDC_BRIGHTNESS_SPIN, IDC_BRIGHTNESS_EDIT, 0}},
    {"contrast", Control::kSpin, {IDC_CONTRAST_SPIN, IDC_CONTRAST_EDIT, 0}},
    {"hue", Control::kSpin, {IDC_HUE_SPIN, IDC_HUE_EDIT, 0}},
    {"saturation", Control::kSpin, {IDC_SATURATION_SPIN, IDC_SATURATION_EDIT, 0}},
};

const model::KindModel& CvbsModel() {
    return model::KindOf(Kind::Ntsc);
}

}  // namespace

CCvbsDialog::CCvbsDialog() : CAdjustPage(CvbsModel(), kCvbsBindings) {}

const ui::MessageMap& CCvbsDialog::ThisMessageMap() {
    static const ui::MessageMap map{&CDevDialog::ThisMessageMap(),
                                    MapEntries(CvbsModel(), kCvbsBindings)};
    return map;
}

}  // namespace vexilo
