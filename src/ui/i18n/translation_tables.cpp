#include "ui/i18n/translation_tables.h"

#include "lang/lang.h"

#include <cstring>

namespace zmt {

const TranslationRow kMainFormTranslation[] = {
    {"MainForm_SpeedButtonUpdateDevice_Hint", NC_("tool button", "Firmware update")},
    {"MainForm_SpeedButtonReadConfig_Hint", N_("Open the device configuration file")},
    {"MainForm_SpeedButtonWriteConfig_Hint", N_("Save device configuration file")},
    {"MainForm_SpeedButtonReadDevice_Hint", N_("Read configuration from the device")},
    {"MainForm_SpeedButtonWriteDevice_Hint", NC_("tool button", "Write configuration to the device")},
    {"MainForm_SpeedButtonToDefault_Hint", N_("Reset the device configuration to its default state")},
    {"MainForm_SpeedButtonReset_Hint", N_("Reset device")},
    {"MainForm_PanelMenu_Hint", N_("Select Options from the menu after clicking the right mouse button")},
    {"MainForm_TabSheetMonitoring_Caption", N_("Monitoring")},
    {"MainForm_TabSheetParameters_Caption", N_("Parameters")},
    {"MainForm_GroupBoxKeys_Caption", N_(" Buttons ")},
    {"MainForm_GroupBoxEvent_Caption", N_(" Event ")},
    {"MainForm_SpeedButtonIRGET_Hint", N_("Get the code from the IR receiver")},
    {"MainForm_PanelEventEvent_Caption", N_("Event")},
    {"MainForm_CheckBoxEventOnce_Caption", N_("One time only")},
    {"MainForm_CheckBoxEventOnce_Hint", N_("Only a single responce")},
    {"MainForm_CheckBoxEventWakeUp_Caption", N_("Wake Up")},
    {"MainForm_CheckBoxEventWakeUp_Hint", N_("Wake up when that event occurs")},
    {"MainForm_PanelKeyModText_Caption", N_("Modifier")},
    {"MainForm_PanelKeyText_Caption", N_("Button")},
    {"MainForm_PanelKeyIRCODEText_Caption", N_("IR code")},
    {"MainForm_GroupBoxReaction_Caption", N_(" Response ")},
    {"MainForm_SpeedButtonGetIRSend_Hint", N_("Get the code from the IR receiver for the reaction")},
    {"MainForm_GroupBoxKeySetup_Caption", N_(" Buttons ")},
    {"MainForm_SpeedButtonKeysSetup_Hint", N_("Button settings")},
    {"MainForm_Label_PAR_LongTO_Descripion_Caption", N_("Long tap >")},
    {"MainForm_Label_PAR_LongTO_MSEC_Caption", N_("mSec")},
    {"MainForm_GroupBoxTouch_Caption", N_(" Touch panel ")},
    {"MainForm_SpeedButtonTouchSetup_Hint", N_("Touchpanel and corners settings")},
    {"MainForm_PanelHOMEText_Caption", N_("Button HOME:")},
    {"MainForm_Panel2_Caption", N_("Mode")},
    {"MainForm_ComboBoxTouchMode_Caption", N_("Disabled\r\nOnly external touch\r\nIntercept - 0V\r\nIntercept - 5V\r\n")},
    {"MainForm_CheckBoxWindows_Caption", N_("Windows")},
    {"MainForm_CheckBoxWindows_Hint", N_("Support for Windows touchpanel")},
    {"MainForm_CheckBoxTouchWakeUp_Caption", N_("Wake Up")},
    {"MainForm_CheckBoxTouchWakeUp_Hint", N_("To wake up when you press the touchpanel")},
    {"MainForm_CheckBoxTouchDXY_Caption", N_("Offset 10% when setting")},
    {"MainForm_CheckBoxTouchDXY_Hint", N_("Setting corners touchpanel with an offset of 10%")},
    {"MainForm_CheckBox5lines_Caption", N_("5 lines")},
    {"MainForm_CheckBox5lines_Hint", N_("5 lines touch panel")},
    {"MainForm_GroupBoxEncoder1Setup_Caption", N_(" Encoder 1 ")},
    {"MainForm_PanelEncoder1DivText_Caption", N_("Divisor")},
    {"MainForm_ComboBoxEditEncoder1Mode_Caption", N_("Disabled\r\npins RXD/TXD\r\npins Touch12\r\npins Touch34\r\npins Keys12\r\n")},
    {"MainForm_PanelEncoder1ModeText_Caption", N_("Mode")},
    {"MainForm_GroupBoxEncoder2Setup_Caption", N_(" Encoder 2 ")},
    {"MainForm_PanelEncoder2ModeText_Caption", N_("Mode")},
    {"MainForm_PanelEncoder2DivText_Caption", N_("Divisor")},
    {"MainForm_ComboBoxEditEncoder2Mode_Caption", N_("Disabled\r\npins RXD/TXD\r\npins Touch12\r\npins Touch34\r\npins Keys12\r\n")},
    {"MainForm_GroupBoxHEAD_Caption", N_(" Head Unit ")},
    {"MainForm_ComboBoxHEADTYPE_Caption", N_("Disabled\r\nALPINE\r\nKENWOOD type 1\r\nPIONEER type 1\r\nPIONEER type 2\r\nKENWOOD type "
                                             "2\r\n")},
    {"MainForm_PanelHEADTYPEText_Caption", N_("Type")},
    {"MainForm_MenuItemDebug_Caption", N_("Debug")},
    {"MainForm_MenuItemLog_Caption", N_("Communication log")},
    {"MainForm_MenuItemDevice_Caption", NC_("menu", "Device log")},
    {"", ""},
};

const TranslationRow kFormKeyBoardTranslation[] = {
    {"FormKeyBoard_GroupBoxKeyboardPage07_Caption", N_(" Keyboard, page x07 ")},
    {"FormKeyBoard_GroupBoxKeyCodes_Caption", N_(" Key codes ")},
    {"FormKeyBoard_GroupBoxKeyboardPage0C_Caption", N_(" Keyboard, page x0C ")},
    {"FormKeyBoard_GroupBoxMMKeyCode_Caption", N_(" Multimedia code ")},
    {"FormKeyBoard_GroupBoxSystemControl_Caption", N_(" System Control ")},
    {"", ""},
};

const TranslationRow* FindTranslation(const char* key, const TranslationRow* table) {
    if (key == nullptr || table == nullptr) return nullptr;
    const char* lastSeparator = std::strrchr(key, '_');
    if (lastSeparator != nullptr && lastSeparator != key && lastSeparator[-1] == 'x') return nullptr;
    for (const TranslationRow* row = table; row->key != nullptr && row->key[0] != '\0'; ++row) {
        if (std::strcmp(row->key, key) == 0) return row;
    }
    return nullptr;
}

const char* translationText(const TranslationRow& row) { return localized(row.text); }

} // namespace zmt
