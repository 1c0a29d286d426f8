#pragma once

// The template and control IDs of the dialog templates in res/dialogs, which this layer embeds:
// what a resource.h is beside an .rc file. The pages and the main window name their controls
// with them; the templates' text files hold the same numbers.
namespace vexilo {

// Control IDs of the main window (template 102).
enum : int {
    IDD_VEXILO_DIALOG = 102,
    IDC_TAB = 1023,
    IDC_SAVE = 1066,
    IDC_DUMMY = 1056,
};

// Dialog templates of the model pages.
inline constexpr int IDD_DVI_PAGE = 133;
inline constexpr int IDD_RGB_PAGE = 134;
inline constexpr int IDD_NTSC_PAGE = 135;

// Page control IDs that the framework and the model pages share.
enum : int {
    IDC_OUTPUT_59I = 1000,
    IDC_OUTPUT_59P = 1001,
    IDC_SCALER_ALWAYS = 1002,
    IDC_SCALER_SYNC = 1003,
    IDC_LEVEL_A = 1005,
    IDC_LEVEL_B = 1006,
    IDC_FPGA_TEMP = 1008,
    IDC_VOLTAGE = 1009,
    IDC_MCU_TEMP = 1010,
    IDC_UPDATE = 1011,
    IDC_FRAMERATE = 1012,
    IDC_WIDTH = 1013,
    IDC_FIRMWARE_VER = 1014,
    IDC_HEIGHT = 1015,
    IDC_SCAN = 1016,
    IDC_BOARD_REV = 1017,
    IDC_FACTORY = 1018,
    IDC_AUTO_UPDATE = 1020,
    IDC_FPGA_VER = 1021,
    IDC_ID_ENABLE = 1060,
    IDC_ID_DID = 1061,
    IDC_ID_SN = 1062,
    IDC_ID_ID = 1064,
    IDC_ID_NAME = 1065,
    IDC_ID_NOTE = 1067,
    IDC_STATUS_TIME = 1068,  // when the status was last read
};

// Controls that both adjustment pages have.
enum : int {
    IDC_ADJUST_FACTORY = 1058,  // "調整値出荷時設定"
};

// Controls of the DVI page (template 133).
enum : int {
    IDC_NO_CABLE_CHECK = 1059,  // "+5V Cable Detectをチェックしない"
};

// Controls of the analog RGB page (template 134).
enum : int {
    IDC_SYNC_RGB = 1004,  // sync type radios 1004 / 1007 / 1019
    IDC_SYNC_RGBS = 1007,
    IDC_SYNC_RGBHV = 1019,
    IDC_HPOS_SPIN = 1024,
    IDC_HPOS_EDIT = 1025,
    IDC_VPOS_SPIN = 1026,
    IDC_VPOS_EDIT = 1027,
    IDC_GAIN_R_SPIN = 1028,
    IDC_GAIN_R_EDIT = 1029,
    IDC_GAIN_G_SPIN = 1030,
    IDC_GAIN_G_EDIT = 1031,
    IDC_GAIN_B_SPIN = 1032,
    IDC_GAIN_B_EDIT = 1033,
    IDC_OFFSET_R_SPIN = 1035,
    IDC_OFFSET_R_EDIT = 1036,
    IDC_OFFSET_G_SPIN = 1037,
    IDC_OFFSET_G_EDIT = 1038,
    IDC_OFFSET_B_SPIN = 1039,
    IDC_OFFSET_B_EDIT = 1040,
    IDC_OFFSET_AUTO = 1041,
    IDC_PHASE_SPIN = 1042,
    IDC_PHASE_EDIT = 1043,
    IDC_SYNC_AUTO = 1044,
};

// Controls of the composite page (template 135).
enum : int {
    IDC_BRIGHTNESS_EDIT = 1048,
    IDC_CONTRAST_EDIT = 1049,
    IDC_HUE_EDIT = 1050,
    IDC_BRIGHTNESS_SPIN = 1051,
    IDC_CONTRAST_SPIN = 1052,
    IDC_HUE_SPIN = 1053,
    IDC_SATURATION_EDIT = 1054,
    IDC_SATURATION_SPIN = 1055,
};

}  // namespace vexilo
